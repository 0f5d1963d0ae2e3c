#include "RuntimeFixture.h"

namespace runtimetest {
namespace {

using ReminderOutputs = RuntimeTest;

TEST_F(ReminderOutputs, SwitchingAnOutputOffDuringAFiringRemovesItOnTheNextTick) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  ASSERT_EQ(outputs.liveStickers(r.Number), 1);
  // One closable output stays at each step: a firing with none ends with its second.
  r.sticker.enable = false;
  r.sound.enable = false;
  tickAfter(1000);
  EXPECT_EQ(outputs.liveStickers(r.Number), 0);
  EXPECT_EQ(outputs.liveSounds(), 0);
  r.sticker.enable = true;
  r.tray = false;
  tickAfter(1000);
  EXPECT_EQ(outputs.liveStickers(r.Number), 1);
  EXPECT_EQ(outputs.liveTrayIcons(r.Number), 0);
  EXPECT_EQ(outputs.stickers.size(), 2u);
}

TEST_F(ReminderOutputs, AVolumeOutsideItsRangeIsKeptInside) {
  TDataObject &loud = list.add(once(at(9, 0)));
  loud.sound.volume = 250;
  TDataObject &quiet = list.add(once(at(9, 0)));
  quiet.sound.volume = -5;
  tickAfter(1000);
  ASSERT_EQ(outputs.sounds.size(), 2u);
  EXPECT_EQ(outputs.sounds[0]->volume, 1000);
  EXPECT_EQ(outputs.sounds[1]->volume, 0);
}

TEST_F(ReminderOutputs, AMissingSoundFileOpensNoPlayer) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.sound.fileName += QStringLiteral(".gone");
  tickAfter(1000);
  EXPECT_TRUE(firing(r).firing);
  EXPECT_TRUE(outputs.sounds.empty());
}

// A sound that fails to start is freed, and tried again only once more than a second has passed
// on the monotonic clock; the wall clock going back does not hold it up.
TEST_F(ReminderOutputs, AFailedSoundIsRetriedAfterASecondOfMonotonicTime) {
  TDataObject &r = list.add(once(at(9, 0)));
  outputs.failingOpens = 1;
  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  ASSERT_EQ(outputs.sounds.size(), 1u);
  EXPECT_TRUE(outputs.sounds[0]->released);
  EXPECT_FALSE(entry(r)->sound);
  EXPECT_EQ(entry(r)->soundStopTime, clock.now());

  tickAfter(1000); // exactly one second: still resting
  EXPECT_EQ(outputs.sounds.size(), 1u);

  clock.advanceMs(-3'600'000); // the wall clock is set back an hour
  tickAfter(1);
  ASSERT_EQ(outputs.sounds.size(), 2u);
  EXPECT_FALSE(outputs.sounds[1]->released);
  EXPECT_TRUE(entry(r)->sound);
}

TEST_F(ReminderOutputs, StopKeepsTheSoundOffUntilStartPlaysItAgain) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  ASSERT_EQ(outputs.liveSounds(), 1);
  runtime->ActionReminderSoundStopExecute(r.Number, false);
  EXPECT_TRUE(entry(r)->soundStoppedByUser);
  EXPECT_EQ(outputs.liveSounds(), 0);
  tickAfter(5000);
  EXPECT_EQ(outputs.sounds.size(), 1u);

  // Off for a later firing of the same reminder object too.
  runtime->StopReminderOutputs(r.Number);
  r.repeat.dt = at(9, 1);
  clock.set(at(9, 1, 0, 200));
  clock.setTickCount(clock.tickCount() + 60'000);
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  EXPECT_EQ(outputs.sounds.size(), 1u);

  runtime->ActionReminderSoundStopExecute(r.Number, true);
  EXPECT_FALSE(entry(r)->soundStoppedByUser);
  EXPECT_EQ(outputs.liveSounds(), 1);
  runtime->ActionReminderSoundStopExecute(r.Number, true); // a player exists: nothing more
  EXPECT_EQ(outputs.sounds.size(), 2u);
}

TEST_F(ReminderOutputs, ANaturalEndReplaysARepeatingSoundOnly) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.sound.repeat = true;
  TDataObject &plain = list.add(once(at(9, 0)));
  tickAfter(1000);
  ASSERT_EQ(outputs.sounds.size(), 2u);
  OutputRecord &repeating = *outputs.sounds[0];
  OutputRecord &single = *outputs.sounds[1];

  runtime->HandleSoundNotify(repeating.device);
  EXPECT_EQ(repeating.rewinds, 1);
  EXPECT_EQ(repeating.plays, 2);
  EXPECT_EQ(repeating.notify, masterWindow.handle);

  runtime->HandleSoundNotify(single.device);
  EXPECT_EQ(single.rewinds, 0);
  EXPECT_EQ(single.plays, 1);
  EXPECT_TRUE(entry(plain)->sound); // the idle player stays until the firing closes
}

