#include "tests/runtime/MasterFixture.h"

#include "app/MasterReminderOutputs.h"

#include "imaging/Icon.h"
#include "imaging/PictureClasses.h"
#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "runtime/FormSticker.h"
#include "runtime/ReminderScheduler.h"
#include "tests/support/Sandbox.h"

#include <QApplication>

// The scheduler as the program builds it: over the model's reminder list and store, with real
// sticker windows and reminder tray icons (on a recording notification area) hung on the
// master's popup menu.
namespace {

class ProgramReminderRuntime : public MasterFixture {
protected:
  void SetUp() override {
    MasterFixture::SetUp();
    create();
    file = testModel.file;    // the store's file, which the master's reloads read
    RegisterPictureClasses(); // so the stored icon reads back as an icon
    // Reminder tray icons get an area of their own, apart from the master's icon.
    TTrayIcon::SetBackendFactory([this] {
      auto backend = std::make_unique<FakeTrayBackend>(reminderTray);
      reminderBackend = backend.get();
      return backend;
    });
    outputs = std::make_unique<TMasterReminderOutputs>(model, *master, ui);
    auto runtime = std::make_unique<TReminderScheduler>(model, *outputs, ui);
    scheduler = runtime.get();
    master->SetReminderRuntime(std::move(runtime));
  }
  void TearDown() override {
    master->ReminderRuntime().ReleaseAllOutputs(); // as the program does before the model ends
    Reminders().Clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    MasterFixture::TearDown(); // the master and the scheduler it owns go before the outputs
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    outputs.reset();
  }

  [[nodiscard]] bool firing(int number) const { return scheduler->FiringOf(number).firing; }

  static TDateTime at(int hour, int minute, int second = 0, int msec = 0) {
    return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
  }

  // A stored one-time reminder at 09:00 with a sticker and a tray icon of its own.
  int addStored() {
    const QString id = Store().AddNewItem(QString());
    auto r = TDataObject::CreateEmpty(id);
    r->enable = true;
    r->repeat.dt = at(9, 0);
    r->subject = QStringLiteral("Call Bob");
    r->sticker.enable = true;
    r->tray = true;
    SaveToStore(*r, false);
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(qRgb(0, 128, 255));
    TIcon icon;
    icon.setImage(picture);
    SaveIcon(*r, nullptr, &icon);
    const int number = r->Number;
    Reminders().Append(std::move(r));
    return number;
  }

  static int visibleStickers() {
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
      n += dynamic_cast<TFormSticker *>(w) && w->isVisible();
    return n;
  }

  bool enabledOnDisk(const QString &id) const {
    TXMLStore onDisk;
    onDisk.LoadFromFile(file);
    return onDisk.SelectItem(id) && onDisk.ReadBool(QStringLiteral("enable"), false);
  }

  QString file;
  TReminderScheduler *scheduler = nullptr; // the master's
  std::unique_ptr<TMasterReminderOutputs> outputs;
  std::shared_ptr<FakeTrayState> reminderTray = std::make_shared<FakeTrayState>();
  FakeTrayBackend *reminderBackend = nullptr;
  ManualClock clock{at(9, 0, 0, 600)};
  ScopedClock clockScope{clock};
};

TEST_F(ProgramReminderRuntime, AFiringShowsItsStickerAndTrayIconAndTheUsersCloseEndsThem) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  ticker->Tick();
  ASSERT_TRUE(firing(n));
  EXPECT_EQ(visibleStickers(), 1);
  EXPECT_TRUE(reminderTray->shown);
  EXPECT_FALSE(reminderTray->shownTip.isEmpty());

  // A press on the reminder's icon points the popup menu at it.
  master->SetPopupMenuObjectTag(0);
  ASSERT_TRUE(reminderBackend);
  reminderBackend->mouse(tray_mouse::LeftDown);
  EXPECT_EQ(master->PopupMenuObjectTag(), n);

  master->ReminderRuntime().ActionCloseByUserExecute(n);
  EXPECT_FALSE(firing(n));
  EXPECT_EQ(visibleStickers(), 0);
  EXPECT_FALSE(reminderTray->shown);
  EXPECT_FALSE(enabledOnDisk(id));
}

