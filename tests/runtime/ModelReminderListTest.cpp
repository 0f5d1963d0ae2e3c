#include "RuntimeFixture.h"

#include "runtime/ModelReminderList.h"

#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/ReminderOperations.h"
#include "model/XMLStore.h"
#include "tests/support/Sandbox.h"

// The scheduler over the model's own reminder list and store, as the program runs it.
namespace runtimetest {
namespace {

class ModelReminderList : public RuntimeTest {
protected:
  ModelReminderList() {
    file = sandbox::makeTempDir(QStringLiteral("model-list")) + QStringLiteral("/data.xml");
    Store().LoadFromFile(file);
    TReminderScheduler::Ports ports;
    ports.reminders = &modelList;
    ports.outputs = &outputs;
    ports.masterWindow = masterWindow.handle;
    scheduler = std::make_unique<TReminderScheduler>(std::move(ports));
  }
  ~ModelReminderList() override { Reminders().Clear(); }

  // A stored one-time reminder at 09:00 that lasts a minute, written to the file.
  int addStored() {
    const QString id = Store().AddNewItem(QString());
    std::unique_ptr<TDataObject> r = once(at(9, 0));
    r->Id = id;
    r->duration.enable = true;
    r->duration.value2 = {1, TMeasure::Minute};
    r->sound.repeat = true;
    SaveToStore(*r, false);
    const int number = r->Number;
    Reminders().Append(std::move(r));
    return number;
  }

  // What the data file on disk says about the reminder's enabled flag.
  bool enabledOnDisk(const QString &id) const {
    TXMLStore onDisk;
    onDisk.LoadFromFile(file);
    return onDisk.SelectItem(id) && onDisk.ReadBool(QStringLiteral("enable"), false);
  }

  QString file;
  TModelReminderList modelList;
  std::unique_ptr<TReminderScheduler> scheduler;
};

// A crash or kill right after a close must not bring a closed one-time reminder back.
TEST_F(ModelReminderList, ACloseReachesTheDataFileAtOnce) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  ASSERT_TRUE(enabledOnDisk(id));

  clock.set(at(9, 0, 0, 600));
  scheduler->CheckAllReminders();
  ASSERT_TRUE(FindReminderByNumber(n)->Firing);

  clock.set(at(9, 1, 0, 600));
  scheduler->CheckAllReminders();
  EXPECT_FALSE(FindReminderByNumber(n)->Firing);
  EXPECT_FALSE(FindReminderByNumber(n)->enable);
  EXPECT_FALSE(enabledOnDisk(id));
}

// The model's own handling of a completion notice reaches the scheduler's players too.
TEST_F(ModelReminderList, TheModelsNoticeHandlingRepeatsTheSchedulersSound) {
  const int n = addStored();
  clock.set(at(9, 0, 0, 600));
  scheduler->CheckAllReminders();
  ASSERT_EQ(outputs.sounds.size(), 1u);
  HandleSoundNotify(outputs.sounds[0]->device, true, masterWindow.handle);
  EXPECT_EQ(outputs.sounds[0]->rewinds, 1);
  EXPECT_EQ(outputs.sounds[0]->plays, 2);
  HandleSoundNotify(outputs.sounds[0]->device, false, masterWindow.handle);
  EXPECT_FALSE(FindReminderByNumber(n)->SoundPlayer);
}

} // namespace
} // namespace runtimetest
