#include "tests/runtime/MasterFixture.h"

#include "model/ModelStartUp.h"
#include "model/SettingsKeys.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

namespace {

namespace keys = settings_keys;

QStringList namesOf(const QMenu &menu) {
  QStringList names;
  for (const QAction *a : menu.actions())
    names << a->objectName();
  return names;
}

QStringList textsOf(const QMenu &menu) {
  QStringList texts;
  for (const QAction *a : menu.actions())
    texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return texts;
}

TEST_F(MasterFixture, TheMenusHoldTheirItemsInOrder) {
  create();
  EXPECT_EQ(namesOf(master->PopupMenuMaster()),
            (QStringList{"Main1", "Newreminder1", "Addas1", "N1", "Options1", "Log1", "N2",
                         "ActionPause1", "Hide1", "Close1"}));
  EXPECT_EQ(
      textsOf(master->PopupMenuMaster()),
      (QStringList{"Main", "Add", "Add as", "-", "Options", "Log", "-", "Stop", "Hide", "Exit"}));
  EXPECT_EQ(namesOf(master->PopupMenuObject()),
            (QStringList{"Edit1", "MenuItemSound", "Remindin1", "IseemouseDblclick1", "N4",
                         "PopupMenuObjectMainMenu"}));
  EXPECT_EQ(textsOf(master->PopupMenuObject()),
            (QStringList{"Edit", "Sound", "Close and remind in ...", "Close", "-", "Main menu"}));
  const QMenu *sound = master->Action(QStringLiteral("MenuItemSound"))->menu();
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(namesOf(*sound), (QStringList{"Start1", "Stop1", "Volume1"}));
  // The "Main menu" is a copy of the tray menu's items.
  EXPECT_EQ(textsOf(master->PopupMenuObjectMainMenu()), textsOf(master->PopupMenuMaster()));
  ASSERT_NE(master->AddAsMenuCopy(), nullptr);
  EXPECT_NE(master->AddAsMenuCopy(), &master->AddAsMenu());
  EXPECT_FALSE(master->Action(QStringLiteral("ActionMain"))->icon().isNull());
  EXPECT_FALSE(master->Action(QStringLiteral("Main1"))->icon().isNull());
}

TEST_F(MasterFixture, TheCopiedItemsRunTheirActionsAndFollowThePauseCaption) {
  create();
  const QList<QAction *> copies = master->PopupMenuObjectMainMenu().actions();
  copies.at(0)->trigger(); // "Main"
  EXPECT_EQ(uiCalls, QStringList{"ShowMainWindowPage Main 0"});
  copies.at(4)->trigger(); // "Options"
  copies.at(5)->trigger(); // "Log"
  EXPECT_EQ(uiCalls.mid(1),
            (QStringList{"ShowMainWindowPage Main 1", "ShowMainWindowPage Main 2"}));
  copies.at(7)->trigger(); // pause
  EXPECT_TRUE(master->Paused());
  EXPECT_EQ(copies.at(7)->text(), QStringLiteral("Start"));
}

TEST_F(MasterFixture, AddAsListsTheTemplatesByCaseInsensitiveSubjectKeepingTwins) {
  storeReminder(QStringLiteral("beta"), true, QStringLiteral("b"));
  storeReminder(QStringLiteral("Alpha"), true, QStringLiteral("a1"));
  storeReminder(QStringLiteral("No template"), false, QStringLiteral("n"));
  storeReminder(QStringLiteral("alpha"), true, QStringLiteral("a2"));
  storeReminder(QStringLiteral("Gamma"), true, QStringLiteral("g"));
  create();
  for (const QMenu *menu : {&master->AddAsMenu(), master->AddAsMenuCopy()}) {
    EXPECT_EQ(textsOf(*menu), (QStringList{"Alpha", "alpha", "beta", "Gamma"}));
    QStringList hints;
    for (const QAction *a : menu->actions())
      hints << a->statusTip();
    EXPECT_EQ(hints, (QStringList{"a1", "a2", "b", "g"}));
  }
}

TEST_F(MasterFixture, AnAddAsItemOpensTheEditorOnACopyOfItsReminder) {
  storeReminder(QStringLiteral("Weekly report"), true, QStringLiteral("w"));
  storeReminder(QStringLiteral("Gone"), true, QStringLiteral("x"));
  create();
  mainWindowOpen = true;
  editResult = true;
  // The editor sees the copy as the template; it saves nothing here.
  QString edited;
  ui.edit = [this, &edited](int, QString &, int) {
    edited = model.NewReminderTemplate()->subject + u'|' + model.NewReminderTemplate()->Id;
    return editResult;
  };
  model.Reminders().FindById(QStringLiteral("x"))->default_ = false; // no longer offered
  master->AddAsMenu().actions().at(1)->trigger();                    // "Weekly report"
  EXPECT_EQ(edited, QStringLiteral("Copy of Weekly report|w"));
  EXPECT_FALSE(model.NewReminderTemplate()->default_);
  EXPECT_EQ(uiCalls, QStringList{"EditReminder 0 new 2"});
  EXPECT_EQ(mainWindow.messages, QList<uint>{msg::WM_REFRESH_LIST});
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(textsOf(master->AddAsMenu()), QStringList{"Weekly report"});

  // A reminder deleted after the menu was built: nothing happens.
  uiCalls.clear();
  model.Reminders().FindById(QStringLiteral("w"))->default_ = false;
  model.Reminders().FindById(QStringLiteral("x"))->default_ = true;
  master->RebuildAddAsMenus();
  TReminderList &list = model.Reminders();
  list.Take(list.IndexOf(list.FindById(QStringLiteral("x")))).reset();
  master->AddAsMenu().actions().at(0)->trigger();
  EXPECT_EQ(model.NewReminderTemplate()->subject, QStringLiteral("Copy of Weekly report"));
  EXPECT_TRUE(uiCalls.isEmpty());
}

TEST_F(MasterFixture, AddStartsFromAFreshTemplate) {
  create();
  ResetNewReminderTemplate(model);
  model.NewReminderTemplate()->subject = QStringLiteral("left from an earlier Add as");
  master->Action(QStringLiteral("Newreminder1"))->trigger();
  EXPECT_EQ(model.NewReminderTemplate()->Id, NewReminderId);
  EXPECT_NE(model.NewReminderTemplate()->subject, QStringLiteral("left from an earlier Add as"));
  EXPECT_EQ(uiCalls, QStringList{"EditReminder 0 new 2"});
  EXPECT_TRUE(mainWindow.messages.isEmpty()); // cancelled: no refresh
}

TEST_F(MasterFixture, HideTakesTheIconAwayAndRemembersIt) {
  create();
  master->Action(QStringLiteral("Hide1"))->trigger();
  EXPECT_FALSE(master->TrayIcon1().Active());
  EXPECT_FALSE(tray->shown);
  EXPECT_TRUE(mainSettings.readBool(keys::Main, keys::HideTrayIcon, false));
  EXPECT_TRUE(QFile::exists(GetMainSettingsFileName(model)));
}

TEST_F(MasterFixture, HideWithTheMainWindowOpenGoesThroughItsOptions) {
  create();
  mainWindowOpen = true;
  master->ActionHideExecute();
  EXPECT_EQ(uiCalls, (QStringList{"SetHideTrayIconChecked 1", "CloseMainWindow"}));
  EXPECT_TRUE(master->TrayIcon1().Active());
  EXPECT_FALSE(mainSettings.readBool(keys::Main, keys::HideTrayIcon, false));
}

TEST_F(MasterFixture, TheReminderPopupActsOnTheReminderOfItsTag) {
  create();
  runtimeCalls.clear();
  master->SetPopupMenuObjectTag(9);
  master->Action(QStringLiteral("Edit1"))->trigger();
  master->Action(QStringLiteral("Start1"))->trigger();
  master->Action(QStringLiteral("Stop1"))->trigger();
  master->Action(QStringLiteral("Volume1"))->trigger();
  master->Action(QStringLiteral("Remindin1"))->trigger();
  master->Action(QStringLiteral("IseemouseDblclick1"))->trigger();
  EXPECT_EQ(runtimeCalls,
            (QStringList{"ActionEditExecute 9", "ActionReminderSoundStopExecute 9 1",
                         "ActionReminderSoundStopExecute 9 0", "ActionReminderSoundVolumeExecute 9",
                         "ActionRemindAfterExecute 9 Close and remind in ...",
                         "ActionCloseByUserExecute 9"}));

  auto *runtime = static_cast<FakeReminderRuntime *>(&master->ReminderRuntime());
  runtime->popup = IReminderRuntime::PopupState{false, false};
  emit master->PopupMenuObject().aboutToShow();
  EXPECT_FALSE(master->Action(QStringLiteral("ActionRemindAfter"))->isEnabled());
  EXPECT_FALSE(master->Action(QStringLiteral("Remindin1"))->isEnabled());
  EXPECT_FALSE(master->Action(QStringLiteral("MenuItemSound"))->isEnabled());
  runtime->popup.reset(); // no such reminder any more: nothing changes
  emit master->PopupMenuObject().aboutToShow();
  EXPECT_FALSE(master->Action(QStringLiteral("ActionRemindAfter"))->isEnabled());
  EXPECT_EQ(runtimeCalls.last(), QStringLiteral("PopupMenuObjectPopup 9"));
}

TEST_F(MasterFixture, ADoubleClickOnTheTrayIconOpensTheMainWindow) {
  create();
  auto &backend = static_cast<FakeTrayBackend &>(master->TrayIcon1().Backend());
  backend.mouse(tray_mouse::LeftDown);
  backend.mouse(tray_mouse::LeftUp);
  EXPECT_TRUE(uiCalls.isEmpty()); // the first click of a double click opens nothing
  backend.mouse(tray_mouse::LeftDouble);
  EXPECT_EQ(uiCalls, QStringList{"ShowMainWindowPage Main 0"});
}

TEST_F(MasterFixture, ARightClickOnTheTrayIconPopsTheTrayMenuUp) {
  create();
  auto &backend = static_cast<FakeTrayBackend &>(master->TrayIcon1().Backend());
  backend.mouse(tray_mouse::RightDown);
  backend.mouse(tray_mouse::RightUp);
  EXPECT_TRUE(master->PopupMenuMaster().isVisible());
  master->PopupMenuMaster().hide();
}

} // namespace
