#include "ui/FormMain.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "platform/MemIniFile.h"
#include "runtime/FormMaster.h"
#include "runtime/InstanceHandover.h"
#include "runtime/Ticker.h"
#include "services/ShellExecute.h"
#include "tests/model/RecordingListener.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "tests/ui/RecordingWindow.h"
#include "ui/FormEditReminder.h"
#include "ui/NoticeQueue.h"
#include "ui/UserInterface.h"
#include "widgets/FormLanguageFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <future>
#include <sstream>

namespace {

namespace keys = settings_keys;
const QString Id1 = QStringLiteral("{11111111-1111-1111-1111-111111111111}");
const QString Id2 = QStringLiteral("{22222222-2222-2222-2222-222222222222}");
const QString Id3 = QStringLiteral("{33333333-3333-3333-3333-333333333333}");

void addItem(TXMLStore &store, const QString &id, bool program = false) {
  store.AddItem(id, {});
  store.SelectItem(id);
  store.WriteString(QStringLiteral("subject"), QStringLiteral("Subject ") + id.mid(1, 1));
  store.WriteBool(QStringLiteral("shellExec/enable"), program);
}

QString snapshot() {
  std::ostringstream text;
  Store().Document().save(text);
  return Store().FileName() + QString::fromStdString(text.str());
}

std::vector<uint> messages(const RecordingWindow &w) {
  std::vector<uint> list;
  for (const auto &r : w.received)
    list.push_back(r.message);
  return list;
}

struct FormMainTest : ::testing::Test {
  FakePrompts prompts;
  ScopedUiPrompts scopedPrompts{prompts};
  // As the program shows the store's notices.
  errors::ScopedInfoReporter notices{[this](const QString &text) { prompts.notice(text); }};
  TestModel test{QStringLiteral("formmain")};
  TMMemIniFile &mainSettings = test.mainSettings;
  TMMemIniFile &localSettings = test.localSettings;
  QString dir = QFileInfo(test.file).absolutePath();
  std::unique_ptr<RecordingWindow> master = std::make_unique<RecordingWindow>();
  TNoticeQueue noticeQueue;
  TUserInterface ui{test.model, noticeQueue};
  RecordingListener listener{test.model};

