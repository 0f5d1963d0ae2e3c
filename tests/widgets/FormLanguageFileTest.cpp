// Captions of small forms built here, written to and read from language files.
#include "widgets/FormLanguageFile.h"

#include "platform/Errors.h"
#include "platform/MemIniFile.h"
#include "tests/support/Sandbox.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

template <typename W> W *named(QWidget *parent, const char *name) {
  auto *w = new W(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// A dialog with one component of every kind, a frame on one of its tab pages, a dialog of its own
// and a few things that have no caption.
struct TestForm {
  QDialog form;
  QLabel *label;
  QPushButton *button;
  QCheckBox *check;
  QGroupBox *group;
  QLineEdit *edit;
  QToolButton *speedButton;
  QMenu *menu;
  QAction *action;
  QMenuBar *menuBar;
  QTabWidget *tabs;
  QWidget *pageMain;
  QWidget *pageSticker;
  QWidget *frame;
  QLabel *frameLabel;
  QTreeWidget *report;
  QTableWidget *table;
  QListWidget *icons;
  QListWidget *plainList;
  QLabel *scrolledLabel;
  QDialog *childDialog;

  TestForm() {
    form.setObjectName(QStringLiteral("FormTest"));
    form.setWindowTitle(QStringLiteral("Test"));
    label = named<QLabel>(&form, "LabelName");
    label->setText(QStringLiteral("Name:"));
    button = named<QPushButton>(&form, "ButtonOk");
    button->setText(QStringLiteral("OK"));
    check = named<QCheckBox>(&form, "CheckBoxEnable");
    check->setText(QStringLiteral("Enable"));
    group = named<QGroupBox>(&form, "GroupBoxSound");
    group->setTitle(QStringLiteral("As Sound"));
    edit = named<QLineEdit>(group, "EditSubject");
    edit->setText(QStringLiteral("typed by the user"));
    speedButton = named<QToolButton>(&form, "SpeedButtonOpen");
    speedButton->setText(QStringLiteral("..."));
    auto *panel = named<QFrame>(&form, "Panel1");
    auto *unnamed = new QPushButton(QStringLiteral("no name"), panel);
    (void)unnamed;
    menu = named<QMenu>(&form, "PopupMenu1");
    menu->setTitle(QStringLiteral("Popup"));
    action = new QAction(QStringLiteral("Open"), &form);
    action->setObjectName(QStringLiteral("ActionOpen"));
    menu->addAction(action);
    menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    menuBar = named<QMenuBar>(&form, "ActionMainMenuBar1");
    menuBar->addAction(QStringLiteral("File"));
    menuBar->addAction(QStringLiteral("Help"));

    tabs = named<QTabWidget>(&form, "PageControl1");
    pageMain = named<QWidget>(nullptr, "TabSheetMain");
    pageSticker = named<QWidget>(nullptr, "TabSheetSticker");
    tabs->addTab(pageMain, QStringLiteral("Main"));
    tabs->addTab(pageSticker, QStringLiteral("Sticker"));
    frame = named<QWidget>(pageSticker, "FrameSticker");
    MarkAsLanguageFrame(frame);
    frameLabel = named<QLabel>(frame, "LabelSubject");
    frameLabel->setText(QStringLiteral("Subject"));

    report = named<QTreeWidget>(pageMain, "ListViewLog");
    report->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Event"), QStringLiteral("Subject")});
    table = named<QTableWidget>(pageMain, "GridTimes");
    table->setColumnCount(2);
    table->setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("Start")));
    icons = named<QListWidget>(pageMain, "ListViewKinds");
    icons->setViewMode(QListView::IconMode);
    icons->addItems({QStringLiteral("Once"), QStringLiteral("Daily")});
    plainList = named<QListWidget>(pageMain, "ListBoxFiles");
    plainList->addItems({QStringLiteral("a.txt")});

    auto *scroll = named<QScrollArea>(pageMain, "ScrollBox1");
    auto *inner = new QWidget;
    scrolledLabel = named<QLabel>(inner, "LabelInside");
    scrolledLabel->setText(QStringLiteral("Inside"));
    scroll->setWidget(inner);

    childDialog = named<QDialog>(&form, "FormChild");
    named<QLabel>(childDialog, "LabelChild")->setText(QStringLiteral("Child"));
  }
};

