// The log page as a widget: the day list, reading the log, and opening a line's reminder.
#include "ui/FrameLog.h"

#include "model/LogFile.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "tests/runtime/FakeUserInterface.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "ui/LogTableModel.h"
#include "widgets/FormLanguageFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class LogPage : public ::testing::Test {
protected:
  LogPage() {
    QDir().mkpath(QFileInfo(GetLogFileName()).absolutePath());
    QFile::remove(GetLogFileName());
    frame.setRetryPause([this](int) { ++pauses; });
    frame.resize(900, 500);
  }
  ~LogPage() override {
    QDir(GetLogFileName()).removeRecursively();
    QFile::remove(GetLogFileName());
  }

  // The page as the main window shows it: options read, lines listed, shown and active.
  void showPage() {
    frame.LoadOptions();
    frame.Init();
    frame.show();
    frame.Activate();
    QCoreApplication::processEvents();
  }
  void log(TDateTime t, const QString &subject, const QString &id) {
    TLogFiring f;
    f.fireTime = t;
    f.subject = subject;
    f.id = id;
    AppendLogLine(GetLogFileName(), FiringLogLine(f));
  }
  QStringList subjects() const {
    QStringList out;
    for (int r = 0; r < frame.model()->rowCount(); ++r)
      out << frame.model()->index(r, TLogTableModel::ColumnSubject).data().toString();
    return out;
  }
  QTreeWidget *days() const { return frame.findChild<QTreeWidget *>("TreeViewSelect"); }

  TestModel testModel;
  ManualClock clock{EncodeDateTime(2026, 12, 7, 18, 0, 0, 0)};
  ScopedClock clockScope{clock};
  ScopedFormatSettings format{FormatSettings()};
  FakePrompts prompts;
  ScopedUiPrompts promptsScope{prompts};
  int pauses = 0;
  FakeUserInterface userInterface;
  TFrameLog frame{testModel.model, userInterface};
};

} // namespace

TEST_F(LogPage, TodayIsChosenAndAnUnreadableLogKeepsWhatWasRead) {
  const TDateTime today = EncodeDate(2026, 12, 7);
  log(today - OneDay * 3, QStringLiteral("Three days ago"), "{A}");
  log(today + OneHour, QStringLiteral("Early"), "{A}");
  log(today + 9 * OneHour, QStringLiteral("Late"), "{A}");
  frame.Init();
  frame.Activate();
  EXPECT_EQ(days()->currentItem(), days()->topLevelItem(0)->child(0));
  EXPECT_EQ(subjects(), (QStringList{"Late", "Early"}));

  // Held by something that is not a file: reported once after the retries, the lines stay.
  QFile::remove(GetLogFileName());
  ASSERT_TRUE(QDir().mkpath(GetLogFileName()));
  frame.Refresh();
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith("error: Can't read " + GetLogFileName()));
  EXPECT_EQ(pauses, 19);
  EXPECT_EQ(subjects(), (QStringList{"Late", "Early"}));
}