  void SetUp() override {
    master->setObjectName(QLatin1String(MasterWindowName));
    addItem(Store(), Id1);
    addItem(Store(), Id2);
    ASSERT_TRUE(Store().Save());
    // A reload reads the store's file back (not the default data file).
    mainSettings.writeString(keys::Main, keys::StoreFileName, test.file);
  }
  void TearDown() override {
    TFormMain::CloseIfOpen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  TFormMain *open(int page = 0) {
    ui.ShowMainWindowPage(QStringLiteral("Main"), page);
    return TFormMain::Instance();
  }
  QString blockedFile() {
    // A regular file where a folder is expected: nothing can be written below it.
    QFile blocker(dir + QStringLiteral("/blocker"));
    EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
    return blocker.fileName() + QStringLiteral("/out.xml");
  }
};

} // namespace

TEST_F(FormMainTest, ShutDownThroughTheMasterRunsTheCloseStepsFirst) {
  master.reset();
  TFormMaster formMaster(test.model, ui, std::make_unique<TManualTicker>());
  QSignalSpy closed(&formMaster, &TFormMaster::Closed);
  TFormMain *form = open(1);
  ASSERT_NE(form, nullptr);
  form->resize(700, 450);
  localSettings.writeBool(keys::Main, keys::UseLocalFolder, false);
  QFile::remove(GetMainSettingsFileName());
  QFile::remove(GetLocalSettingsFileName());

  formMaster.ActionShutDownExecute();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(TFormMain::Instance(), nullptr);
  EXPECT_EQ(ui.MainWindowHandle(), 0u);
  TMMemIniFile written, writtenLocal;
  ASSERT_TRUE(LoadEncipheredIni(written, GetMainSettingsFileName()));
  ASSERT_TRUE(LoadEncipheredIni(writtenLocal, GetLocalSettingsFileName()));
  EXPECT_EQ(written.readInteger(keys::FormMain, keys::Width, 0), 700);
  EXPECT_EQ(written.readInteger(keys::FormMain, keys::Height, 0), 450);
  EXPECT_EQ(written.readString(keys::FormMain, keys::CurrentFileNameDir, {}),
            QFileInfo(GetDataFileName()).absolutePath());
  EXPECT_TRUE(writtenLocal.valueExists(keys::Main, keys::UseLocalFolder));
}

// The file commands tell their own failures (model/StoreFileCommands.h); the window adds nothing
// after one: no "Done!", and no other store opened.
TEST_F(FormMainTest, AFailedSaveShowsOnlyTheStoresNoticeAndOpensNoOtherStore) {
  TFormMain *form = open();
  Store().LoadFromFile(blockedFile()); // no file there: the items stay, the file name changes
  const QString unsaved = snapshot();
  form->Action(QStringLiteral("ActionSave"))->trigger();
  prompts.script = {dir + QStringLiteral("/data.xml")};
  form->Action(QStringLiteral("ActionFileOpen"))->trigger();
  ASSERT_EQ(prompts.shown.size(), 3) << prompts.shown.join('|').toStdString();
  EXPECT_TRUE(prompts.shown[0].startsWith("notice: Sorry, can't save file!"));
  EXPECT_TRUE(prompts.shown[1].startsWith("open: "));
  EXPECT_TRUE(prompts.shown[2].startsWith("notice: Sorry, can't save file!"));
  EXPECT_EQ(snapshot(), unsaved);
  EXPECT_TRUE(listener.calls.isEmpty());
  EXPECT_TRUE(master->received.empty());
  EXPECT_EQ(mainSettings.readString(keys::Main, keys::StoreFileName, {}), test.file);

  // Saved: "Done!"; the other store is opened, and the window's list shows it.
  Store().LoadFromFile(test.file);
  prompts.shown.clear();
  form->Action(QStringLiteral("ActionSave"))->trigger();
  EXPECT_EQ(prompts.shown, QStringList{"notice: Done!"});
  const QString other = dir + QStringLiteral("/other.xml");
  {
    TXMLStore file(other);
    addItem(file, Id3);
    ASSERT_TRUE(file.SaveToFile(other));
  }
  prompts.script = {other};
  form->Action(QStringLiteral("ActionFileOpen"))->trigger();
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_EQ(Store().FileName(), other);
  EXPECT_EQ(mainSettings.readString(keys::Main, keys::StoreFileName, {}), other);
}

TEST_F(FormMainTest, SaveSelectedNeedsASelectionAndRefusesTheDataFileAndItsBackup) {
  TFormMain *form = open();
  QAction *saveSelected = form->Action(QStringLiteral("ActionFileSaveSelected"));
  const QString out = dir + QStringLiteral("/out.xml");
  prompts.script = {out};
  saveSelected->trigger();
  EXPECT_EQ(prompts.shown,
            QStringList({"save: Save selected to file", "notice: Nothing is selected!"}));
  EXPECT_FALSE(QFile::exists(out));

  // The guard of the export command: the file dialog first, then the refusal.
  form->ReminderPage().GetSelectedIds = [](QStringList *ids) { *ids = {Id2}; };
  prompts.shown.clear();
  prompts.script = {Store().FileName()};
  saveSelected->trigger();
  EXPECT_EQ(prompts.shown.value(1), "notice: Sorry, can't save to the program's own data file!");

  prompts.script = {out};
  saveSelected->trigger();
  TXMLStore exported(out);
  exported.LoadFromFile(out);
  QStringList ids;
  exported.GetIds(&ids);
  EXPECT_EQ(ids, QStringList({Id2}));
}

TEST_F(FormMainTest, AddFromFileAsksAfterTheFileAndArrivesWithProgramsOff) {
  TFormMain *form = open();
  const QString file = dir + QStringLiteral("/received.xml");
  {
    TXMLStore received(file);
    addItem(received, Id2);
    addItem(received, Id3, true);
    ASSERT_TRUE(received.SaveToFile(file));
  }
  prompts.script = {file, true};
  form->Action(QStringLiteral("ActionFileAdd"))->trigger();
  ASSERT_EQ(prompts.shown.size(), 3);
  EXPECT_TRUE(prompts.shown[0].startsWith("open: "));
  EXPECT_EQ(prompts.shown[1], "ask: If the same reminders are found, update them?");
  EXPECT_TRUE(prompts.shown[2].startsWith("notice: Added or updated 2 reminders!\r\n"));
  // Every imported reminder arrives with its mail switched off, and the notice names them.
  EXPECT_TRUE(prompts.shown[2].contains("Program and mail actions are switched off for:"));
  EXPECT_TRUE(prompts.shown[2].contains("Subject " + Id3.mid(1, 1)));
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_TRUE(master->received.empty());
}

// Before, Open on such a file swapped in the backup ("Sorry, can't read the reminder file! ...
// the reminders come from the backup"), and "Add from file" said "New reminders are not found!".
TEST_F(FormMainTest, OpenAndAddFromFileTellWhenTheFileIsNoReminderFile) {
  ReloadReminders();
  TFormMain *form = open();
  const QString page = dir + QStringLiteral("/page.html");
  {
    QFile html(page);
    ASSERT_TRUE(html.open(QIODevice::WriteOnly));
    html.write("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head>\n"
               "<body>Reminders<br>for today</body></html>\n");
  }
  const QString notReminders =
      "notice: The file is not a reminder file!\r\n" + page + "\r\nThe file is not XML.";
  prompts.script = {page};
  form->Action(QStringLiteral("ActionFileOpen"))->trigger();
  EXPECT_EQ(
      prompts.shown,
      QStringList({"open: Open", notReminders + "\r\nThe reminders stay in:\r\n" + test.file}));
  EXPECT_EQ(Store().FileName(), test.file);
  EXPECT_EQ(mainSettings.readString(keys::Main, keys::StoreFileName, {}), test.file);
  EXPECT_EQ(form->StatusPanel(2)->text(), test.file);
  EXPECT_EQ(test.model.Reminders().Count(), 2);
  EXPECT_TRUE(listener.calls.isEmpty());

  prompts.shown.clear();
  // Refused before the user is asked whether to update reminders it does not hold.
  prompts.script = {page};
  form->Action(QStringLiteral("ActionFileAdd"))->trigger();
  EXPECT_EQ(prompts.shown, QStringList({"open: Add from file", notReminders}));

  // A reminder file whose reminders are all here already is still told so.
  const QString known = dir + QStringLiteral("/known.xml");
  {
    TXMLStore received(known);
    addItem(received, Id1);
    ASSERT_TRUE(received.SaveToFile(known));
  }
  prompts.shown.clear();
  prompts.script = {known, false};
  form->Action(QStringLiteral("ActionFileAdd"))->trigger();
  EXPECT_EQ(prompts.shown.value(2), "notice: New reminders are not found!");
  EXPECT_TRUE(listener.calls.isEmpty());
}

TEST_F(FormMainTest, ASecondStartShowsTheWindowAndAClosedWindowHasHandleZero) {
  master.reset();
  TFormMaster formMaster(test.model, ui, std::make_unique<TManualTicker>());
  const QString socket = dir + QStringLiteral("/s");
  THandoverServer server(socket);
  server.OnShow = [&] { (void)hub().post(formMaster.Handle(), msg::WM_SHOW_MAIN_WINDOW); };
  ASSERT_TRUE(server.Listen());
  EXPECT_EQ(ui.MainWindowHandle(), 0u);
  auto result = std::async(std::launch::async,
                           [&] { return HandOver(socket, THandoverCommand::Show, 2000, 5000); });
  while (result.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
    QCoreApplication::processEvents();
  EXPECT_EQ(result.get(), THandoverResult::Done);
  ASSERT_TRUE(QTest::qWaitFor([] { return TFormMain::Instance() != nullptr; }));
  TFormMain *form = TFormMain::Instance();
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isModal());
  EXPECT_EQ(form->CurrentPage(), 0);
  const WindowHandle handle = ui.MainWindowHandle();
  EXPECT_NE(handle, 0u);

  // Asked again while open: the same window, on the page asked for, whose log is read once.
  int activations = 0;
  form->LogPage().Activate = [&] { ++activations; };
  ui.ShowMainWindowPage(QStringLiteral("Main"), 2);
  EXPECT_EQ(TFormMain::Instance(), form);
  EXPECT_EQ(form->CurrentPage(), 2);
  EXPECT_EQ(activations, 1);

  form->Action(QStringLiteral("ActionClose"))->trigger();
  EXPECT_EQ(ui.MainWindowHandle(), 0u);
  EXPECT_EQ(TFormMain::Instance(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(hub().findWindow(QStringLiteral("FormMain")), 0u);
}

TEST_F(FormMainTest, DemoModeTellsTheMasterAndChangesNoReminder) {
  TFormMain *form = open();
  QAction *demo = form->Action(QStringLiteral("ActionShowAllStickers"));
  const QString before = snapshot();
  demo->trigger();
  EXPECT_TRUE(DemoMode());
  EXPECT_EQ(messages(*master), std::vector<uint>{msg::WM_DEMO_MODE_CHANGED});

  // Leaving the reminder page ends it without telling the master, and disables the file actions.
  form->SetPage(TFormMain::PageOptions);
  EXPECT_FALSE(demo->isChecked());
  EXPECT_FALSE(DemoMode());
  EXPECT_EQ(master->received.size(), 1u);
  EXPECT_FALSE(demo->isEnabled());
  EXPECT_FALSE(form->Action(QStringLiteral("ActionSave"))->isEnabled());

  localSettings.writeBool(keys::Main, keys::UseLocalFolder, true);
  form->SetPage(TFormMain::PageReminders);
  EXPECT_FALSE(form->Action(QStringLiteral("ActionFileOpen"))->isEnabled());
  EXPECT_TRUE(form->Action(QStringLiteral("ActionSave"))->isEnabled());
  demo->trigger();
  demo->trigger();
  EXPECT_FALSE(DemoMode());
  EXPECT_EQ(messages(*master), std::vector<uint>(3, msg::WM_DEMO_MODE_CHANGED));
  EXPECT_EQ(snapshot(), before);
}

TEST_F(FormMainTest, TheReminderListHasTheKeysWhenTheWindowOpensOnIt) {
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  ASSERT_NE(form->focusWidget(), nullptr);
  // Insert and Delete act on the list without a click on it first.
  EXPECT_EQ(form->focusWidget()->objectName(), QStringLiteral("ListViewReminder"));
}

namespace {

class NoHtmlViewer final : public IShellLauncher {
public:
  bool startProgram(const QString &, const QStringList &, const QString &) override { return true; }
  bool openDocument(const QString &target) override {
    opened << target;
    return true;
  }
  bool canOpenHtml() override { return false; }
  QStringList opened;
};

} // namespace

// The Help menu did nothing without a browser, while F1 told where the help file is: both tell.
TEST_F(FormMainTest, TheHelpMenuTellsWhereTheHelpFileIsWithoutABrowser) {
  NoHtmlViewer launcher;
  ScopedShellLauncher launcherScope{launcher};
  QFile help(GetHelpFileName());
  ASSERT_TRUE(help.open(QIODevice::WriteOnly));
  help.write("<html></html>");
  help.close();
  TFormMain *form = open();
  for (const char *name : {"ActionHelp", "ActionHelpFaq"}) {
    prompts.shown.clear();
    auto *action = form->findChild<QAction *>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
    ASSERT_EQ(prompts.shown.size(), 1) << name;
    EXPECT_TRUE(prompts.shown[0].startsWith("notice: No program on this computer opens HTML"));
    EXPECT_TRUE(prompts.shown[0].endsWith(QDir::toNativeSeparators(GetHelpFileName())));
  }
  EXPECT_TRUE(launcher.opened.isEmpty());
}

// The editor was not modal: the list beside it deleted, archived or copied the reminder being
// edited, and Ok then saved into the copy in the trash. The main window takes no keys while the
// editor is open; a window of its own (a sticker) still does.
TEST_F(FormMainTest, TheEditorBlocksTheMainWindowsListButNoOtherWindow) {
  ReloadReminders();
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  const auto activeCount = [this] {
    int active = 0;
    for (int i = 0; i < test.model.Reminders().Count(); ++i)
      active += test.model.Reminders().At(i)->state == TReminderState::Active ? 1 : 0;
    return active;
  };
  ASSERT_EQ(activeCount(), 2);
  QLineEdit sticker;
  sticker.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&sticker));
  bool checked = false;
  QTimer::singleShot(0, form, [&] {
    TFormEditReminder *editor = TFormEditReminder::Current();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    // Delete on the Active tab moves the selected reminder to the trash without a question.
    QTest::keyClick(form->windowHandle(), Qt::Key_Delete);
    QTest::keyClick(sticker.windowHandle(), Qt::Key_A);
    QCoreApplication::processEvents(); // the list runs its keys' actions from the event loop
    checked = true;
    editor->CloseForShutDown();
  });
  QString id = NewReminderId;
  (void)ui.EditReminder(0, id, 2);
  ASSERT_TRUE(checked);
  EXPECT_EQ(activeCount(), 2);
  EXPECT_EQ(sticker.text(), QStringLiteral("a"));
  EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(" | ").toStdString();
}

namespace {

// The main window's tests on a 1280x800 screen (the CTest test ui_screen_1280x800 gives the
// offscreen platform one); skipped on a screen of another size.
class Screen1280x800 : public FormMainTest {
protected:
  void SetUp() override {
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || screen->geometry() != QRect(0, 0, 1280, 800))
      GTEST_SKIP() << "needs a 1280x800 screen";
    FormMainTest::SetUp();
  }
};

} // namespace

