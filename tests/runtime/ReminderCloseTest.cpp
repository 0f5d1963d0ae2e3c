#include "RuntimeFixture.h"

#include "model/Model.h"

namespace runtimetest {
namespace {

using ReminderClose = RuntimeTest;

// A Once reminder that lasts two minutes.
std::unique_ptr<TDataObject> withDuration(std::unique_ptr<TDataObject> r, int minutes) {
  r->duration.enable = true;
  r->duration.value2 = {minutes, TMeasure::Minute};
  return r;
}

TEST_F(ReminderClose, TheDurationEndsTheFiringAndTheCloseIsWrittenToTheFileAtOnce) {
  TDataObject &r = list.add(withDuration(once(at(9, 0)), 2));
  const int32_t n = r.Number;
  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  tickAt(at(9, 1, 59, 900));
  EXPECT_TRUE(firing(r).firing);

  const int writes = fileWrites();
  tickAt(at(9, 2, 0, 100));
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(r.enable);
  EXPECT_EQ(firing(r).lastKind, TFireKind::Main);
  EXPECT_EQ(r.lastCloseByUserDt, TDateTime()); // not the user's close
  EXPECT_EQ(outputs.liveStickers(n) + outputs.liveTrayIcons(n) + outputs.liveSounds(), 0);
  EXPECT_EQ(fileWrites(), writes + 1);
  ASSERT_TRUE(onFile(r));
  EXPECT_FALSE(onFile(r)->enable);
  EXPECT_EQ(updates(n), 2); // the firing, then the disable
}

TEST_F(ReminderClose, TheUserClosesThroughThePopupAndTheCloseTimeIsKept) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  clock.set(at(9, 0, 30));
  runtime->ActionCloseByUserExecute(r.Number);
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(r.enable);
  EXPECT_EQ(r.lastCloseByUserDt, at(9, 0, 30));
  EXPECT_EQ(outputs.liveStickers(r.Number), 0);
}

TEST_F(ReminderClose, ATimerCloseWithARemindAgainWindowPendingKeepsTheOnceReminder) {
  TDataObject &r = list.add(withDuration(once(at(9, 0)), 1));
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(10, 0);
  r.remindAfter.dtStop = at(10, 0, 1);
  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  tickAt(at(9, 1, 0, 100));
  EXPECT_FALSE(firing(r).firing);
  EXPECT_TRUE(r.enable);
  EXPECT_TRUE(r.remindAfter.enable);
}

TEST_F(ReminderClose, ARemindAgainFiringWithoutADurationStaysUntilTheUserClosesIt) {
  TDataObject &r = list.add(once(at(8, 0)));
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(9, 0);
  r.remindAfter.dtStop = at(9, 0, 1); // a second long: the reminder has no duration
  tickAt(at(9, 0, 0, 400));
  ASSERT_EQ(firing(r).kind, TFireKind::RemindAfter);
  tickAt(at(9, 0, 1, 400));
  tickAt(at(9, 20));
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(outputs.liveStickers(r.Number), 1);
  runtime->ActionCloseByUserExecute(r.Number);
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(r.remindAfter.enable);
  EXPECT_FALSE(r.enable);
}

TEST_F(ReminderClose, APauseAfterTheRemindAgainWindowEndedLeavesNothingPending) {
  TDataObject &r = list.add(once(at(8, 0)));
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(9, 0);
  r.remindAfter.dtStop = at(9, 0, 1);
  tickAt(at(9, 0, 0, 400));
  ASSERT_TRUE(firing(r).firing);
  clock.set(at(9, 5));
  runtime->CloseAllReminders();
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(r.remindAfter.enable);
  EXPECT_FALSE(r.enable); // not an enabled one-time reminder whose every time has passed
}

TEST_F(ReminderClose, TheUserClosingARemindAgainFiringDropsTheWindowAndDisables) {
  TDataObject &r = list.add(once(at(8, 0)));
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(9, 0);
  r.remindAfter.dtStop = at(9, 30);
  tickAfter(1000);
  ASSERT_EQ(firing(r).kind, TFireKind::RemindAfter);
  runtime->ActionCloseByUserExecute(r.Number);
  EXPECT_FALSE(r.remindAfter.enable);
  EXPECT_FALSE(r.enable);
  EXPECT_EQ(r.lastCloseByUserDt, TDateTime());
}

TEST_F(ReminderClose, ThePauseClosesOnlyFiringRemindersAndLeavesIdleOnesUntouched) {
  TDataObject &busy = list.add(once(at(9, 0)));
  TDataObject &later = list.add(once(at(11, 0)));
  TFiringState &past = runtime->Firings().Get(later.Id).state; // left from an earlier warning
  past.kind = TFireKind::RemindBefore;
  past.fireTime = at(7, 0);
  tickAfter(1000);
  ASSERT_TRUE(firing(busy).firing);
  const int writes = fileWrites();

  runtime->CloseAllReminders();
  EXPECT_FALSE(firing(busy).firing);
  EXPECT_FALSE(busy.enable);
  EXPECT_TRUE(later.enable);
  EXPECT_EQ(firing(later).fireTime, at(7, 0)); // no second taken off an idle reminder
  EXPECT_EQ(fileWrites(), writes + 1);         // the busy one's close; nothing for the idle one
  EXPECT_FALSE(onFile(busy)->enable);
  EXPECT_TRUE(onFile(later)->enable);

  // The close message reaches an idle reminder the same way: nothing happens.
  runtime->CloseReminder(later.Number, false);
  EXPECT_TRUE(later.enable);
  EXPECT_EQ(fileWrites(), writes + 1);
}

TEST_F(ReminderClose, ClosingDoesNothingInDemoMode) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  SetDemoMode(true);
  runtime->ActionCloseByUserExecute(r.Number);
  runtime->StopReminderOutputs(r.Number);
  EXPECT_TRUE(firing(r).firing);
  EXPECT_TRUE(r.enable);
  EXPECT_EQ(outputs.liveStickers(r.Number), 1);
}