QString tempFile(const QString &name) {
  return sandbox::makeTempDir(QStringLiteral("lng")) + QLatin1Char('/') + name;
}

void writeText(const QString &path, const QByteArray &text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

TMMemIniFile readIni(const QString &path) {
  TMMemIniFile ini;
  EXPECT_TRUE(ini.loadFromFile(path));
  return ini;
}

} // namespace

TEST(FormLanguageFile, ExportWritesTheFormsCaptionsAndNothingElse) {
  TestForm t;
  const QString path = tempFile(QStringLiteral("default.lng"));
  SaveFormLanguageFile(&t.form, path);
  const TMMemIniFile ini = readIni(path);
  EXPECT_EQ(ini.readSections(), QStringList{QStringLiteral("FormTest")});
  // Actions come after the rest; the frame, the child dialog, tool buttons, menus, menu bars,
  // edit boxes, plain lists and unnamed widgets are left out.
  const QStringList expected{"FormTest",
                             "LabelName",
                             "ButtonOk",
                             "CheckBoxEnable",
                             "GroupBoxSound",
                             "TabSheetMain",
                             "ListViewLog.Column0",
                             "ListViewLog.Column1",
                             "ListViewLog.Column2",
                             "GridTimes.Column0",
                             "GridTimes.Column1",
                             "ListViewKinds.Item0",
                             "ListViewKinds.Item1",
                             "LabelInside",
                             "TabSheetSticker",
                             "ActionOpen"};
  EXPECT_EQ(ini.readSection(QStringLiteral("FormTest")).join(u' '), expected.join(u' '));
  const QString s = QStringLiteral("FormTest");
  EXPECT_EQ(ini.readString(s, QStringLiteral("FormTest"), {}), QStringLiteral("Test"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("TabSheetSticker"), {}), QStringLiteral("Sticker"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("ListViewLog.Column2"), {}),
            QStringLiteral("Subject"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("GridTimes.Column1"), {}), QStringLiteral("2"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("ListViewKinds.Item1"), {}), QStringLiteral("Daily"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("ActionOpen"), {}), QStringLiteral("Open"));
}

TEST(FormLanguageFile, AFrameHasASectionOfItsOwnWithoutACaptionKey) {
  TestForm t;
  const QString path = tempFile(QStringLiteral("default.lng"));
  SaveFormLanguageFile(t.frame, path);
  SaveFormLanguageFile(&t.form, path);
  const TMMemIniFile ini = readIni(path);
  EXPECT_EQ(ini.readSections(),
            (QStringList{QStringLiteral("FrameSticker"), QStringLiteral("FormTest")}));
  EXPECT_EQ(ini.readSection(QStringLiteral("FrameSticker")),
            QStringList{QStringLiteral("LabelSubject")});
}

TEST(FormLanguageFile, ExportingAgainReplacesTheKeysAndKeepsTheRestOfTheFile) {
  TestForm t;
  const QString path = tempFile(QStringLiteral("default.lng"));
  writeText(path, "[Messages]\r\nSorry, email was not sent!=Mail ging nicht\r\n\r\n"
                  "[FormTest]\r\nOldKey=kept\r\nbuttonok=Old\r\n");
  SaveFormLanguageFile(&t.form, path);
  t.button->setText(QStringLiteral("Done"));
  SaveFormLanguageFile(&t.form, path);
  const TMMemIniFile ini = readIni(path);
  EXPECT_EQ(
      ini.readString(QStringLiteral("Messages"), QStringLiteral("Sorry, email was not sent!"), {}),
      QStringLiteral("Mail ging nicht"));
  const QString s = QStringLiteral("FormTest");
  EXPECT_EQ(ini.readString(s, QStringLiteral("OldKey"), {}), QStringLiteral("kept"));
  EXPECT_EQ(ini.readString(s, QStringLiteral("ButtonOk"), {}), QStringLiteral("Done"));
  EXPECT_EQ(ini.readSection(s).filter(QStringLiteral("buttonok"), Qt::CaseInsensitive).size(), 1);
  EXPECT_EQ(ini.readSection(s).size(), 17); // OldKey and the 16 captions
}

