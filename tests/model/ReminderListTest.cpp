#include "model/ReminderList.h"

#include "SettingsSandbox.h"
#include "model/DataObjectStore.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace {

// Records what happens to a sticker that a reminder owns.
struct StickerLog {
  int closed = 0;
};
class FakeSticker final : public IStickerView {
public:
  explicit FakeSticker(StickerLog &log) : m_log(log) {}
  void close() override { ++m_log.closed; }

private:
  StickerLog &m_log;
};

// The master window: counts the messages that reach it, with their wParam.
class FakeMaster : public QObject {
public:
  bool event(QEvent *e) override {
    if (HubEvent *h = HubEvent::cast(e)) {
      received.emplace_back(h->message(), h->wParam());
      return true;
    }
    return QObject::event(e);
  }
  std::vector<std::pair<uint, uintptr_t>> received;
};

class ReminderList : public SettingsSandbox {
protected:
  ReminderList() {
    file = sandbox::makeTempDir(QStringLiteral("list")) + QStringLiteral("/data.xml");
    Store().LoadFromFile(file);
  }

  // Adds a stored reminder and gives its id.
  static QString addItem(const QString &subject, TReminderState state = TReminderState::Active) {
    const QString id = Store().AddNewItem(QString());
    Store().SelectItem(id);
    Store().WriteString(QStringLiteral("subject"), subject);
    Store().WriteInteger(QStringLiteral("state"), static_cast<int>(state));
    return id;
  }
  static QStringList idsInList() {
    QStringList ids;
    for (int i = 0; i < Reminders().Count(); ++i)
      ids << Reminders().At(i)->Id;
    return ids;
  }

