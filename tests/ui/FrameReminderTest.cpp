#include "ui/FrameReminder.h"

#include "model/DataObjectStore.h"
#include "model/Paths.h"
#include "model/ReminderCommands.h"
#include "model/Schedule.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "runtime/HeadlessUserInterface.h"
#include "tests/model/RecordingListener.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "tests/ui/RecordingWindow.h"
#include "ui/IconLibrary.h"
#include "ui/ReminderTableModel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace {

// The master window as the page sees it: it records what it is sent.
class FakeMaster : public RecordingWindow {
public:
  FakeMaster() { setObjectName(QLatin1String(MasterWindowName)); }
  [[nodiscard]] int count(uint message) const {
    return int(std::count_if(received.begin(), received.end(),
                             [message](const Received &r) { return r.message == message; }));
  }
};

// The editor confirms and records what it was opened with; `onOk` does what its pages saved.
class EditingUserInterface : public THeadlessUserInterface {
public:
  QStringList opened;
  std::function<void(QString &id)> onOk;
  bool EditReminder(int listPosition, QString &id, int defaultRepeatType) override {
    opened << QStringLiteral("%1 %2 %3").arg(listPosition).arg(id).arg(defaultRepeatType);
    if (onOk)
      onOk(id);
    return true;
  }
};

class FrameReminderTest : public ::testing::Test {
protected:
  // The model's listener refreshes the page as the master and the main window do.
  FrameReminderTest() {
    model.mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, model.file);
    listener.onRefresh = [this] { frame.FillList(); };
    listener.onUpdated = [this](int32_t number) {
      frame.RefreshById(GetReminderIdByNumber(number));
    };
    frame.resize(900, 500);
    frame.show();
  }

  QString add(const QString &subject, TReminderState state = TReminderState::Active) {
    auto r = TDataObject::Create(NewReminderId);
    r->subject = subject;
    r->state = state;
    r->enable = true;
    SaveToStore(*r, true);
    clock.advanceMs(60'000); // each one created a minute after the last
    const QString id = r->Id;
    Reminders().Append(std::move(r));
    return id;
  }
  QTreeView *view() const { return frame.list(); }
  QModelIndex cell(int row, int column) const { return frame.model()->index(row, column); }
  QStringList selected() const {
    QStringList ids;
    frame.GetSelectedIds(&ids);
    return ids;
  }
  void select(std::initializer_list<int> rows) {
    view()->selectionModel()->clearSelection();
    for (int row : rows)
      view()->selectionModel()->select(cell(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  ManualClock clock{EncodeDateTime(2026, 3, 1, 9, 0, 0, 0)};
  ScopedClock scopedClock{clock};
  TestModel model{QStringLiteral("frame-reminder")};
  FakePrompts prompts;
  ScopedUiPrompts scopedPrompts{prompts};
  FakeMaster master;
  EditingUserInterface userInterface;
  TFrameReminder frame{model.model, userInterface};
  RecordingListener listener{model.model};
};

} // namespace

TEST_F(FrameReminderTest, AClickSwitchesTheActionWhosePictureWasPressedWhereverThePointerGoes) {
  const QString first = add("A");
  const QString second = add("B");
  frame.Init();
  const QModelIndex mail = cell(0, ColumnMail);
  EXPECT_EQ(mail.data(IconIndexRole).toInt(), int(TReminderTableModel::IconActionOff));
  const QPoint pressed = frame.iconRect(mail).center();
  // The pointer is over the other row's text by the time the click is handled.
  QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, pressed);
  QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {},
                      view()->visualRect(cell(1, ColumnText)).center());
  auto *timer = frame.findChild<QTimer *>(QStringLiteral("TimerClick"));
  ASSERT_TRUE(timer && timer->isActive());
  QMetaObject::invokeMethod(timer, "timeout");

  EXPECT_TRUE(FindReminderById(first)->mail.enable);
  EXPECT_FALSE(FindReminderById(second)->mail.enable);
  EXPECT_EQ(listener.calls,
            QStringList{QStringLiteral("updated %1").arg(FindReminderById(first)->Number)});
  ASSERT_TRUE(Store().SelectItem(first));
  EXPECT_TRUE(Store().ReadBool("mail/enable", false));
  EXPECT_EQ(cell(0, ColumnMail).data(IconIndexRole).toInt(), 6);
  EXPECT_EQ(cell(0, ColumnMail).data().toString(), QStringLiteral("Enable"));
  EXPECT_EQ(selected(), QStringList{first});

  // Beside the picture, in the same cell: the row is selected, nothing switches.
  const QRect other = view()->visualRect(cell(1, ColumnMail));
  QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, other.topRight() + QPoint(-2, 2));
  QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_FALSE(FindReminderById(second)->mail.enable);
  EXPECT_EQ(selected(), QStringList{second});

  // A reload between press and timer put another reminder under the press: nothing happens.
  QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, pressed);
  const QString third = add("0");
  frame.FillList();
  QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_FALSE(FindReminderById(third)->mail.enable);
  EXPECT_TRUE(FindReminderById(first)->mail.enable);
}

