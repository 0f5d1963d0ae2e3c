#include "MasterFixture.h"
#include "RuntimeFixture.h"

#include "runtime/ReminderScheduler.h"

#include <QCoreApplication>

// The master window driving the real scheduler: its tick, its pause and the sound notices that
// reach it through the hub.
namespace {

using runtimetest::FakeOutputs;
using runtimetest::FakeReminderList;

class MasterScheduler : public MasterFixture {
protected:
  void SetUp() override {
    MasterFixture::SetUp();
    create();
    master->SetReminderRuntime(std::make_unique<TReminderScheduler>(list, outputs, ui));
  }
  void TearDown() override {
    list.items.clear();
    MasterFixture::TearDown();
  }

  TDataObject &add(TDateTime at) {
    auto r = TDataObject::CreateEmpty(QStringLiteral("id-%1").arg(list.items.size()));
    r->enable = true;
    r->repeat.dt = at;
    r->sticker.enable = true;
    return list.add(std::move(r));
  }
  static TDateTime at(int hour, int minute, int second = 0, int msec = 0) {
    return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
  }

  ManualClock clock{at(9, 0, 0, 600)};
  ScopedClock clockScope{clock};
  FakeReminderList list;
  FakeOutputs outputs;
};

TEST_F(MasterScheduler, ThePauseClosesTheFiringReminderAndLeavesTheComingOne) {
  TDataObject &now = add(at(9, 0));
  TDataObject &later = add(at(11, 0));
  ticker->Tick();
  ASSERT_TRUE(now.Firing);
  EXPECT_FALSE(later.Firing);

  master->ActionPauseExecute(true);
  EXPECT_TRUE(master->Paused());
  EXPECT_FALSE(now.Firing);
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