// At its design size the main window showed the list's columns only up to Mail; Program, Text and
// Created needed scrolling. Without a size of the user's it opens wide enough for every column,
// inside the screen.
TEST_F(Screen1280x800, TheMainWindowOpensWithEveryColumnOfTheListInSight) {
  ReloadReminders();
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  QCoreApplication::processEvents();
  auto *list = form->findChild<QTreeView *>(QStringLiteral("ListViewReminder"));
  ASSERT_NE(list, nullptr);
  EXPECT_LE(form->ReminderPage().MissingListWidth(), 0);
  EXPECT_LE(list->header()->length(), list->viewport()->width());
  for (int c = 0; c < list->header()->count(); ++c)
    EXPECT_FALSE(list->header()->isSectionHidden(c)) << c;
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(form->frameGeometry()))
      << form->frameGeometry().width() << "x" << form->frameGeometry().height();
}

// A size the user gave the window is his: it opens at it, columns that do not fit scroll.
TEST_F(Screen1280x800, ASavedSizeOfTheMainWindowIsKept) {
  mainSettings.writeInteger(keys::FormMain, keys::Width, 600);
  mainSettings.writeInteger(keys::FormMain, keys::Height, 420);
  ReloadReminders();
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  QCoreApplication::processEvents();
  EXPECT_EQ(form->size(), QSize(600, 420));
}