TEST_F(FrameReminderTest, ADoubleClickOnAPictureOpensTheEditorAndSwitchesNothing) {
  const QString id = add("A");
  frame.Init();
  QFile::remove(GetBackupFileName());
  QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {},
                     frame.iconRect(cell(0, ColumnMail)).center());
  EXPECT_FALSE(frame.findChild<QTimer *>(QStringLiteral("TimerClick"))->isActive());
  QCoreApplication::processEvents(); // the editor opens from the event loop
  EXPECT_EQ(userInterface.opened, QStringList{"0 " + id + " 2"});
  EXPECT_FALSE(FindReminderById(id)->mail.enable);
  QCoreApplication::processEvents(); // the check is posted
  EXPECT_EQ(master.count(msg::WM_CHECK_REMINDER), 1);
  ASSERT_TRUE(model.model.Store().WaitForBackgroundWrites(std::chrono::seconds(10)));
  EXPECT_TRUE(QFile::exists(GetBackupFileName()));
}

TEST_F(FrameReminderTest, DeleteHandsTheSelectionToTheCommandInRowOrderAndAsksOnlyOnTrash) {
  const QString a = add("A"), b = add("B"), c = add("C");
  QFile::remove(GetBackupFileName());
  frame.Init();
  select({2, 0});
  frame.action(QStringLiteral("ActionDelete"))->trigger();
  EXPECT_EQ(PendingDeleteIds(), (QStringList{a, c}));
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_EQ(FindReminderById(a)->state, TReminderState::Trash);
  EXPECT_EQ(FindReminderById(c)->state, TReminderState::Trash);
  EXPECT_EQ(frame.model()->rowCount(), 1);
  EXPECT_TRUE(master.received.empty());
  EXPECT_TRUE(prompts.shown.isEmpty());
  ASSERT_TRUE(model.model.Store().WaitForBackgroundWrites(std::chrono::seconds(10)));
  EXPECT_TRUE(QFile::exists(GetBackupFileName()));

  frame.SelectById(b);
  frame.action(QStringLiteral("ActionToArchive"))->trigger();
  frame.SelectById(c);
  EXPECT_EQ(frame.tab(), TReminderState::Trash);
  prompts.script.push_back(false);
  frame.action(QStringLiteral("ActionDelete"))->trigger();
  EXPECT_EQ(prompts.shown, QStringList{"ask: Delete?"});
  EXPECT_EQ(listener.calls, (QStringList{"reloaded", "reloaded"}));
  EXPECT_NE(FindReminderById(c), nullptr);
}

TEST_F(FrameReminderTest, AReloadFindsTheSelectedRowAgainByItsId) {
  add("B");
  const QString c = add("C");
  frame.Init();
  select({1});
  add("A"); // sorts before the selected row
  frame.FillList();
  EXPECT_EQ(frame.model()->idAt(2), c);
  EXPECT_EQ(selected(), QStringList{c});
}

TEST_F(FrameReminderTest, SelectingAnArchivedReminderShowsTheArchiveTabWithItsRow) {
  add("A");
  const QString archived = add("B", TReminderState::Archive);
  frame.Init();
  ASSERT_EQ(frame.tab(), TReminderState::Active);
  frame.SelectById(archived);
  EXPECT_EQ(frame.tab(), TReminderState::Archive);
  EXPECT_EQ(selected(), QStringList{archived});
  EXPECT_FALSE(frame.action(QStringLiteral("ActionToArchive"))->isEnabled());
}

TEST_F(FrameReminderTest, MakeCopyShowsTheCopySelectedWithTheMomentItWasMade) {
  const QString original = add("Original");
  model.mainSettings.writeInteger(QStringLiteral("FrameReminder"),
                                  QStringLiteral("ReminderColumnSorting"), ColumnCreated);
  frame.LoadOptions();
  frame.Init();
  clock.advanceMs(3'600'000);
  frame.action(QStringLiteral("ActionAddCopy"))->trigger();
  const QString copy = selected().value(0);
  ASSERT_NE(copy, original);
  EXPECT_NE(FindReminderById(copy), nullptr);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  // The newest, so first, with the moment it was made.
  EXPECT_EQ(frame.model()->idAt(0), copy);
  EXPECT_EQ(cell(0, ColumnCreated).data().toString(), DateTimeToStr(clock.now()));
}