TEST_F(LogPage, DoubleClickOpensOnlyAReminderThatStillExists) {
  Reminders().Append(std::make_unique<TDataObject>(QStringLiteral("{KEPT}")));
  const TDateTime today = EncodeDate(2026, 12, 7);
  log(today + OneHour, QStringLiteral("Kept"), "{KEPT}");
  log(today + 2 * OneHour, QStringLiteral("Deleted since"), "{GONE}");
  WriteLog(QStringLiteral("Pause on"));
  frame.Init();
  frame.Activate();
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  ASSERT_EQ(subjects(), (QStringList{"Pause on", "Deleted since", "Kept"}));
  auto *list = frame.findChild<QTreeView *>("ListViewLog");
  for (int row : {0, 1, 2}) {
    const QRect cell = list->visualRect(frame.model()->index(row, 0));
    // A real double-click: the view takes the second press as one only after a first click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }
  EXPECT_EQ(userInterface.calls, QStringList{"EditReminder -1 {KEPT} 2"});
}

// The list's columns are captions of the language file like any list's. After a language change
// the columns the user has not sized fit the new captions (they were cut at the old widths), and
// the day list's top entry bears the page's new caption.
TEST_F(LogPage, ALanguageFileGivesTheCaptionsAndTheColumnsFitThemAgain) {
  log(EncodeDate(2026, 12, 7) + 9 * OneHour, QStringLiteral("Subject"), "{A}");
  const QString lng = sandbox::makeTempDir(QStringLiteral("lng")) + QStringLiteral("/de.lng");
  SaveFormLanguageFile(&frame, lng);
  TMMemIniFile written;
  ASSERT_TRUE(written.loadFromFile(lng));
  EXPECT_EQ(written.readString("FrameLog", "ListViewLog.Column8", {}), "Text");
  EXPECT_FALSE(written.valueExists("FrameLog", "TreeViewSelect.Column0"));

  auto *list = frame.findChild<QTreeView *>("ListViewLog");
  ASSERT_TRUE(list);
  showPage();
  list->header()->resizeSection(TLogTableModel::ColumnUser, 37); // the user's
  written.writeString("FrameLog", "ListViewLog.Column2", QStringLiteral("Betreff der Erinnerung"));
  written.writeString("FrameLog", "ListViewLog.Column5", QStringLiteral("Klang oder Musik"));
  written.writeString("FrameLog", "ListViewLog.Column1", QStringLiteral("Name des Benutzers"));
  written.writeString("FrameLog", "TabSheetEventLog", QStringLiteral("Protokoll"));
  written.saveToFile(lng);
  testModel.mainSettings.writeString("Config", "Lng", lng);
  frame.Translate();
  EXPECT_EQ(frame.model()->headerData(2, Qt::Horizontal).toString(), "Betreff der Erinnerung");
  QHeaderView *header = list->header();
  for (const int c : {TLogTableModel::ColumnSubject, TLogTableModel::ColumnSound})
    EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << c;
  EXPECT_EQ(header->sectionSize(TLogTableModel::ColumnUser), 37);
  ASSERT_NE(days()->topLevelItem(0), nullptr);
  EXPECT_EQ(days()->topLevelItem(0)->text(0), QStringLiteral("Protokoll"));
}

// "Date/Time" showed "07.12.26 ..." without the time at its width of 100: columns without a
// saved width are sized to what they show when the page first shows lines, a saved width wins,
// and the last column ("Text") takes what is left of the list's width.
TEST_F(LogPage, ColumnsFitTheirContentsUnlessAWidthWasSavedAndTheTextTakesTheRest) {
  log(EncodeDate(2026, 12, 7) + 9 * OneHour, QStringLiteral("A subject of some length"), "{A}");
  auto *list = frame.findChild<QTreeView *>("ListViewLog");
  ASSERT_TRUE(list);
  showPage();
  const QModelIndex first = frame.model()->index(0, TLogTableModel::ColumnDateTime);
  const QString shown = first.data().toString();
  ASSERT_TRUE(shown.contains(QStringLiteral("9:00:00"))) << shown.toStdString();
  EXPECT_GE(list->columnWidth(TLogTableModel::ColumnDateTime),
            list->fontMetrics().horizontalAdvance(shown));
  const int subject = list->columnWidth(TLogTableModel::ColumnSubject);
  EXPECT_GE(subject, list->fontMetrics().horizontalAdvance("A subject of some length"));
  // Every header caption shows whole, the icon columns' too.
  QHeaderView *header = list->header();
  for (int c = 0; c < TLogTableModel::ColumnCount - 1; ++c)
    EXPECT_GE(list->columnWidth(c), header->sectionSizeHint(c)) << c;
  // The last column reaches the list's right edge.
  const int last = TLogTableModel::ColumnCount - 1;
  EXPECT_NEAR(header->sectionViewportPosition(last) + header->sectionSize(last),
              list->viewport()->width(), 1);

  // Saved, the user's widths come back as they were, and showing the page again keeps them.
  list->setColumnWidth(TLogTableModel::ColumnSubject, 61);
  frame.SaveOptions();
  TFrameLog again{testModel.model, userInterface};
  again.resize(900, 500);
  auto *againList = again.findChild<QTreeView *>("ListViewLog");
  again.LoadOptions();
  again.Init();
  again.show();
  again.Activate();
  QCoreApplication::processEvents();
  EXPECT_EQ(againList->columnWidth(TLogTableModel::ColumnSubject), 61);
  again.Activate();
  EXPECT_EQ(againList->columnWidth(TLogTableModel::ColumnSubject), 61);
}
