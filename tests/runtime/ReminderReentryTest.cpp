#include "RuntimeFixture.h"

#include <QCoreApplication>

// Firing runs the event loop (the grace pump after a launched program, the message to the main
// window), and so do the popup's dialogs. Whatever runs there may re-read or delete reminders;
// the runtime must never touch a freed one (the sanitizer build checks this) and must not check
// twice at once.
namespace runtimetest {
namespace {

using ReminderReentry = RuntimeTest;

std::unique_ptr<TDataObject> withProgram(std::unique_ptr<TDataObject> r) {
  r->shellExec.enable = true;
  r->shellExec.fileName = QStringLiteral("/bin/true");
  return r;
}

// The re-read object is a new one under the same id and number: the firing is the runtime's, so
// it goes on with that object, once.
TEST_F(ReminderReentry, AReminderReReadDuringTheProgramPumpKeepsItsFiringOnce) {
  TDataObject &r = list.add(withProgram(once(at(9, 0))));
  const int32_t n = r.Number;
  masterWindow.onMessage = [&](const RecordingWindow::Message &m) {
    if (m.message == msg::WM_REMINDER_CHANGED)
      list.reread(static_cast<int32_t>(m.wParam));
  };
  hub().post(masterWindow.handle, msg::WM_REMINDER_CHANGED, static_cast<uintptr_t>(n));
  tickAfter(1000);

  ASSERT_EQ(launcher.started.size(), 1);
  const TDataObject *now = list.FindByNumber(n);
  ASSERT_TRUE(now);
  EXPECT_TRUE(firing(*now).firing);
  EXPECT_EQ(firing(*now).fireTime, at(9, 0));
  EXPECT_EQ(outputs.liveStickers(n), 1);
  EXPECT_EQ(outputs.liveTrayIcons(n), 1);
  EXPECT_EQ(outputs.liveSounds(), 1);
  EXPECT_EQ(updates(n), 1);

  tickAfter(1000);
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_EQ(logLines().size(), 1);
  EXPECT_EQ(outputs.stickers.size(), 1u);
}

TEST_F(ReminderReentry, AReloadDuringThePumpSkipsTheNestedCheckAndTheGoneReminders) {
  list.add(withProgram(once(at(9, 0))));
  TDataObject &second = list.add(once(at(9, 0)));
  const int32_t secondNumber = second.Number;
  int32_t fresh = 0;
  launcher.during = [&] {
    list.clear();
    auto r = once(at(9, 0));
    r->duration.enable = true;
    r->duration.value2 = {5, TMeasure::Minute};
    fresh = list.add(std::move(r)).Number;
    runtime->CheckAllReminders(); // as the reload handler would; skipped while a check runs
  };
  tickAfter(1000);
  ASSERT_NE(fresh, 0);
  EXPECT_FALSE(list.FindByNumber(secondNumber));
  EXPECT_FALSE(firing(*list.FindByNumber(fresh)).firing);
  EXPECT_EQ(logLines().size(), 1);

  launcher.during = nullptr;
  tickAfter(1000);
  EXPECT_TRUE(firing(*list.FindByNumber(fresh)).firing);
  // The firing of the reminder that went with the reload is dropped by that check.
  EXPECT_EQ(runtime->Firings().Count(), 1);
}

TEST_F(ReminderReentry, TheMainWindowDeletingTheFiringReminderEndsTheFire) {
  TDataObject &r = list.add(once(at(9, 0)));
  const int32_t n = r.Number;
  mainWindow.onMessage = [&](const RecordingWindow::Message &m) {
    if (m.message == msg::WM_REMINDER_UPDATED)
      list.remove(static_cast<int32_t>(m.wParam));
  };
  tickAfter(1000);
  EXPECT_FALSE(list.FindByNumber(n));
  EXPECT_EQ(fileWrites(), 0);
  EXPECT_TRUE(outputs.stickers.empty());
  EXPECT_TRUE(outputs.sounds.empty());
}

TEST_F(ReminderReentry, EditThenDeleteInTheEditorChecksNothing) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(1000);
  const int32_t n = r.Number;
  ui.edit = [&](int position, QString &id, int type) {
    EXPECT_EQ(position, 0); // Active
    EXPECT_EQ(type, 0);     // Once
    list.remove(list.FindById(id)->Number);
    return true;
  };
  runtime->ActionEditExecute(n);
  EXPECT_FALSE(list.FindByNumber(n));
}

TEST_F(ReminderReentry, AfterEditingTheReReadReminderIsCheckedEvenWhilePaused) {
  TDataObject &r = list.add(once(at(9, 0)));
  const int32_t n = r.Number;
  tickAfter(1000);
  ticker.SetEnabled(false);
  ui.edit = [&](int, QString &id, int) {
    runtime->StopReminderOutputs(n); // as the editor's sticker page does when it opens
    TDataObject &edited = list.reread(list.FindById(id)->Number);
    edited.repeat.dt = at(9, 0, 5);
    edited.sticker.enable = true;
    clock.set(at(9, 0, 5, 200));
    return true;
  };
  runtime->ActionEditExecute(n);
  const TDataObject *edited = list.FindByNumber(n);
  ASSERT_TRUE(edited);
  EXPECT_TRUE(firing(*edited).firing);
  EXPECT_EQ(firing(*edited).fireTime, at(9, 0, 5));
  EXPECT_EQ(outputs.liveStickers(n), 1);
}

// "tolvane stop" handled in a pump inside the check (the grace pump after a launched program):
// once the stop is under way nothing fires, no program starts and no output is made, neither in
// the rest of that pass nor in any later check.
TEST_F(ReminderReentry, NothingFiresOnceTheProgramStops) {
  TDataObject &first = list.add(withProgram(once(at(9, 0))));
  TDataObject &second = list.add(withProgram(once(at(9, 0))));
  const int32_t n1 = first.Number;
  const QString secondId = second.Id;
  launcher.during = [this] { runtime->EndChecks(); };
  tickAfter(1000);
  launcher.during = nullptr;
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_EQ(outputs.liveStickers(n1), 0);
  EXPECT_EQ(outputs.stickers.size() + outputs.trayIcons.size() + outputs.sounds.size(), 0u);
  EXPECT_FALSE(runtime->Firings().StateOf(secondId).firing);
  const qsizetype lines = logLines().size();

  list.add(withProgram(once(at(9, 0, 2))));
  tickAfter(1000);
  runtime->CheckAllReminders();
  runtime->CheckReminder(list.FindById(secondId)->Number);
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_EQ(logLines().size(), lines);
  EXPECT_EQ(outputs.stickers.size() + outputs.trayIcons.size() + outputs.sounds.size(), 0u);
}

} // namespace
} // namespace runtimetest