TEST(FormLanguageFile, ImportAppliesEveryKindOfCaptionWhateverTheCaseOfTheKeys) {
  TestForm t;
  const QString path = tempFile(QStringLiteral("deutsch.lng"));
  writeText(path, "[formtest]\r\n"
                  "FORMTEST=Probe\r\n"
                  "labelname = Name:\r\n"
                  "ButtonOk=Gut\r\n"
                  "CheckBoxEnable=Ein\r\n"
                  "GroupBoxSound=Als Ton\r\n"
                  "EditSubject=must not appear\r\n"
                  "SpeedButtonOpen=\xc3\x96\x66\x66nen\r\n"
                  "PopupMenu1=Kontext\r\n"
                  "ActionOpen=\xc3\x96\x66\x66nen\r\n"
                  "ActionMainMenuBar1.Item1=Hilfe\r\n"
                  "TabSheetSticker=Zettel\r\n"
                  "ListViewLog.Column1=Ereignis\r\n"
                  "GridTimes.Column1=Ende\r\n"
                  "ListViewKinds.Item0=Einmal\r\n"
                  "ListBoxFiles.Item0=b.txt\r\n"
                  "LabelInside=Drinnen\r\n"
                  "LabelSubject=not the form's\r\n"
                  "LabelChild=not the form's\r\n"
                  "NoSuchComponent=ignored\r\n"
                  "\r\n"
                  "[FrameSticker]\r\nLabelSubject=Betreff\r\n");
  LoadFormLanguageFile(&t.form, path);
  const QString open = QStringLiteral("\u00d6ffnen");
  EXPECT_EQ(t.form.windowTitle(), QStringLiteral("Probe"));
  EXPECT_EQ(t.label->text(), QStringLiteral("Name:"));
  EXPECT_EQ(t.button->text(), QStringLiteral("Gut"));
  EXPECT_EQ(t.check->text(), QStringLiteral("Ein"));
  EXPECT_EQ(t.group->title(), QStringLiteral(" Als Ton "));
  EXPECT_EQ(t.edit->text(), QStringLiteral("typed by the user"));
  EXPECT_EQ(t.speedButton->text(), open);
  EXPECT_EQ(t.menu->title(), QStringLiteral("Kontext"));
  EXPECT_EQ(t.action->text(), open);
  EXPECT_EQ(t.menuBar->actions().at(0)->text(), QStringLiteral("File"));
  EXPECT_EQ(t.menuBar->actions().at(1)->text(), QStringLiteral("Hilfe"));
  EXPECT_EQ(t.tabs->tabText(0), QStringLiteral("Main"));
  EXPECT_EQ(t.tabs->tabText(1), QStringLiteral("Zettel"));
  EXPECT_EQ(t.report->headerItem()->text(0), QStringLiteral("Date"));
  EXPECT_EQ(t.report->headerItem()->text(1), QStringLiteral("Ereignis"));
  EXPECT_EQ(t.table->horizontalHeaderItem(0)->text(), QStringLiteral("Start"));
  EXPECT_EQ(t.table->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Ende"));
  EXPECT_EQ(t.icons->item(0)->text(), QStringLiteral("Einmal"));
  EXPECT_EQ(t.icons->item(1)->text(), QStringLiteral("Daily"));
  EXPECT_EQ(t.plainList->item(0)->text(), QStringLiteral("a.txt"));
  EXPECT_EQ(t.scrolledLabel->text(), QStringLiteral("Drinnen"));
  // The frame and the child dialog are translated from their own sections only.
  EXPECT_EQ(t.frameLabel->text(), QStringLiteral("Subject"));
  LoadFormLanguageFile(t.frame, path);
  EXPECT_EQ(t.frameLabel->text(), QStringLiteral("Betreff"));
  EXPECT_EQ(t.frame->windowTitle(), QString());
  EXPECT_EQ(t.childDialog->findChild<QLabel *>()->text(), QStringLiteral("Child"));
}

TEST(FormLanguageFile, ExportThenImportGivesBackTheSameCaptions) {
  TestForm original;
  const QString path = tempFile(QStringLiteral("default.lng"));
  original.group->setTitle(QStringLiteral(" As Sound "));
  SaveFormLanguageFile(&original.form, path);
  TestForm fresh;
  fresh.form.setWindowTitle(QStringLiteral("changed"));
  fresh.report->headerItem()->setText(2, QStringLiteral("changed"));
  fresh.tabs->setTabText(0, QStringLiteral("changed"));
  LoadFormLanguageFile(&fresh.form, path);
  EXPECT_EQ(fresh.form.windowTitle(), QStringLiteral("Test"));
  EXPECT_EQ(fresh.report->headerItem()->text(2), QStringLiteral("Subject"));
  EXPECT_EQ(fresh.tabs->tabText(0), QStringLiteral("Main"));
  EXPECT_EQ(fresh.group->title(), QStringLiteral(" As Sound "));
  // A column without a caption of its own keeps showing its number.
  EXPECT_EQ(fresh.table->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("2"));
}

TEST(FormLanguageFile, AFileWithoutTheSectionOnlyPadsGroupBoxes) {
  for (const bool emptyName : {false, true}) {
    SCOPED_TRACE(emptyName ? "empty file name" : "file without the section");
    TestForm t;
    QString path;
    if (!emptyName) {
      path = tempFile(QStringLiteral("other.lng"));
      writeText(path, "[FormOther]\r\nButtonOk=Other\r\n");
    }
    LoadFormLanguageFile(&t.form, path);
    EXPECT_EQ(t.group->title(), QStringLiteral(" As Sound "));
    EXPECT_EQ(t.button->text(), QStringLiteral("OK"));
    EXPECT_EQ(t.form.windowTitle(), QStringLiteral("Test"));
    EXPECT_EQ(t.table->horizontalHeaderItem(1), nullptr);
    LoadFormLanguageFile(&t.form, path);
    EXPECT_EQ(t.group->title(), QStringLiteral(" As Sound "));
  }
}

TEST(FormLanguageFile, AMissingFileOrAnEmptyNameForExportDoesNothing) {
  TestForm t;
  const QString missing = tempFile(QStringLiteral("missing.lng"));
  LoadFormLanguageFile(&t.form, missing);
  EXPECT_EQ(t.group->title(), QStringLiteral("As Sound")); // untouched, not even padded
  SaveFormLanguageFile(&t.form, QString());
  EXPECT_FALSE(QFile::exists(missing));
}

TEST(FormLanguageFile, FileErrorsAreRaisedAndLeaveTheFileAlone) {
  TestForm t;
  const QString folder = sandbox::makeTempDir(QStringLiteral("lng-errors"));
  // A folder where the file should be: it exists but cannot be read.
  const QString dirAsFile = folder + QStringLiteral("/default.lng");
  ASSERT_TRUE(QDir().mkpath(dirAsFile));
  EXPECT_THROW(LoadFormLanguageFile(&t.form, dirAsFile), EFileError);
  EXPECT_THROW(SaveFormLanguageFile(&t.form, dirAsFile), EFileError);
  // A file where the folder should be: cannot be written.
  const QString fileAsDir = folder + QStringLiteral("/plain");
  writeText(fileAsDir, "not a folder");
  EXPECT_THROW(SaveFormLanguageFile(&t.form, fileAsDir + QStringLiteral("/default.lng")),
               EFileError);
  QFile f(fileAsDir);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("not a folder"));
}