namespace {

// Every text the language file gives: the captions "Make lng" writes for the window and its pages,
// and the messages.
QSet<QString> languageFileTexts(QWidget *form, const QString &folder) {
  const QString file = folder + QStringLiteral("/captions.lng");
  SaveFormLanguageFile(form, file);
  for (QWidget *frame : form->findChildren<QWidget *>())
    if (IsLanguageFrame(frame))
      SaveFormLanguageFile(frame, file);
  TMMemIniFile ini;
  EXPECT_TRUE(ini.loadFromFile(file));
  QSet<QString> texts;
  for (const QString &section : ini.readSections())
    for (const QString &key : ini.readSection(section))
      texts << ini.readString(section, key, {}).trimmed();
  for (const QString &message : DefaultLanguageMessages())
    texts << message.trimmed();
  return texts;
}

// The captions the window shows: of labels, buttons, group boxes, tabs, list headers and items,
// and its menus. The status bar shows the store's file and the version, no captions.
QStringList visibleCaptions(QMainWindow *form) {
  QStringList out;
  for (QWidget *w : form->findChildren<QWidget *>()) {
    if (!w->isVisible() || qobject_cast<QStatusBar *>(w->parentWidget()))
      continue;
    if (auto *label = qobject_cast<QLabel *>(w))
      out << label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty())
      out << button->text();
    else if (auto *group = qobject_cast<QGroupBox *>(w))
      out << group->title();
    else if (auto *tabs = qobject_cast<QTabBar *>(w))
      for (int i = 0; i < tabs->count(); ++i)
        out << tabs->tabText(i);
    else if (auto *header = qobject_cast<QHeaderView *>(w))
      for (int i = 0; i < header->count(); ++i)
        out << header->model()->headerData(i, header->orientation()).toString();
    else if (auto *list = qobject_cast<QListWidget *>(w))
      for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
  }
  for (QAction *entry : form->menuBar()->actions()) {
    out << entry->text();
    if (entry->menu())
      for (QAction *action : entry->menu()->actions())
        if (!action->isSeparator())
          out << action->text();
  }
  out.removeAll(QString());
  return out;
}

} // namespace

