#include "MasterFixture.h"
#include "RuntimeFixture.h"

#include "model/DataObjectStore.h"
#include "runtime/ReminderScheduler.h"

#include <QCoreApplication>

// The master window driving the real scheduler: its tick, its pause and the sound notices that
// reach it through the hub.
namespace {

using runtimetest::FakeOutputs;
using runtimetest::ModelReminders;

class MasterScheduler : public MasterFixture {
protected:
  void SetUp() override {
    MasterFixture::SetUp();
    create();
    auto scheduler = std::make_unique<TReminderScheduler>(model, outputs, ui);
    runtime = scheduler.get();
    master->SetReminderRuntime(std::move(scheduler));
  }
  void TearDown() override {
    list.clear();
    MasterFixture::TearDown();
  }

  TDataObject &add(TDateTime at) {
    auto r = TDataObject::CreateEmpty(QStringLiteral("id-%1").arg(list.Numbers().size()));
    r->enable = true;
    r->repeat.dt = at;
    r->sticker.enable = true;
    return list.add(std::move(r));
  }
  static TDateTime at(int hour, int minute, int second = 0, int msec = 0) {
    return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
  }
  [[nodiscard]] const TFiringState &firing(const TDataObject &r) const {
    return std::as_const(*runtime).Firings().StateOf(r.Id);
  }
  [[nodiscard]] int firedLines() const {
    return static_cast<int>(logEvents().count(QStringLiteral("Start")));
  }

  ManualClock clock{at(9, 0, 0, 600)};
  ScopedClock clockScope{clock};
  ModelReminders list{model};
  FakeOutputs outputs;
  TReminderScheduler *runtime = nullptr; // owned by the master
};

TEST_F(MasterScheduler, ThePauseClosesTheFiringReminderAndLeavesTheComingOne) {
  TDataObject &now = add(at(9, 0));
  TDataObject &later = add(at(11, 0));
  ticker->Tick();
  ASSERT_TRUE(firing(now).firing);
  EXPECT_FALSE(firing(later).firing);

  master->ActionPauseExecute(true);
  EXPECT_TRUE(master->Paused());
  EXPECT_FALSE(firing(now).firing);
  EXPECT_FALSE(now.enable);
  EXPECT_TRUE(later.enable);
  EXPECT_EQ(outputs.liveStickers(now.Number), 0);
  EXPECT_TRUE(logEvents().contains(QStringLiteral("Pause on")));
}

TEST_F(MasterScheduler, ASoundNoticeThroughTheHubRepeatsTheSound) {
  TDataObject &r = add(at(9, 0));
  r.sound.enable = true;
  r.sound.repeat = true;
  r.sound.volume = 50;
  r.sound.fileName = QCoreApplication::applicationFilePath(); // any existing file will do
  ticker->Tick();
  ASSERT_EQ(outputs.sounds.size(), 1u);
  EXPECT_EQ(outputs.sounds[0]->notify, master->Handle());

  hub().post(master->Handle(), msg::MM_MCINOTIFY, msg::MCI_NOTIFY_ABORTED,
             outputs.sounds[0]->device);
  hub().post(master->Handle(), msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL,
             outputs.sounds[0]->device);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(outputs.sounds[0]->rewinds, 1);
  EXPECT_EQ(outputs.sounds[0]->plays, 2);
}

} // namespace

namespace {

// A reload reads every reminder anew under a new number; the firing, kept by id, goes on once:
// no second firing of the same run, and one sticker, made afresh from the reminder as read.
TEST_F(MasterScheduler, AReloadThatRenumbersTheRemindersKeepsEachFiringOnce) {
  const QString id = add(at(9, 0)).Id;
  ticker->Tick();
  const int32_t before = list.FindById(id)->Number;
  ASSERT_TRUE(firing(*list.FindById(id)).firing);
  ASSERT_EQ(outputs.liveStickers(before), 1);

  // What the store's file holds when it is read again: the reminder as it stands.
  SaveToStore(model, *list.FindById(id));
  (void)hub().send(master->Handle(), msg::WM_RELOAD_STORE);
  const TDataObject &after = *list.FindById(id);
  ASSERT_NE(after.Number, before);
  EXPECT_TRUE(firing(after).firing);
  EXPECT_EQ(firing(after).fireTime, at(9, 0));
  EXPECT_EQ(outputs.liveStickers(before), 0);
  EXPECT_EQ(outputs.liveStickers(after.Number), 1);

  clock.advanceMs(1000);
  ticker->Tick();
  EXPECT_EQ(outputs.stickers.size(), 2u);
  EXPECT_EQ(outputs.liveStickers(0), 1);
  EXPECT_EQ(firedLines(), 1);
}

// Also while paused, when no check follows the reload: the outputs go at once, tray icon,
// sticker, sound, and the firing with them.
TEST_F(MasterScheduler, AReminderGoneFromTheReloadedStoreEndsItsFiringEvenWhilePaused) {
  TDataObject &r = add(at(9, 0));
  r.tray = true;
  r.sound.enable = true;
  r.sound.fileName = QCoreApplication::applicationFilePath();
  const QString id = r.Id;
  const int32_t number = r.Number;
  SaveToStore(model, r); // what the changed reminder is read back as
  master->ActionPauseExecute(false);
  (void)hub().post(master->Handle(), msg::WM_REMINDER_CHANGED, static_cast<uintptr_t>(number));
  QCoreApplication::sendPostedEvents(master.get());
  ASSERT_TRUE(firing(*list.FindById(id)).firing); // a changed reminder is checked while paused
  ASSERT_EQ(outputs.liveSounds(), 1);

  // Another program took the reminder out of the file.
  model.Store().DeleteItem(id);
  ASSERT_TRUE(model.Store().Save());
  (void)hub().send(master->Handle(), msg::WM_RELOAD_STORE);
  EXPECT_EQ(outputs.releases,
            (QStringList{QStringLiteral("tray %1").arg(number),
                         QStringLiteral("sticker %1").arg(number), QStringLiteral("sound")}));
  EXPECT_EQ(std::as_const(*runtime).Firings().Find(id), nullptr);
}

} // namespace
