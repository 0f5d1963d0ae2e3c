#include "tests/runtime/MasterFixture.h"

#include "imaging/Icon.h"
#include "model/LogFile.h"
#include "model/NotifyWindows.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/Errors.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>

#include <stdexcept>

namespace {

namespace keys = settings_keys;

// The tray picture shown, by the size of its file: the four pictures differ.
QString shownPicture(const FakeTrayState &tray) {
  if (!tray.shown || !tray.shownIcon)
    return QStringLiteral("none");
  for (const char *name : {"IXP", "IXPS", "I16", "I16S"}) {
    TIcon icon;
    icon.loadFromFile(QStringLiteral(":/master/tray/%1.ico").arg(QLatin1String(name)));
    if (icon.icoBytes() == tray.shownIcon->icoBytes())
      return QString::fromLatin1(name);
  }
  return QStringLiteral("other");
}

// ---- Creation ----

TEST_F(MasterFixture, CreationShowsTheIconLoadsTheStoreAndChecksInOrder) {
  storeReminder(QStringLiteral("T"), true);
  model.Reminders().Clear();
  create();
  EXPECT_EQ(master->objectName(), QStringLiteral("FormMaster"));
  EXPECT_EQ(master->windowTitle(), QStringLiteral("Tolvane"));
  EXPECT_FALSE(master->isVisible());
  EXPECT_NE(master->Handle(), 0u);
  EXPECT_EQ(MasterWindowHandle(), master->Handle()); // the model finds it by its name
  EXPECT_EQ(shownPicture(*tray), QStringLiteral("IXP"));
  EXPECT_EQ(tray->shownTip, QStringLiteral("Tolvane"));
  EXPECT_FALSE(master->Paused());
  EXPECT_EQ(model.Reminders().Count(), 1); // read from the file
  EXPECT_EQ(runtimeCalls, QStringList{QStringLiteral("CheckAllReminders")});
  EXPECT_EQ(master->AddAsMenu().actions().size(), 1);
  EXPECT_NE(LanguageTable(), nullptr);
  EXPECT_EQ(pauseCaption(), QStringLiteral("Stop"));
  master.reset();
  EXPECT_EQ(LanguageTable(), nullptr);
}

// The program makes its reminder runtime before the master's creation proper, and the runtime
// keeps the handle the sound's completion notices go to: it must already be the master's.
TEST_F(MasterFixture, TheHandleTakenBeforeCreationReachesTheMaster) {
  auto t = std::make_unique<TManualTicker>();
  ticker = t.get();
  master = std::make_unique<TFormMaster>(model, ui, std::move(t));
  const WindowHandle early = master->Handle();
  master->SetReminderRuntime(std::make_unique<FakeReminderRuntime>(runtimeCalls));
  master->FormCreate();
  EXPECT_NE(early, 0u);
  EXPECT_EQ(master->Handle(), early);
  runtimeCalls.clear();
  EXPECT_TRUE(hub().post(early, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, 7));
  QCoreApplication::sendPostedEvents(master.get());
  EXPECT_EQ(runtimeCalls, QStringList{QStringLiteral("HandleSoundNotify 7")});
}

TEST_F(MasterFixture, AHiddenTrayIconStaysOutOfTheArea) {
  mainSettings.writeBool(keys::Main, keys::HideTrayIcon, true);
  create();
  EXPECT_FALSE(master->TrayIcon1().Active());
  EXPECT_EQ(tray->count(TrayCall::Add), 0);
}

TEST_F(MasterFixture, APauseStoredAtTheLastRunComesBackAndChecksNothing) {
  mainSettings.writeBool(keys::Main, keys::NotStopped, false);
  // A translated language file sets the pause caption to its design text ("Stop").
  writeFile(GetDefaultLanguageFileName(),
            "[FormMaster]\nActionPause=Halt\n[Messages]\nStart=Weiter\nStop=Halt\n");
  create();
  EXPECT_TRUE(master->Paused());
  EXPECT_FALSE(master->Timer1().Enabled());
  EXPECT_EQ(pauseCaption(), QStringLiteral("Weiter"));
  EXPECT_EQ(shownPicture(*tray), QStringLiteral("IXPS"));
  EXPECT_EQ(logEvents(), QStringList{QStringLiteral("Pause on")});
  EXPECT_FALSE(runtimeCalls.contains(QStringLiteral("CheckAllReminders")));
  // Restoring the state writes nothing back.
  EXPECT_FALSE(QFile::exists(GetMainSettingsFileName(model)));
  EXPECT_FALSE(mainSettings.readBool(keys::Main, keys::NotStopped, true));
}

TEST_F(MasterFixture, TheCaptionFollowsThePauseAfterEveryLanguageChange) {
  create();
  master->ActionPauseExecute(true);
  writeFile(GetDefaultLanguageFileName(), "[FormMaster]\nActionPause=Stop\nActionMain=Haupt\n");
  mainWindowOpen = true;
  (void)hub().send(master->Handle(), msg::WM_LANGUAGE_CHANGED);
  EXPECT_EQ(master->Action(QStringLiteral("ActionMain"))->text(), QStringLiteral("Haupt"));
  EXPECT_EQ(master->Action(QStringLiteral("Main1"))->text(), QStringLiteral("Haupt"));
  EXPECT_EQ(pauseCaption(), QStringLiteral("Start"));
  EXPECT_EQ(mainWindow.messages, QList<uint>{msg::WM_LANGUAGE_CHANGED});
}

TEST_F(MasterFixture, OldLogLinesArePurgedOnceTheProgramIsUpNotDuringItsStart) {
  ManualClock clock;
  clock.set(2025, 3, 20, 12);
  ScopedClock scoped(clock);
  clock.set(2025, 1, 1, 9);
  WriteLog(model, QStringLiteral("Old"));
  clock.set(2025, 3, 10, 9);
  WriteLog(model, QStringLiteral("Recent"));
  clock.set(2025, 3, 20, 12);
  create();
  // The start does not wait for the purge: it begins when the message loop runs.
  EXPECT_EQ(logEvents(), (QStringList{QStringLiteral("Old"), QStringLiteral("Recent")}));
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  master->WaitForLogPurge();
  EXPECT_EQ(logEvents(), QStringList{QStringLiteral("Recent")});
}

// ---- Pause ----

TEST_F(MasterFixture, PausingFromTheMenuClosesTheFiringsAndStoresTheState) {
  create();
  runtimeCalls.clear();
  master->Action(QStringLiteral("ActionPause1"))->trigger();
  EXPECT_TRUE(master->Paused());
  EXPECT_EQ(runtimeCalls, QStringList{QStringLiteral("CloseAllReminders")});
  EXPECT_EQ(pauseCaption(), QStringLiteral("Start"));
  EXPECT_EQ(master->Action(QStringLiteral("ActionPause1"))->text(), QStringLiteral("Start"));
  EXPECT_EQ(shownPicture(*tray), QStringLiteral("IXPS"));
  EXPECT_FALSE(mainSettings.readBool(keys::Main, keys::NotStopped, true));
  EXPECT_TRUE(QFile::exists(GetMainSettingsFileName(model)));

  ticker->Tick();
  EXPECT_EQ(runtimeCalls.size(), 1); // no checks while paused

  master->Action(QStringLiteral("ActionPause"))->trigger();
  EXPECT_FALSE(master->Paused());
  EXPECT_EQ(pauseCaption(), QStringLiteral("Stop"));
  EXPECT_EQ(shownPicture(*tray), QStringLiteral("IXP"));
  EXPECT_TRUE(mainSettings.readBool(keys::Main, keys::NotStopped, false));
  EXPECT_EQ(logEvents(), (QStringList{QStringLiteral("Pause on"), QStringLiteral("Pause off")}));
  ticker->Tick();
  EXPECT_EQ(runtimeCalls.last(), QStringLiteral("CheckAllReminders"));
}

TEST_F(MasterFixture, ThePausedStateSurvivesARestart) {
  create();
  master->ActionPauseExecute(true);
  master.reset();
  TMMemIniFile reread;
  ASSERT_TRUE(LoadEncipheredIni(reread, GetMainSettingsFileName(model)));
  EXPECT_FALSE(reread.readBool(keys::Main, keys::NotStopped, true));
  mainSettings.clear();
  ASSERT_TRUE(LoadEncipheredIni(mainSettings, GetMainSettingsFileName(model)));
  create();
  EXPECT_TRUE(master->Paused());
}

TEST_F(MasterFixture, SettingsChangedAppliesThePauseWithoutStoringIt) {
  create();
  mainSettings.writeBool(keys::Main, keys::NotStopped, false);
  mainSettings.writeBool(keys::Main, keys::HideTrayIcon, true);
  (void)hub().send(master->Handle(), msg::WM_SETTINGS_CHANGED);
  EXPECT_TRUE(master->Paused());
  EXPECT_FALSE(master->TrayIcon1().Active());
  EXPECT_FALSE(tray->shown);
  EXPECT_FALSE(QFile::exists(GetMainSettingsFileName(model)));
}

TEST_F(MasterFixture, DemoModeResumesAPausedTimerAndStoresIt) {
  create();
  master->ActionPauseExecute(false);
  (void)hub().send(master->Handle(), msg::WM_DEMO_MODE_CHANGED);
  EXPECT_TRUE(master->Paused()); // demo mode off: nothing
  model.SetDemoMode(true);
  (void)hub().send(master->Handle(), msg::WM_DEMO_MODE_CHANGED);
  EXPECT_FALSE(master->Paused());
  EXPECT_TRUE(mainSettings.readBool(keys::Main, keys::NotStopped, false));
  EXPECT_TRUE(QFile::exists(GetMainSettingsFileName(model)));
}

// ---- The message table ----

TEST_F(MasterFixture, EveryMessageReachesItsHandler) {
  create();
  mainWindowOpen = true;
  runtimeCalls.clear();
  const WindowHandle h = master->Handle();

  (void)hub().send(h, msg::WM_CLOSE_REMINDER, 7);
  (void)hub().send(h, msg::WM_STOP_REMINDER_OUTPUTS, 8);
  (void)hub().post(h, msg::WM_CHECK_REMINDER, 9);
  (void)hub().post(h, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, 0x50005);
  for (uintptr_t code :
       {msg::MCI_NOTIFY_SUPERSEDED, msg::MCI_NOTIFY_ABORTED, msg::MCI_NOTIFY_FAILURE})
    (void)hub().post(h, msg::MM_MCINOTIFY, code, 6);
  EXPECT_EQ(runtimeCalls.size(), 2); // posted ones wait for the loop
  QCoreApplication::sendPostedEvents(master.get());
  EXPECT_EQ(runtimeCalls, (QStringList{"CloseReminder 7 0", "StopReminderOutputs 8",
                                       "CheckReminder 9", "HandleSoundNotify 5"}));

  runtimeCalls.clear();
  storeReminder(QStringLiteral("Written meanwhile"));
  ASSERT_EQ(model.Reminders().Count(), 0);
  (void)hub().send(h, msg::WM_RELOAD_STORE);
  EXPECT_EQ(model.Reminders().Count(), 1); // the store read from its file again
  EXPECT_EQ(runtimeCalls, QStringList{"CheckAllReminders"});
  EXPECT_EQ(mainWindow.messages, QList<uint>{msg::WM_REFRESH_LIST});

  (void)hub().post(h, msg::WM_SHOW_MAIN_WINDOW);
  QCoreApplication::sendPostedEvents(master.get());
  EXPECT_EQ(uiCalls, QStringList{"ShowMainWindowPage Main 0"});
}

TEST_F(MasterFixture, WhilePausedOnlyAChangedReminderIsChecked) {
  const QString id = storeReminder(QStringLiteral("Before"));
  create();
  master->ActionPauseExecute(false);
  runtimeCalls.clear();
  const WindowHandle h = master->Handle();
  const int32_t number = model.Reminders().NumberOf(id);
  (void)hub().post(h, msg::WM_CHECK_REMINDER, static_cast<uintptr_t>(number));
  (void)hub().send(h, msg::WM_RELOAD_STORE);
  QCoreApplication::sendPostedEvents(master.get());
  EXPECT_TRUE(runtimeCalls.isEmpty());
  const int32_t reloaded = model.Reminders().NumberOf(id);
  EXPECT_NE(reloaded, number); // read anew

  // The changed reminder is read again from the store under its number.
  model.Store().SelectItem(id);
  model.Store().WriteString(QStringLiteral("subject"), QStringLiteral("After"));
  (void)hub().post(h, msg::WM_REMINDER_CHANGED, static_cast<uintptr_t>(reloaded));
  QCoreApplication::sendPostedEvents(master.get());
  ASSERT_NE(model.Reminders().FindByNumber(reloaded), nullptr);
  EXPECT_EQ(model.Reminders().FindByNumber(reloaded)->subject, QStringLiteral("After"));
  EXPECT_EQ(runtimeCalls, QStringList{"CheckAllReminders"});
}

// The delete command saves, reads the store again and tells the master as the model's listener.
TEST_F(MasterFixture, DeletingHandsTheNumberToTheModelsDeleteCommand) {
  const QString a = storeReminder(QStringLiteral("A"));
  const QString b = storeReminder(QStringLiteral("B"));
  create();
  model.PendingDeleteIds() = QStringList{a};
  (void)hub().send(master->Handle(), msg::WM_DELETE_REMINDERS, 0);
  EXPECT_EQ(model.Reminders().FindById(a)->state, TReminderState::Trash);
  EXPECT_EQ(model.Reminders().FindById(b)->state, TReminderState::Active);
  (void)hub().send(master->Handle(), msg::WM_DELETE_REMINDERS,
                   static_cast<uintptr_t>(model.Reminders().NumberOf(b)));
  EXPECT_EQ(model.Reminders().FindById(b)->state, TReminderState::Trash);
  TestModel disk; // the command saved both moves to the file
  disk.model.Store().LoadFromFile(testModel.file);
  disk.model.Store().SelectItem(b);
  EXPECT_EQ(disk.model.Store().ReadInteger(QStringLiteral("state"), 0), 2);
}

TEST_F(MasterFixture, AsTheModelsListenerItRefreshesTheMainWindowTheCheckAndTheAddAsMenus) {
  const QString a = storeReminder(QStringLiteral("A"), true);
  const QString b = storeReminder(QStringLiteral("B"));
  create();
  mainWindowOpen = true;
  runtimeCalls.clear();
  IModelListener &listener = *master;

  const TDataObject *read = model.Reminders().FindById(a);
  model.Reminders().FindById(a)->default_ = false;
  listener.StoreReloaded();
  EXPECT_EQ(mainWindow.messages, QList<uint>{msg::WM_REFRESH_LIST});
  EXPECT_EQ(runtimeCalls, QStringList{"CheckAllReminders"});
  EXPECT_TRUE(master->AddAsMenu().actions().isEmpty());
  EXPECT_EQ(model.Reminders().FindById(a), read); // the command has read the store already

  model.Reminders().FindById(b)->default_ = true;
  listener.RemindersChanged();
  EXPECT_EQ(mainWindow.messages, (QList<uint>{msg::WM_REFRESH_LIST, msg::WM_REFRESH_LIST}));
  EXPECT_EQ(master->AddAsMenu().actions().size(), 1);
  listener.ReminderUpdated(7);
  EXPECT_EQ(mainWindow.messages.last(), msg::WM_REMINDER_UPDATED);
  EXPECT_EQ(runtimeCalls.size(), 1);

  // While paused a reload checks nothing.
  master->ActionPauseExecute(false);
  runtimeCalls.clear();
  listener.StoreReloaded();
  EXPECT_TRUE(runtimeCalls.isEmpty());
}

// Another model built after the master's, and so the current one, is never the master's: the
// master reads the handed model's settings and store, writes that model's settings and logs into
// that model's log.
TEST_F(MasterFixture, TheMasterWorksOnTheModelItWasHandedOnly) {
  storeReminder(QStringLiteral("Mine"), true);
  TestModel other(QStringLiteral("other-master-model"));
  other.mainSettings.writeBool(keys::Main, keys::NotStopped, false); // would start paused
  other.localSettings.writeBool(keys::Main, keys::UseLocalFolder, true);
  QFile::remove(GetLogFileName(other.model));
  create();
  EXPECT_FALSE(master->Paused());
  EXPECT_EQ(model.Reminders().Count(), 1);
  EXPECT_EQ(other.model.Reminders().Count(), 0);
  EXPECT_EQ(master->AddAsMenu().actions().size(), 1);

  master->ActionHideExecute();
  EXPECT_TRUE(mainSettings.readBool(keys::Main, keys::HideTrayIcon, false));
  EXPECT_FALSE(other.mainSettings.valueExists(keys::Main, keys::HideTrayIcon));
  master->ActionPauseExecute(true);
  EXPECT_EQ(logEvents(), QStringList{QStringLiteral("Pause on")});
  EXPECT_TRUE(ReadLogLines(GetLogFileName(other.model)).isEmpty());
}

TEST_F(MasterFixture, MessagesToNoWindowOrAGoneWindowDoNothing) {
  create();
  const WindowHandle h = master->Handle();
  EXPECT_EQ(hub().send(0, msg::WM_RELOAD_STORE), 0);
  (void)hub().post(h, msg::WM_CHECK_REMINDER, 1);
  runtimeCalls.clear();
  master.reset();
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(runtimeCalls.isEmpty());
  EXPECT_FALSE(hub().post(h, msg::WM_CHECK_REMINDER, 1));
}

TEST_F(MasterFixture, ANewTrayHostGetsAnActiveIconBackAndLeavesAHiddenOneHidden) {
  create();
  tray->calls.clear();
  (void)hub().send(master->Handle(), TFormMaster::TaskbarCreatedMessage());
  ASSERT_GE(tray->calls.size(), 2u);
  EXPECT_EQ(tray->calls.front().kind, TrayCall::Remove);
  EXPECT_EQ(tray->count(TrayCall::Add), 1);
  EXPECT_TRUE(tray->shown);

  master->TrayIcon1().SetActive(false);
  tray->calls.clear();
  (void)hub().send(master->Handle(), TFormMaster::TaskbarCreatedMessage());
  EXPECT_TRUE(tray->calls.empty());
  EXPECT_FALSE(tray->shown);
}

TEST_F(MasterFixture, ExitAndACloseMessageLogTheStopAndEndTheProgram) {
  create();
  runtimeCalls.clear();
  (void)hub().send(master->Handle(), msg::WM_CLOSE);
  EXPECT_EQ(closedCode, 0);
  EXPECT_TRUE(master->IsClosing());
  EXPECT_EQ(logEvents(), QStringList{QStringLiteral("Program stop")});
  // The checks end first, before the close steps run (a check under way stops firing).
  EXPECT_EQ(runtimeCalls, QStringList{QStringLiteral("EndChecks")});
  runtimeCalls.clear();
  ticker->Tick(); // no checks after the stop
  EXPECT_TRUE(runtimeCalls.isEmpty());
  closedCode = -1;
  master->Action(QStringLiteral("Close1"))->trigger(); // once is enough
  EXPECT_EQ(closedCode, -1);
}

TEST_F(MasterFixture, ActivationRefreshesTheListedWindowsAndDeactivationRaisesStickers) {
  create();
  RecordingWindow dialog;
  const WindowHandle dialogHandle = hub().registerWindow(&dialog);
  RegisterNotifyWindow(model, dialogHandle, QStringLiteral("Dialog"));
  RegisterNotifyWindow(model, 0, QStringLiteral("Closed dialog"));
  runtimeCalls.clear();
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_TRUE(dialog.messages.isEmpty()); // posted
  QCoreApplication::sendPostedEvents(&dialog);
  EXPECT_EQ(dialog.messages, QList<uint>{msg::WM_REFRESH_CONTROLS});
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(runtimeCalls, QStringList{"RaiseOnTopStickers"});
  UnregisterNotifyWindow(model, dialogHandle);
  UnregisterNotifyWindow(model, 0);
}

TEST_F(MasterFixture, AnErrorNobodyCaughtIsShownAndEndsTheProgram) {
  create();
  EXPECT_FALSE(errors::guardedCall([] { throw std::runtime_error("disk on fire"); }));
  EXPECT_EQ(uiCalls, QStringList{"ShowException disk on fire"});
  EXPECT_EQ(closedCode, 1);
  // An abort is silent.
  closedCode = -1;
  EXPECT_FALSE(errors::guardedCall([] { throw EAbort(); }));
  EXPECT_EQ(closedCode, -1);
}

} // namespace
