#include "tests/ui/EditorFixture.h"

#include "model/Model.h"
#include "ui/EditorPage.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>

using namespace editortest;

namespace {

// The ids of the store's items.
QStringList storedIds() {
  QStringList ids;
  Store().GetIds(&ids);
  return ids;
}

template <class W> W *child(TFormEditReminder &editor, const char *name) {
  W *w = editor.findChild<W *>(QLatin1String(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

class Editor : public EditorFixture {};

} // namespace

// Signals that controls fire while they are filled must not count as the user's changes.
TEST_F(Editor, LoadingAStoredReminderLeavesItUnmodifiedSoCancelAsksNothing) {
  const QString id = addStored(QStringLiteral("Call Bob"));
  {
    TFormEditReminder editor(model.model, ui, id, 0);
    editor.LoadReminder();
    EXPECT_EQ(child<QLineEdit>(editor, "EditSubject")->text(), "Call Bob");
    EXPECT_EQ(child<QPlainTextEdit>(editor, "RichEditText")->toPlainText(), "line 1\nline 2");
    EXPECT_FALSE(editor.Modified());
    // While it is edited the reminder does not fire, and its live outputs were stopped.
    ASSERT_NE(PreviewReminder(), nullptr);
    EXPECT_EQ(model.model.EditingId(), id);
    EXPECT_TRUE(FindReminderById(id)->IsEditing(model.model.EditingId()));
    EXPECT_EQ(log.count(msg::WM_STOP_REMINDER_OUTPUTS), 1);

    editor.reject();
    EXPECT_TRUE(editor.Closed());
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();
  }
  EXPECT_EQ(PreviewReminder(), nullptr);
  EXPECT_EQ(model.model.EditingId(), QString());
}

TEST_F(Editor, ATypedChangeAsksBeforeCancelAndNoKeepsTheStoredReminder) {
  const QString id = addStored(QStringLiteral("Call Bob"));
  TFormEditReminder editor(model.model, ui, id, 0);
  editor.LoadReminder();
  child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Call Alice"));
  EXPECT_TRUE(editor.Modified());

  prompts.script.push_back(int(UiPrompts::Answer::Cancel));
  editor.reject();
  EXPECT_FALSE(editor.Closed());
  prompts.script.push_back(int(UiPrompts::Answer::No));
  editor.reject();
  EXPECT_TRUE(editor.Closed());
  EXPECT_EQ(prompts.shown, QStringList(2, QStringLiteral("ask3: Reminder was changed. Save?")));
  EXPECT_EQ(FindReminderById(id)->subject, "Call Bob");
  EXPECT_FALSE(dataFile().contains("Call Alice"));
}

TEST_F(Editor, SavingANewReminderStoresItUnderANewIdAndTellsTheWindowsInOrder) {
  QString id = NewReminderId;
  bool previewWhileOpen = false;
  const bool ok = edit(id, 2, [&](TFormEditReminder &editor) {
    previewWhileOpen = PreviewReminder() != nullptr;
    child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Water the plants"));
    editor.findChild<QAction *>(QStringLiteral("ActionOk"))->trigger();
  });
  EXPECT_TRUE(ok);
  EXPECT_TRUE(previewWhileOpen);
  EXPECT_EQ(PreviewReminder(), nullptr);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                  .match(id)
                  .hasMatch())
      << id.toStdString();
  const TDataObject *saved = FindReminderById(id);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->subject, "Water the plants");
  EXPECT_TRUE(dataFile().contains(id.toUtf8()));
  EXPECT_TRUE(dataFile().contains("Water the plants"));
  EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();

  // The save command tells the listener (which has the main window refresh the row: 1033 with
  // the reminder's number), then the editor tells the master (1032); 1026 only after the editor
  // has gone.
  EXPECT_EQ(listener.calls, QStringList{QStringLiteral("updated %1").arg(saved->Number)});
  const int settings = log.indexOf(msg::WM_SETTINGS_CHANGED);
  const int updated = log.indexOf(msg::WM_REMINDER_UPDATED);
  ASSERT_GE(settings, 0);
  ASSERT_GE(updated, 0);
  EXPECT_EQ(log.count(msg::WM_SETTINGS_CHANGED), 1);
  EXPECT_EQ(log.count(msg::WM_REMINDER_UPDATED), 1);
  EXPECT_EQ(log.entries[size_t(settings)].window, QLatin1String(MasterWindowName));
  EXPECT_EQ(log.entries[size_t(updated)].window, "FormMain");
  EXPECT_EQ(log.entries[size_t(updated)].wParam, uintptr_t(saved->Number));
  EXPECT_EQ(log.count(msg::WM_REMINDER_CHANGED), 0);
  QCoreApplication::processEvents();
  ASSERT_EQ(log.count(msg::WM_REMINDER_CHANGED), 1);
  EXPECT_EQ(log.entries.back().wParam, uintptr_t(saved->Number));
}

TEST_F(Editor, DeleteOfANewReminderAsksNothingAndSavesNothing) {
  QString id = NewReminderId;
  bool modified = false;
  EXPECT_FALSE(edit(id, 2, [&](TFormEditReminder &editor) {
    modified = editor.Modified(); // a new reminder always counts as changed
    editor.ActionDeleteExecute();
  }));
  EXPECT_TRUE(modified);
  EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();
  EXPECT_EQ(log.count(msg::WM_DELETE_REMINDERS), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(log.count(msg::WM_REMINDER_CHANGED), 0);
  EXPECT_EQ(Reminders().Count(), 0);
  EXPECT_TRUE(storedIds().isEmpty());
  EXPECT_FALSE(QFile::exists(model.file));
}

// The delete command re-reads every reminder: the editor must hold nothing but the id across it.
TEST_F(Editor, DeleteOfAStoredReminderMovesItToTrashAndSavesNoChange) {
  QString id = addStored(QStringLiteral("Call Bob"));
  const int32_t number = FindReminderById(id)->Number;
  EXPECT_FALSE(edit(id, 0, [](TFormEditReminder &editor) {
    child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Call Alice"));
    editor.ActionDeleteExecute();
  }));
  EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();
  EXPECT_EQ(log.count(msg::WM_DELETE_REMINDERS), 0);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_NE(GetReminderNumberById(id), number); // read back from the file
  const TDataObject *trashed = FindReminderById(id);
  ASSERT_NE(trashed, nullptr);
  EXPECT_EQ(trashed->state, TReminderState::Trash);
  EXPECT_EQ(trashed->subject, "Call Bob");
  EXPECT_FALSE(dataFile().contains("Call Alice"));
  EXPECT_EQ(PreviewReminder(), nullptr);
}

TEST_F(Editor, AnUnknownIdOrASecondEditorIsRefusedWithoutOpening) {
  QString unknown = QStringLiteral("0F0F0F0F-0000-0000-0000-000000000000");
  EXPECT_FALSE(EditReminder(model.model, ui, -1, unknown, 2));
  EXPECT_EQ(TFormEditReminder::Current(), nullptr);
  EXPECT_EQ(PreviewReminder(), nullptr);
  EXPECT_TRUE(log.entries.empty());

  QString id = addStored(QStringLiteral("Call Bob"));
  bool second = true;
  TFormEditReminder *during = nullptr;
  EXPECT_FALSE(edit(id, 0, [&](TFormEditReminder &editor) {
    QString other = NewReminderId;
    second = EditReminder(model.model, ui, 0, other, 2);
    during = TFormEditReminder::Current();
    EXPECT_EQ(other, NewReminderId);
    EXPECT_EQ(during, &editor);
    editor.reject();
  }));
  EXPECT_FALSE(second);
  EXPECT_NE(during, nullptr);
  EXPECT_EQ(TFormEditReminder::Current(), nullptr);
}

// CI runs as root: a folder where data.xml should be is what makes the write fail.
TEST_F(Editor, AFailedSaveKeepsTheEditorOpenWithTheChange) {
  ASSERT_TRUE(QDir().mkpath(model.file));
  TFormEditReminder editor(model.model, ui, NewReminderId, 2);
  editor.LoadReminder();
  child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Water the plants"));

  EXPECT_FALSE(editor.ActionOkExecute());
  EXPECT_FALSE(editor.Closed());
  EXPECT_TRUE(editor.Modified());
  EXPECT_EQ(editor.ReminderId(), NewReminderId);
  EXPECT_EQ(child<QLineEdit>(editor, "EditSubject")->text(), "Water the plants");
  // The store's own notice, and no second one from the editor.
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith("notice: Sorry, can't save file!"));
  EXPECT_EQ(Reminders().Count(), 0);
  EXPECT_TRUE(storedIds().isEmpty()); // no half-made item left for a second Ok to twin
  EXPECT_EQ(log.count(msg::WM_SETTINGS_CHANGED), 0);

  ASSERT_TRUE(QDir(model.file).removeRecursively());
  EXPECT_TRUE(editor.ActionOkExecute());
  EXPECT_TRUE(editor.Closed());
  EXPECT_EQ(storedIds().size(), 1);
  EXPECT_EQ(Reminders().Count(), 1);
  EXPECT_TRUE(dataFile().contains("Water the plants"));
}

// Before, Ok wrote an address that is no address (the mail page only marked it as its field was
// left), and the firing then logged its mail as not sent.
TEST_F(Editor, OkKeepsTheEditorOpenWhileAShownPageHoldsWhatCannotBeSaved) {
  const QString id = addStored(QStringLiteral("Call Bob"));
  const QByteArray stored = dataFile();
  TFormEditReminder editor(model.model, ui, id, 2);
  editor.LoadReminder();
  auto *tabs = child<QTabWidget>(editor, "PageControl1");
  auto *to = child<QPlainTextEdit>(editor, "RichEditTo");
  child<QCheckBox>(editor, "CheckBoxMailEnable")->setChecked(true);
  to->setPlainText(QStringLiteral("<evil>@x"));
  child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Call Bob today"));

  EXPECT_FALSE(editor.ActionOkExecute());
  EXPECT_FALSE(editor.Closed());
  EXPECT_TRUE(editor.Modified());
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith("notice: ")) << prompts.shown[0].toStdString();
  EXPECT_EQ(tabs->currentWidget(), child<QWidget>(editor, "TabSheetMail"));
  EXPECT_EQ(dataFile(), stored);
  EXPECT_EQ(FindReminderById(id)->subject, QStringLiteral("Call Bob"));
  EXPECT_FALSE(FindReminderById(id)->mail.enable);
  EXPECT_EQ(log.count(msg::WM_SETTINGS_CHANGED), 0);
  EXPECT_TRUE(listener.calls.isEmpty());