// Another model built after the page's, and so the current one, is never the page's: the rows
// are the handed model's reminders, and a command from the page changes that model's store only.
TEST_F(FrameReminderTest, ThePageShowsAndChangesTheModelItWasHandedOnly) {
  const QString mine = add("Mine");
  TestModel other(QStringLiteral("other-page-model"));
  auto stranger = TDataObject::Create(other.model, NewReminderId);
  stranger->subject = QStringLiteral("Stranger");
  SaveToStore(other.model, *stranger, true);
  other.model.Reminders().Append(std::move(stranger));

  frame.Init();
  ASSERT_EQ(frame.model()->rowCount(), 1);
  EXPECT_EQ(frame.model()->idAt(0), mine);
  select({0});
  frame.ActionToArchiveExecute();
  EXPECT_EQ(model.model.Reminders().FindById(mine)->state, TReminderState::Archive);
  EXPECT_EQ(frame.model()->rowCount(), 0);
  EXPECT_EQ(other.model.Reminders().At(0)->state, TReminderState::Active);
  EXPECT_EQ(other.model.Store().OwnFileWrites(), 0);
  EXPECT_EQ(model.model.Store().OwnFileWrites(), 1);
}

// A long list is filled without working out what no row on show needs: the next runs are searched
// for the rows painted, or for all of them once when the order is by the next run; a list filled
// again after a read-back (every reminder object new) searches nothing its rows found before, and
// a reminder that changed shows its change.
TEST_F(FrameReminderTest, FillingALongListWorksOutTheRowsOnShowAndKeepsWhatHolds) {
  QStringList ids;
  for (int i = 0; i < 600; ++i)
    ids << add(QStringLiteral("R%1").arg(i, 3, 10, QLatin1Char('0')));
  frame.Init();
  uint64_t searches = NextRunSearches();
  frame.FillList();
  (void)frame.grab();
  EXPECT_LT(NextRunSearches() - searches, 100u);

  emit frame.list()->header()->sectionClicked(ColumnNextRun);
  searches = NextRunSearches();
  ReloadReminders(model.model);
  frame.FillList();
  (void)frame.grab();
  EXPECT_EQ(NextRunSearches(), searches);
  EXPECT_EQ(frame.model()->rowCount(), 600);

  ASSERT_TRUE(Store().SelectItem(ids[0]));
  Store().WriteString("subject", "Changed");
  ReloadReminders(model.model);
  frame.FillList();
  const int row = frame.model()->rowOf(ids[0]);
  ASSERT_GE(row, 0);
  EXPECT_EQ(cell(row, ColumnSubject).data().toString(), QStringLiteral("Changed"));
}

// The editor's Ok changes one reminder: its row alone is made again and sorted into its place;
// the other rows, the selection and the view stay (no rebuild of the list).
TEST_F(FrameReminderTest, OkInTheEditorUpdatesTheEditedRowAlone) {
  const QString a = add("A"), b = add("B"), c = add("C");
  frame.Init();
  userInterface.onOk = [this](QString &id) {
    (void)SaveEditedReminder(model.model, id, 2,
                             [](TDataObject &r) { r.subject = QStringLiteral("Zeta"); });
  };
  select({1});
  QSignalSpy resets(frame.model(), &QAbstractItemModel::modelReset);
  frame.ActionEditExecute();
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ((QStringList{frame.model()->idAt(0), frame.model()->idAt(1), frame.model()->idAt(2)}),
            (QStringList{a, c, b}));
  EXPECT_EQ(cell(2, ColumnSubject).data().toString(), QStringLiteral("Zeta"));
  EXPECT_EQ(selected(), QStringList{b});

  // Ok on Add: the new reminder's row comes in.
  userInterface.onOk = [this](QString &id) {
    id = SaveEditedReminder(model.model, id, 2, [](TDataObject &r) {
           r.subject = QStringLiteral("B2");
         }).id;
  };
  frame.ActionAddExecute();
  EXPECT_EQ(resets.count(), 0);
  ASSERT_EQ(frame.model()->rowCount(), 4);
  EXPECT_EQ(cell(1, ColumnSubject).data().toString(), QStringLiteral("B2"));
  EXPECT_EQ(selected(), QStringList{frame.model()->idAt(1)});
}