TEST_F(ReminderOutputs, ALateNoticeForAReplacedPlayerIsIgnored) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.sound.repeat = true;
  tickAfter(1000);
  const quint16 oldDevice = outputs.sounds[0]->device;
  runtime->ActionReminderSoundStopExecute(r.Number, false);
  runtime->ActionReminderSoundStopExecute(r.Number, true);
  ASSERT_EQ(outputs.sounds.size(), 2u);
  runtime->HandleSoundNotify(oldDevice);
  EXPECT_EQ(outputs.sounds[1]->rewinds, 0);
  EXPECT_EQ(outputs.sounds[1]->plays, 1);
}

TEST_F(ReminderOutputs, ARepeatThatCannotStartFreesThePlayer) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.sound.repeat = true;
  tickAfter(1000);
  outputs.replayResult = 3;
  runtime->HandleSoundNotify(outputs.sounds[0]->device);
  EXPECT_FALSE(entry(r)->sound);
  EXPECT_TRUE(outputs.sounds[0]->released);
  tickAfter(1001);
  EXPECT_EQ(outputs.liveSounds(), 1); // opened afresh
}

TEST_F(ReminderOutputs, ThePopupActsOnTheReminderWhoseTrayIconWasPressed) {
  TDataObject &a = list.add(once(at(9, 0)));
  TDataObject &b = list.add(once(at(9, 0)));
  b.sound.enable = false;
  tickAfter(1000);
  EXPECT_EQ(runtime->TrayIconMouseUp(outputs.trayIconOf(b.Number)), b.Number);
  auto state = runtime->PopupMenuObjectPopup(b.Number);
  ASSERT_TRUE(state);
  EXPECT_TRUE(state->remindAfterEnabled);
  EXPECT_FALSE(state->soundEnabled);

  EXPECT_EQ(runtime->TrayIconMouseUp(outputs.trayIconOf(a.Number)), a.Number);
  runtime->Firings().Get(a.Id).state.kind = TFireKind::RemindBefore;
  state = runtime->PopupMenuObjectPopup(a.Number);
  EXPECT_FALSE(state->remindAfterEnabled);
  EXPECT_TRUE(state->soundEnabled);

  EXPECT_EQ(runtime->TrayIconMouseUp(nullptr), 0);
  EXPECT_FALSE(runtime->PopupMenuObjectPopup(a.Number + b.Number + 100));
}

TEST_F(ReminderOutputs, OnlyOnTopStickersAreRaised) {
  TDataObject &top = list.add(once(at(9, 0)));
  top.sticker.onTop = true;
  list.add(once(at(9, 0)));
  runtime->RaiseOnTopStickers();
  EXPECT_TRUE(outputs.raised.empty()); // nothing fires yet
  tickAfter(1000);
  runtime->RaiseOnTopStickers();
  ASSERT_EQ(outputs.raised.size(), 1u);
  EXPECT_EQ(outputs.raised[0], entry(top)->sticker.get());
}

// The dialog gets the runtime's lookup of the playing sound: it finds the sound while it plays,
// and nothing once the firing has closed under the open dialog (its local loop runs the tick).
TEST_F(ReminderOutputs, TheVolumeDialogFindsThePlayingSoundThroughTheRuntime) {
  TDataObject &r = list.add(once(at(9, 0)));
  int opened = 0;
  const ISoundPlayer *afterClose = nullptr;
  ui.volume = [&](QPoint, const TSoundLookup &sound) {
    ++opened;
    sound()->SetVolume(300);
    runtime->ActionCloseByUserExecute(r.Number);
    afterClose = sound();
  };
  runtime->ActionReminderSoundVolumeExecute(r.Number);
  EXPECT_EQ(opened, 0);
  tickAfter(1000);
  ASSERT_EQ(outputs.sounds.size(), 1u);
  runtime->ActionReminderSoundVolumeExecute(r.Number);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(outputs.sounds[0]->volume, 300);
  EXPECT_TRUE(outputs.sounds[0]->released);
  EXPECT_EQ(afterClose, nullptr);
  EXPECT_EQ(r.sound.volume, 70); // the stored volume stays
}

} // namespace
} // namespace runtimetest