// A crash or kill right after a close must not bring a closed one-time reminder back.
TEST_F(ProgramReminderRuntime, AClosingByTimeReachesTheDataFileAtOnce) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  TDataObject *r = FindReminderByNumber(n);
  r->duration.enable = true;
  r->duration.value2 = {1, TMeasure::Minute};
  SaveToStore(*r, false);
  ASSERT_TRUE(enabledOnDisk(id));
  ticker->Tick();
  ASSERT_TRUE(firing(n));

  clock.set(at(9, 1, 0, 600));
  clock.setTickCount(clock.tickCount() + 60'000); // a duration is measured on this clock
  ticker->Tick();
  EXPECT_FALSE(firing(n));
  EXPECT_FALSE(FindReminderByNumber(n)->enable);
  EXPECT_FALSE(enabledOnDisk(id));
}

TEST_F(ProgramReminderRuntime, AUsersCloseWritesTheDataFileOnceWithTheStickersPlace) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  ticker->Tick();
  TFormSticker *sticker = nullptr;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *s = dynamic_cast<TFormSticker *>(w); s && s->isVisible())
      sticker = s;
  ASSERT_TRUE(sticker);
  sticker->move(321, 123);
  // From here every write of the store fails, and each attempt leaves one warning.
  Store().LoadFromFile(sandbox::root() + QStringLiteral("/nowhere/data.xml"));
  static int writes = 0;
  writes = 0;
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) {
        writes += m.startsWith(QLatin1String("Store not saved"));
      });
  master->ReminderRuntime().ActionCloseByUserExecute(n);
  qInstallMessageHandler(previous);
  EXPECT_EQ(writes, 1);
  ASSERT_TRUE(Store().SelectItem(id));
  EXPECT_EQ(Store().ReadInteger(QStringLiteral("sticker/position/left"), 0), 321);
  EXPECT_FALSE(Store().ReadBool(QStringLiteral("enable"), true));
}

// The program's reload (WM_RELOAD_STORE: the store opened, every reminder read anew under a new
// number): the firing goes on once, with one sticker and one tray icon, and a press on the icon
// points the popup at the reminder's new number.
TEST_F(ProgramReminderRuntime, AReloadOfTheStoreKeepsTheFiringOnceWithItsOutputs) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  ticker->Tick();
  ASSERT_TRUE(firing(n));
  ASSERT_TRUE(Store().Save());

  (void)hub().send(master->Handle(), msg::WM_RELOAD_STORE);
  const int renumbered = GetReminderNumberById(id);
  ASSERT_NE(renumbered, n);
  EXPECT_TRUE(firing(renumbered));
  EXPECT_EQ(visibleStickers(), 1);
  // The old icon is out of the area, the new one in (the fake area is one for all icons).
  EXPECT_TRUE(reminderTray->shown);
  EXPECT_EQ(reminderTray->count(TrayCall::Add), 2);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  master->SetPopupMenuObjectTag(0);
  ASSERT_TRUE(reminderBackend);
  reminderBackend->mouse(tray_mouse::LeftDown);
  EXPECT_EQ(master->PopupMenuObjectTag(), renumbered);

  clock.advanceMs(1000);
  ticker->Tick();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(visibleStickers(), 1);
  EXPECT_EQ(logEvents().count(QStringLiteral("Start")), 1);
}

// A reminder deleted from the store while it fires: the reload takes its sticker and tray icon
// away and forgets its firing.
TEST_F(ProgramReminderRuntime, AReminderGoneFromTheStoreTakesItsOutputsWithIt) {
  const int n = addStored();
  const QString id = FindReminderByNumber(n)->Id;
  ticker->Tick();
  ASSERT_EQ(visibleStickers(), 1);
  Store().DeleteItem(id);
  ASSERT_TRUE(Store().Save());

  (void)hub().send(master->Handle(), msg::WM_RELOAD_STORE);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(FindReminderById(id), nullptr);
  EXPECT_EQ(visibleStickers(), 0);
  EXPECT_FALSE(reminderTray->shown);
  EXPECT_EQ(std::as_const(*scheduler).Firings().Find(id), nullptr);
}

} // namespace