// A firing refreshes its reminder's row: the list is sorted again only when the row moved.
TEST_F(FrameReminderTest, ARefreshedRowIsSortedAgainOnlyWhenItsPlaceChanged) {
  const QString a = add("A"), b = add("B"), c = add("C");
  frame.Init();
  QSignalSpy moves(frame.model(), &QAbstractItemModel::layoutChanged);
  FindReminderById(b)->mail.enable = true;
  frame.RefreshById(b);
  EXPECT_EQ(moves.count(), 0);
  EXPECT_EQ(cell(1, ColumnMail).data().toString(), QStringLiteral("Enable"));

  FindReminderById(a)->subject = QStringLiteral("Zz");
  frame.RefreshById(a);
  EXPECT_EQ(moves.count(), 1);
  EXPECT_EQ((QStringList{frame.model()->idAt(0), frame.model()->idAt(1), frame.model()->idAt(2)}),
            (QStringList{b, c, a}));
}

namespace {

// Whether every column but the stretching last one shows its caption and its cells whole.
void expectColumnsShowTheirContents(QTreeView *view) {
  const QAbstractItemView *rows = view;
  QHeaderView *header = view->header();
  for (int c = 0; c + 1 < header->count(); ++c) {
    EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << "caption of column " << c;
    EXPECT_GE(header->sectionSize(c), rows->sizeHintForColumn(c)) << "cells of column " << c;
  }
}

} // namespace

// At the default widths the list cut what matters: "Next rur", "E..." in the action cells, the
// time of "Next run" and "Created". Columns without a saved width fit their contents when rows
// first show; the last column takes the width the others leave.
TEST_F(FrameReminderTest, ColumnsFitTheirCaptionsAndCellsAndTheLastTakesTheRest) {
  add("A reminder whose subject is longer than the column's default width");
  add("B");
  frame.resize(1400, 500);
  frame.LoadOptions();
  frame.Init();
  expectColumnsShowTheirContents(view());
  EXPECT_LE(frame.MissingListWidth(), 0);
  QHeaderView *header = view()->header();
  EXPECT_TRUE(header->stretchLastSection());
  EXPECT_EQ(header->length(), view()->viewport()->width());
  const int last = header->sectionSize(ReminderColumnCount - 1);
  frame.resize(frame.width() + 200, frame.height());
  EXPECT_EQ(header->sectionSize(ReminderColumnCount - 1), last + 200);
}

// A width the user gave a column (dragged now, or saved before) is kept; rows coming later do not
// fit it again.
TEST_F(FrameReminderTest, AWidthTheUserGaveAColumnIsKept) {
  model.mainSettings.writeInteger(settings_keys::FrameReminder,
                                  settings_keys::ListViewReminderColumn + QStringLiteral("0"), 40);
  add("A reminder whose subject is longer than forty pixels");
  frame.LoadOptions();
  frame.Init();
  EXPECT_EQ(view()->columnWidth(0), 40);
  view()->header()->resizeSection(ColumnNextRun, 33);
  add("Another reminder");
  frame.FillList();
  EXPECT_EQ(view()->columnWidth(0), 40);
  EXPECT_EQ(view()->columnWidth(ColumnNextRun), 33);
}

// Captions of another language are longer: the columns the user has not sized fit them again.
TEST_F(FrameReminderTest, ALanguageWithLongerCaptionsFitsTheColumnsAgain) {
  add("A");
  frame.resize(1400, 500);
  frame.LoadOptions();
  frame.Init();
  view()->header()->resizeSection(ColumnType, 41); // the user's
  const QString file = QFileInfo(model.file).absolutePath() + QStringLiteral("/long.lng");
  QFile lng(file);
  ASSERT_TRUE(lng.open(QIODevice::WriteOnly));
  lng.write("[FrameReminder]\r\nListViewReminder.Column2=Next run of the reminder\r\n"
            "ListViewReminder.Column1=The type of the schedule\r\n");
  lng.close();
  model.mainSettings.writeString(settings_keys::Config, settings_keys::Lng, file);
  frame.Translate();
  QHeaderView *header = view()->header();
  ASSERT_EQ(frame.model()->headerData(ColumnNextRun, Qt::Horizontal).toString(),
            QStringLiteral("Next run of the reminder"));
  EXPECT_GE(header->sectionSize(ColumnNextRun), header->sectionSizeHint(ColumnNextRun));
  EXPECT_EQ(header->sectionSize(ColumnType), 41);
}