// The File, View and Help menus had no entry in the language file, so they stayed English in
// every language. Every caption the main window shows, on each of its pages, is one the language
// file holds.
TEST_F(FormMainTest, EveryCaptionTheMainWindowShowsIsInTheLanguageFile) {
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  const QSet<QString> texts = languageFileTexts(form, dir);
  for (int page : {0, 1, 2}) {
    form->SetPage(page);
    QCoreApplication::processEvents();
    for (const QString &caption : visibleCaptions(form))
      EXPECT_TRUE(texts.contains(caption.trimmed()))
          << "page " << page << ": \"" << caption.toStdString() << "\" is in no language file";
  }
}

// After a language change the rows kept the old language until the list was filled again, and
// the menus kept theirs for good.
TEST_F(FormMainTest, ALanguageChangeReachesTheRowsAndTheMenus) {
  ReloadReminders();
  TFormMain *form = open(0);
  auto *list = form->findChild<QTreeView *>(QStringLiteral("ListViewReminder"));
  ASSERT_NE(list, nullptr);
  ASSERT_GT(list->model()->rowCount(), 0);
  const QString type = list->model()->index(0, 1).data().toString();
  ASSERT_FALSE(type.isEmpty());
  const QString file = dir + QStringLiteral("/german.lng");
  QFile lng(file);
  ASSERT_TRUE(lng.open(QIODevice::WriteOnly));
  lng.write(QStringLiteral("[Messages]\r\n%1=Typ %1\r\n&File=&Datei\r\n").arg(type).toUtf8());
  lng.close();
  CreateLanguageTable();
  const auto freeTable = qScopeGuard([] { FreeLanguageTable(); });
  LoadLanguageFile(file);
  (void)hub().send(form->HubHandle(), msg::WM_LANGUAGE_CHANGED);
  EXPECT_EQ(list->model()->index(0, 1).data().toString(), "Typ " + type);
  EXPECT_EQ(form->menuBar()->actions().value(0)->text(), QStringLiteral("&Datei"));
}