  // A page whose action is off is not used when the reminder fires: it keeps nobody from saving.
  child<QCheckBox>(editor, "CheckBoxMailEnable")->setChecked(false);
  prompts.shown.clear();
  EXPECT_TRUE(editor.ActionOkExecute());
  EXPECT_TRUE(editor.Closed());
  EXPECT_TRUE(prompts.shown.isEmpty());
  EXPECT_EQ(FindReminderById(id)->subject, QStringLiteral("Call Bob today"));
}

// tolvane stop, SIGTERM and the tray's Exit end the program with QCoreApplication::exit, which
// ends the editor's loop too.
TEST_F(Editor, ShutDownWithTheEditorOpenClosesItWithoutAskingOrSaving) {
  bool result = true;
  bool previewWhileOpen = false;
  QString id = NewReminderId;
  QTimer::singleShot(0, [&] {
    result = edit(id, 2, [&](TFormEditReminder &editor) {
      previewWhileOpen = PreviewReminder() != nullptr;
      child<QLineEdit>(editor, "EditSubject")->setText(QStringLiteral("Water the plants"));
      QCoreApplication::exit(0);
    });
  });
  QCoreApplication::exec();
  EXPECT_FALSE(result);
  EXPECT_TRUE(previewWhileOpen);
  EXPECT_EQ(PreviewReminder(), nullptr);
  EXPECT_EQ(TFormEditReminder::Current(), nullptr);
  EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join('|').toStdString();
  EXPECT_EQ(id, NewReminderId);
  EXPECT_EQ(Reminders().Count(), 0);
  EXPECT_FALSE(QFile::exists(model.file));
}

TEST(EditorPage, AStoredCodeOutsideTheListSelectsTheFirstEntry) {
  QComboBox list;
  list.addItems({"minute", "hour", "day"});
  SelectListCode(list, 2);
  EXPECT_EQ(list.currentIndex(), 2);
  for (const int code : {-1, 3, 255}) {
    SelectListCode(list, code);
    EXPECT_EQ(list.currentIndex(), 0) << code;
  }
}