// Demo on, tick, demo off, tick: the reminder that had not come due is still enabled, nothing
// was written back at the close, and its real time still fires.
TEST_F(ReminderClose, ADemoFiringLeavesNoTrace) {
  TDataObject &r = list.add(once(at(10, 0)));
  r.lastCloseByUserDt = at(7, 0);
  SetDemoMode(true);
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  EXPECT_TRUE(firing(r).firedInDemo);
  EXPECT_EQ(firing(r).fireTime, at(10, 0));
  EXPECT_EQ(outputs.liveStickers(r.Number), 1);

  SetDemoMode(false);
  const int writes = fileWrites();
  tickAfter(1000);
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(firing(r).firedInDemo);
  EXPECT_TRUE(r.enable);
  EXPECT_EQ(firing(r).fireTime, TDateTime());
  EXPECT_EQ(r.lastCloseByUserDt, at(7, 0));
  EXPECT_EQ(fileWrites(), writes);
  EXPECT_EQ(outputs.liveStickers(r.Number), 0);

  clock.set(at(10, 0, 0, 100));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  EXPECT_FALSE(firing(r).firedInDemo);
  EXPECT_EQ(firing(r).fireTime, at(10, 0));
}

// What a demonstration replaced was kept by run-time number, which a store reload gives anew:
// after a reload during the demonstration, its close could not put the fire time back, and the
// one-time reminder counted its real run as fired already and never came.
TEST_F(ReminderClose, ADemoFiringAcrossAStoreReloadStillLeavesNoTrace) {
  const QString id = list.add(once(at(10, 0))).Id;
  SetDemoMode(true);
  ticker.Tick();
  ASSERT_TRUE(firing(*list.FindById(id)).firedInDemo);
  list.reload();
  runtime->RemindersReloaded();

  SetDemoMode(false);
  tickAfter(1000);
  const TDataObject &r = *list.FindById(id);
  EXPECT_FALSE(firing(r).firing);
  EXPECT_EQ(firing(r).fireTime, TDateTime());
  clock.set(at(10, 0, 0, 100));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).fireTime, at(10, 0));
}

TEST_F(ReminderClose, StoppingTheOutputsRecordsNothing) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  const int writes = fileWrites();
  runtime->StopReminderOutputs(r.Number);
  EXPECT_FALSE(firing(r).firing);
  EXPECT_TRUE(r.enable);
  EXPECT_EQ(fileWrites(), writes);
  EXPECT_EQ(outputs.liveStickers(r.Number) + outputs.liveTrayIcons(r.Number), 0);
  EXPECT_EQ(outputs.liveSounds(), 0);
}

TEST_F(ReminderClose, RemindAgainFromThePopupClosesTheFiringUnlessTheTickDidAlready) {
  TDataObject &r = list.add(withDuration(once(at(9, 0)), 1));
  const int32_t n = r.Number;
  tickAfter(1000);
  ui.remindAfter = [&](const QString &title, QPoint, int32_t number) {
    EXPECT_EQ(title, QStringLiteral("Close and remind in ..."));
    TDataObject *in = list.FindByNumber(number);
    in->remindAfter = {true, {5, TMeasure::Minute}, at(9, 5, 30), at(9, 5, 31)};
    return true;
  };
  runtime->ActionRemindAfterExecute(n, QStringLiteral("Close and remind in ..."));
  EXPECT_FALSE(firing(r).firing);
  EXPECT_TRUE(r.enable); // a window is pending and the close was not the user's
  EXPECT_EQ(updates(n), 2);

  // Fire again through the window, then let the tick end it while the dialog is open.
  clock.set(at(9, 5, 30, 500));
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  const int writes = fileWrites();
  ui.remindAfter = [&](const QString &, QPoint, int32_t number) {
    clock.set(at(9, 5, 31, 500));
    ticker.Tick(); // the window passed meanwhile
    list.FindByNumber(number)->remindAfter = {true, {1, TMeasure::Hour}, at(10, 5), at(10, 6)};
    return true;
  };
  runtime->ActionRemindAfterExecute(n, QString());
  EXPECT_FALSE(firing(r).firing);
  // The tick's close switched the one-time reminder off; the confirmed snooze switches it on
  // again, written to the file at once, and it comes back at the chosen time.
  EXPECT_EQ(fileWrites(), writes + 2); // the tick's close, then the switch back on
  EXPECT_TRUE(onFile(r)->enable);
  EXPECT_TRUE(r.enable);
  clock.set(at(10, 5, 0, 500));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindAfter);
}

} // namespace
} // namespace runtimetest