namespace {

// A language file of long captions for the main window's page list and its log page.
QString writeLongCaptions(const QString &folder) {
  const QString file = folder + QStringLiteral("/long.lng");
  QFile lng(file);
  EXPECT_TRUE(lng.open(QIODevice::WriteOnly));
  lng.write("[FormMain]\r\nListViewMain.Item0=Erinnerungsverwaltung\r\n"
            "ListViewMain.Item1=Einstellungen und Optionen\r\n"
            "ListViewMain.Item2=Protokoll der Ereignisse\r\n"
            "[FrameLog]\r\nListViewLog.Column1=Name des Benutzers\r\n");
  return file;
}

} // namespace

// The log page kept the English captions in every language, and its columns their widths.
TEST_F(FormMainTest, ALanguageChangeReachesTheLogPageAndFitsItsColumns) {
  TFormMain *form = open(2);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  auto *log = form->findChild<QTreeView *>(QStringLiteral("ListViewLog"));
  ASSERT_NE(log, nullptr);
  mainSettings.writeString(keys::Config, keys::Lng, writeLongCaptions(dir));
  (void)hub().send(form->HubHandle(), msg::WM_LANGUAGE_CHANGED);
  EXPECT_EQ(log->model()->headerData(1, Qt::Horizontal).toString(), "Name des Benutzers");
  EXPECT_GE(log->header()->sectionSize(1), log->header()->sectionSizeHint(1));
}

