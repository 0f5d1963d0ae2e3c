#include "tests/ui/EditorFixture.h"

#include "model/Settings.h"
#include "services/CommaText.h"
#include "services/MailComposer.h"
#include "services/ShellExecute.h"
#include "services/ShellWords.h"
#include "tests/support/Sandbox.h"
#include "ui/FrameMail.h"
#include "ui/FrameShellExec.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QUrl>

using namespace editortest;

namespace {

class RecordingLauncher final : public IShellLauncher {
public:
  QStringList launches; // "program|arguments|folder"
  bool startProgram(const QString &program, const QStringList &arguments,
                    const QString &folder) override {
    launches << program + "|" + arguments.join(u'/') + "|" + folder;
    return true;
  }
  bool openDocument(const QString &target) override {
    launches << "open|" + target;
    return true;
  }
};

class Pages : public EditorFixture {
protected:
  template <class T> T *child(QWidget &page, const char *name) {
    T *w = page.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  RecordingLauncher launcher;
  ScopedShellLauncher scopedLauncher{launcher};
  QString dir = sandbox::makeTempDir("pages");
};

} // namespace

// Both pages sit in the editor, load from the reminder and save into it with Ok; the saved
// address lists reach the right recipients.
TEST_F(Pages, EditorSavesMailAndProgramPagesIntoTheReminder) {
  QString id = addStored(QStringLiteral("pages"));
  FindReminderById(id)->mail.to = QStringLiteral("old@x.org");
  FindReminderById(id)->shellExec.flag = TShowFlag::Minimized;
  ASSERT_TRUE(edit(id, 2, [](TFormEditReminder &editor) {
    auto *to = editor.findChild<QPlainTextEdit *>(QStringLiteral("RichEditTo"));
    ASSERT_NE(to, nullptr);
    EXPECT_EQ(to->toPlainText(), QStringLiteral("old@x.org"));
    to->setPlainText(QStringLiteral(" a@x.org; b@y.org\nc@z.org "));
    editor.findChild<QLineEdit *>(QStringLiteral("EditFileName"))
        ->setText(QStringLiteral(" /bin/true "));
    EXPECT_TRUE(editor.Modified());
    EXPECT_TRUE(editor.ActionOkExecute());
  }));
  const TDataObject *saved = FindReminderById(id);
  EXPECT_EQ(saved->mail.to, QStringLiteral("a@x.org, b@y.org\r\nc@z.org"));
  EXPECT_EQ(saved->shellExec.fileName, QStringLiteral("/bin/true"));
  EXPECT_EQ(saved->shellExec.flag, TShowFlag::Minimized);
  TMailMessage m;
  m.to = saved->mail.to;
  EXPECT_EQ(ComposeMail(m).recipients, QStringList({"a@x.org", "b@y.org", "c@z.org"}));
}

TEST_F(Pages, MailPageFillsTheSenderListsFilesAndMarksMissingOnes) {
  MainSettings().writeString(QStringLiteral("Mail"), QStringLiteral("DefaultFromAddress"),
                             QStringLiteral("me@x.org"));
  const QString present = dir + "/a b.txt";
  QFile(present).open(QIODevice::WriteOnly);
  NewReminderTemplate()->mail.files = ListToCommaText({present, dir + "/gone", "", present});
  TFrameMail page(model.model);
  page.LoadFromReminder(NewReminderId);
  EXPECT_EQ(child<QLineEdit>(page, "EditFrom")->text(), QStringLiteral("me@x.org"));
  page.AddFile(present.toUpper()); // another letter case is another file
  EXPECT_EQ(page.Files(), QStringList({present, dir + "/gone", present.toUpper()}));
  auto *list = child<QTreeWidget>(page, "ListViewFiles");
  EXPECT_TRUE(list->topLevelItem(0)->toolTip(0).isEmpty());
  EXPECT_FALSE(list->topLevelItem(1)->toolTip(0).isEmpty()); // missing, shown as such
  const auto out = TDataObject::Create(NewReminderId);
  page.SaveToReminder(*out);
  EXPECT_EQ(CommaTextToList(out->mail.files), page.Files());
}

// A firing's mail to a list that does not parse is never sent, so the page tells it as soon as a
// field is left (and for a stored list, as it loads), and Ok is refused with the reason.
TEST_F(Pages, MailPageTellsWhichAddressIsNoAddressAndWhy) {
  NewReminderTemplate()->mail.to = QStringLiteral("<evil>@x");
  TFrameMail page(model.model);
  page.LoadFromReminder(NewReminderId);
  auto *problem = page.findChild<QLabel *>(QStringLiteral("qt_addressProblem"));
  ASSERT_NE(problem, nullptr);
  EXPECT_FALSE(problem->isHidden());
  EXPECT_EQ(problem->text(),
            QStringLiteral("To: \"<evil>@x\" is no mail address. Text follows the closing \">\"."));
  auto leave = [](QWidget *field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
  };
  auto *to = child<QPlainTextEdit>(page, "RichEditTo");
  auto *cc = child<QPlainTextEdit>(page, "RichEditCC");
  to->setPlainText(QStringLiteral("a@x.org; b@y.org"));
  leave(to);
  EXPECT_TRUE(problem->isHidden());
  EXPECT_TRUE(page.CheckBeforeSave());
  cc->setPlainText(QStringLiteral("\"Na\nme\" <n@x.org>"));
  leave(cc);
  EXPECT_FALSE(problem->isHidden());
  EXPECT_TRUE(problem->text().startsWith(QStringLiteral("CC: \"\"Na\" is no mail address.")))
      << problem->text().toStdString();
  EXPECT_FALSE(page.CheckBeforeSave());
  EXPECT_EQ(prompts.shown, QStringList{"notice: " + problem->text()});
}

// "Test run" starts what a firing starts: the same program, the parameters as one argument and
// the folder; the window flag cannot be applied here and does not matter.
TEST_F(Pages, TestRunStartsWhatAFiringStartsAndKeepsAnUntickedFlag) {
  const QString tool = dir + "/tool";
  QFile f(tool);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.setPermissions(f.permissions() | QFile::ExeOwner);
  f.close();
  TShellExecRec &rec = NewReminderTemplate()->shellExec;
  rec = {true, tool, QStringLiteral("-a \"b c\""), dir, TShowFlag{7}};
  TFrameShellExec page(model.model);
  page.LoadFromReminder(NewReminderId);
  for (const char *name : {"RadioButtonMinimize", "RadioButtonNormal", "RadioButtonMaximize"})
    EXPECT_FALSE(child<QRadioButton>(page, name)->isChecked()) << name;
  const auto out = TDataObject::Create(NewReminderId);
  out->shellExec.flag = TShowFlag{7};
  page.SaveToReminder(*out);
  EXPECT_EQ(int(out->shellExec.flag), 7);
  page.ActionTestExecute();
  (void)ShellExecuteFile(rec.fileName, rec.params, rec.folder, int(rec.flag), false, false);
  ASSERT_EQ(launcher.launches.size(), 2);
  EXPECT_EQ(launcher.launches[0], tool + "|-a/b c|" + dir); // two arguments, as a shell has them
  EXPECT_EQ(launcher.launches[0], launcher.launches[1]);
  child<QLineEdit>(page, "EditFileName")->setText(QStringLiteral("  "));
  page.ActionTestExecute();
  EXPECT_EQ(launcher.launches.size(), 2);
}

// The parameters' hint shows how words with blanks are written, and its example splits so.
TEST_F(Pages, TheParametersHintTellsHowTheTextIsSplit) {
  TFrameShellExec page(model.model);
  const auto *params = child<QLineEdit>(page, "EditParams");
  EXPECT_EQ(SplitShellWords(params->placeholderText()), QStringList({"-v", "my file.txt"}));
  for (const char *part : {"\"my file.txt\"", "'my file.txt'", "my\\ file.txt"}) {
    EXPECT_TRUE(params->toolTip().contains(QLatin1String(part))) << part;
    EXPECT_EQ(SplitShellWords(QLatin1String(part)), QStringList({"my file.txt"})) << part;
  }
}

// A file dropped on the program box replaces the box's text (Qt would insert it) once the
// posted notice arrives.
TEST_F(Pages, DropOnTheProgramBoxReplacesItsText) {
  TFrameShellExec page(model.model);
  page.LoadOptions();
  auto *box = child<QLineEdit>(page, "EditFileName");
  box->setText(QStringLiteral("old"));
  const QString target = dir + "/doc.txt";
  QFile(target).open(QIODevice::WriteOnly);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(target)});
  data.setText(QUrl::fromLocalFile(target).toString());
  QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(box, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
  QCoreApplication::sendEvent(box, &drop);
  EXPECT_EQ(box->text(), QStringLiteral("old"));
  QCoreApplication::processEvents();
  EXPECT_EQ(box->text(), target);
}