  QString file;
  QStringList shown;
  errors::ScopedInfoReporter reporter{[this](const QString &m) { shown << m; }};
  ManualClock clock{EncodeDateTime(2024, 3, 5, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
};

} // namespace

TEST_F(ReminderList, LoadsInDocumentOrderWithFreshNumbers) {
  const QString a = addItem(QStringLiteral("A"));
  const QString b = addItem(QStringLiteral("B"));
  ReloadReminders();
  ASSERT_EQ(idsInList(), (QStringList{a, b}));
  EXPECT_EQ(FindReminderById(a)->subject, QStringLiteral("A"));
  const int32_t na = GetReminderNumberById(a);
  EXPECT_NE(na, 0);
  EXPECT_EQ(GetReminderIdByNumber(na), a);
  EXPECT_EQ(FindReminderByNumber(na), FindReminderById(a));
  EXPECT_EQ(GetReminderNumberById(QStringLiteral("unknown")), 0);
  EXPECT_EQ(GetReminderIdByNumber(0), QString());
  EXPECT_EQ(FindReminderById(a.toLower()), nullptr) << "ids compare exactly";

  ReloadReminders();
  EXPECT_GT(GetReminderNumberById(a), GetReminderNumberById(b) - 2);
  EXPECT_NE(GetReminderNumberById(a), na) << "every object takes a new number";
}

TEST_F(ReminderList, ReloadKeepsFiringStateButEndsOutputs) {
  const QString a = addItem(QStringLiteral("A"));
  const QString gone = addItem(QStringLiteral("gone"));
  ReloadReminders();
  StickerLog log;
  TDataObject *r = FindReminderById(a);
  r->Firing = true;
  r->FireKind = TFireKind::RemindBefore;
  r->FireTime = EncodeDateTime(2024, 3, 5, 9, 0, 0, 0);
  r->SoundStoppedByUser = true;
  r->Sticker = std::make_unique<FakeSticker>(log);
  Store().DeleteItem(gone);

  ReloadReminders();
  EXPECT_EQ(log.closed, 1);
  ASSERT_EQ(idsInList(), QStringList{a});
  const TDataObject *fresh = FindReminderById(a);
  EXPECT_TRUE(fresh->Firing);
  EXPECT_EQ(fresh->FireKind, TFireKind::RemindBefore);
  EXPECT_EQ(fresh->FireTime, EncodeDateTime(2024, 3, 5, 9, 0, 0, 0));
  EXPECT_TRUE(fresh->SoundStoppedByUser);
  EXPECT_EQ(fresh->Sticker, nullptr);
}

TEST_F(ReminderList, RefreshKeepsNumberMovesLastAndDropsGoneItems) {
  const QString a = addItem(QStringLiteral("A"));
  const QString b = addItem(QStringLiteral("B"));
  ReloadReminders();
  StickerLog log;
  TDataObject *r = FindReminderById(a);
  const int32_t number = r->Number;
  r->FireTime = EncodeDateTime(2024, 3, 5, 9, 0, 0, 0);
  r->Sticker = std::make_unique<FakeSticker>(log);
  Store().SelectItem(a);
  Store().WriteString(QStringLiteral("subject"), QStringLiteral("A edited"));

  RefreshReminder(r);
  EXPECT_EQ(log.closed, 1);
  ASSERT_EQ(idsInList(), (QStringList{b, a}));
  EXPECT_EQ(FindReminderById(a)->Number, number);
  EXPECT_EQ(FindReminderById(a)->subject, QStringLiteral("A edited"));
  EXPECT_EQ(FindReminderById(a)->FireTime, EncodeDateTime(2024, 3, 5, 9, 0, 0, 0));

  // Its item deleted meanwhile: the reminder leaves the list instead of coming back as a new one.
  Store().DeleteItem(b);
  RefreshReminder(FindReminderById(b));
  EXPECT_EQ(idsInList(), QStringList{a});

  // An object that is not in the list is left alone.
  auto stray = TDataObject::CreateEmpty(QStringLiteral("stray"));
  RefreshReminder(stray.get());
  RefreshReminder(nullptr);
  EXPECT_EQ(idsInList(), QStringList{a});
}

TEST_F(ReminderList, DeletingMovesToTrashThenRemoves) {
  const QString active = addItem(QStringLiteral("active"));
  const QString trash = addItem(QStringLiteral("trash"), TReminderState::Trash);
  ASSERT_TRUE(Store().Save());
  ReloadReminders();

  EXPECT_TRUE(DeleteReminders(GetReminderNumberById(active)));
  ASSERT_NE(FindReminderById(active), nullptr);
  EXPECT_EQ(FindReminderById(active)->state, TReminderState::Trash);
  Store().SelectItem(active);
  EXPECT_EQ(Store().ReadInteger(QStringLiteral("state"), 0), 2);
  EXPECT_TRUE(SettingsSandbox::readFile(file).contains("<state>2</state>"));

  EXPECT_TRUE(DeleteReminders(GetReminderNumberById(trash)));
  EXPECT_EQ(FindReminderById(trash), nullptr);
  EXPECT_FALSE(Store().FindItem(trash));
  EXPECT_FALSE(SettingsSandbox::readFile(file).contains(trash.toLatin1()));
  EXPECT_FALSE(DeleteReminders(987654));
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ReminderList, PendingDeletesSkipUnknownIdsAndSaveOnlyOnChange) {
  const QString active = addItem(QStringLiteral("active"));
  const QString trash = addItem(QStringLiteral("trash"), TReminderState::Trash);
  ASSERT_TRUE(Store().Save());
  ReloadReminders();
  const QByteArray before = SettingsSandbox::readFile(file);
  const QDateTime stamp = QFileInfo(file).lastModified();
  QThread::msleep(20);

  EXPECT_FALSE(DeleteReminders(0));
  EXPECT_EQ(SettingsSandbox::readFile(file), before);
  EXPECT_EQ(QFileInfo(file).lastModified(), stamp);

  PendingDeleteIds() = {QStringLiteral("unknown"), trash};
  EXPECT_TRUE(DeleteReminders(0));
  EXPECT_EQ(idsInList(), QStringList{active});
  EXPECT_EQ(FindReminderById(active)->state, TReminderState::Active);
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ReminderList, AFailedSaveAfterDeletingIsShownAndTheListKeepsTheChange) {
  // A regular file where the store's folder should be.
  const QString blocked = sandbox::makeTempDir(QStringLiteral("blocked")) + QStringLiteral("/f");
  SettingsSandbox::writeFile(blocked, "x");
  Store().LoadFromFile(blocked + QStringLiteral("/data.xml"));
  const QString trash = addItem(QStringLiteral("trash"), TReminderState::Trash);
  ReloadReminders();
  EXPECT_TRUE(DeleteReminders(GetReminderNumberById(trash)));
  EXPECT_EQ(Reminders().Count(), 0);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Sorry, can't save file!")));
}

TEST_F(ReminderList, MessagesGoToTheMasterWindowByNumber) {
  const QString a = addItem(QStringLiteral("A"));
  ReloadReminders();
  FakeMaster master;
  master.setObjectName(QLatin1String(MasterWindowName));
  const WindowHandle handle = hub().registerWindow(&master);
  EXPECT_EQ(MasterWindowHandle(), handle); // found by its name
  const auto number = static_cast<uintptr_t>(GetReminderNumberById(a));

  SendStopReminderOutputs(a);
  ASSERT_EQ(master.received.size(), 1u) << "sent: handled before it returns";
  EXPECT_EQ(master.received[0], std::make_pair(msg::WM_STOP_REMINDER_OUTPUTS, number));

  PostReminderChanged(a);
  PostCheckReminder(a);
  PostCheckReminder(QStringLiteral("unknown"));
  SendStopReminderOutputs(QStringLiteral("unknown"));
  EXPECT_EQ(master.received.size(), 1u);
  QCoreApplication::processEvents();
  ASSERT_EQ(master.received.size(), 3u);
  EXPECT_EQ(master.received[1], std::make_pair(msg::WM_REMINDER_CHANGED, number));
  EXPECT_EQ(master.received[2], std::make_pair(msg::WM_CHECK_REMINDER, number));
  hub().unregisterWindow(handle);
  EXPECT_EQ(MasterWindowHandle(), 0u);
}

TEST(ReminderListLookup, FollowsIdChangesRemovalsAndDuplicates) {
  TReminderList list;
  for (const char *id : {"a", "b", "a"})
    list.Append(TDataObject::CreateEmpty(QString::fromLatin1(id)));
  TDataObject *firstA = list.At(0);
  TDataObject *b = list.At(1);
  TDataObject *secondA = list.At(2);
  EXPECT_EQ(list.FindById(QStringLiteral("a")), firstA);
  EXPECT_EQ(list.FindByNumber(b->Number), b);

  firstA->Id = DeletedReminderId; // as a deletion marks it
  EXPECT_EQ(list.FindById(QStringLiteral("a")), secondA);
  EXPECT_EQ(list.FindById(DeletedReminderId), firstA);
  const int32_t gone = b->Number;
  list.Take(1).reset();
  EXPECT_EQ(list.FindByNumber(gone), nullptr);
  EXPECT_EQ(list.FindById(QStringLiteral("b")), nullptr);
  EXPECT_EQ(list.FindByNumber(secondA->Number), secondA);
  list.Clear();
  EXPECT_EQ(list.FindById(QStringLiteral("a")), nullptr);
}