// Longer captions ran into each other in the page list, and a word wider than the list was cut:
// each caption shows whole inside the list, apart from the others.
TEST_F(FormMainTest, LongerCaptionsInThePageListNeitherOverlapNorAreCut) {
  TFormMain *form = open(0);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  auto *pages = form->findChild<QListWidget *>(QStringLiteral("ListViewMain"));
  ASSERT_NE(pages, nullptr);
  mainSettings.writeString(keys::Config, keys::Lng, writeLongCaptions(dir));
  (void)hub().send(form->HubHandle(), msg::WM_LANGUAGE_CHANGED);
  QCoreApplication::processEvents();
  ASSERT_EQ(pages->item(0)->text(), QStringLiteral("Erinnerungsverwaltung"));
  const QRect inside = pages->viewport()->rect();
  const QFontMetrics metrics = pages->fontMetrics();
  for (int i = 0; i < pages->count(); ++i) {
    const QRect place = pages->visualItemRect(pages->item(i));
    const QString text = pages->item(i)->text();
    EXPECT_TRUE(inside.contains(place)) << text.toStdString();
    // The caption wraps between words; the widest word fits the item.
    for (const QString &word : text.split(u' '))
      EXPECT_GE(place.width(), metrics.horizontalAdvance(word)) << word.toStdString();
    for (int j = i + 1; j < pages->count(); ++j)
      EXPECT_FALSE(place.intersects(pages->visualItemRect(pages->item(j))))
          << text.toStdString() << " overlaps " << pages->item(j)->text().toStdString();
  }
}

// After a change from longer captions to shorter ones the page list kept the places of the
// longer ones and repainted only the new items' rectangles: what stood below them stayed on the
// screen ("Log" over a leftover "Log") until something repainted the list. The list is laid out
// anew for the captions it has: its items stand where a fresh layout puts them.
TEST_F(FormMainTest, APageListLaidOutForTheCaptionsOfEachLanguage) {
  TFormMain *form = open(1);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  auto *pages = form->findChild<QListWidget *>(QStringLiteral("ListViewMain"));
  ASSERT_NE(pages, nullptr);
  const QString shorter = dir + QStringLiteral("/short.lng");
  QFile lng(shorter);
  ASSERT_TRUE(lng.open(QIODevice::WriteOnly));
  lng.write("[FormMain]\r\nListViewMain.Item0=Reminders\r\nListViewMain.Item1=Options\r\n"
            "ListViewMain.Item2=Log\r\n");
  lng.close();
  const auto places = [pages] {
    QList<QRect> out;
    for (int i = 0; i < pages->count(); ++i)
      out << pages->visualItemRect(pages->item(i));
    return out;
  };
  for (const QString &file : {writeLongCaptions(dir), shorter}) {
    mainSettings.writeString(keys::Config, keys::Lng, file);
    (void)hub().send(form->HubHandle(), msg::WM_LANGUAGE_CHANGED);
    const QList<QRect> shown = places();
    pages->doItemsLayout();
    EXPECT_EQ(shown, places()) << file.toStdString();
  }
  EXPECT_EQ(pages->item(2)->text(), QStringLiteral("Log"));
}
