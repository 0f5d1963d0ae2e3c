#pragma once

// A master window over a model of its own (its store on a file in the sandbox, which the master's
// reloads read), with every output replaced: a recording reminder runtime, a manual ticker, a
// fake notification area and a recording user interface.

#include "model/LanguageTable.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/XMLStore.h"
#include "platform/MemIniFile.h"
#include "platform/MessageHub.h"
#include "runtime/FormMaster.h"
#include "runtime/ReminderRuntime.h"
#include "runtime/Ticker.h"
#include "tests/runtime/FakeUserInterface.h"
#include "tests/support/TestModel.h"
#include "tests/widgets/FakeTrayBackend.h"
#include "widgets/TrayIconUnit.h"

#include <QFile>
#include <QStringList>

#include <ostream>

#include <gtest/gtest.h>

// Readable texts in test failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class FakeReminderRuntime final : public IReminderRuntime {
public:
  explicit FakeReminderRuntime(QStringList &log) : calls(log) {}
  QStringList &calls; // shared with the test, which outlives this object
  std::optional<PopupState> popup;

  void CheckAllReminders() override { calls << QStringLiteral("CheckAllReminders"); }
  void EndChecks() override { calls << QStringLiteral("EndChecks"); }
  void CheckReminder(int n) override { calls << QStringLiteral("CheckReminder %1").arg(n); }
  void CloseReminder(int n, bool byUser) override {
    calls << QStringLiteral("CloseReminder %1 %2").arg(n).arg(byUser);
  }
  void CloseAllReminders() override { calls << QStringLiteral("CloseAllReminders"); }
  void StopReminderOutputs(int n) override {
    calls << QStringLiteral("StopReminderOutputs %1").arg(n);
  }
  void HandleSoundNotify(quint16 id) override {
    calls << QStringLiteral("HandleSoundNotify %1").arg(id);
  }
  void RaiseOnTopStickers() override { calls << QStringLiteral("RaiseOnTopStickers"); }
  std::optional<PopupState> PopupMenuObjectPopup(int n) override {
    calls << QStringLiteral("PopupMenuObjectPopup %1").arg(n);
    return popup;
  }
  void ActionCloseByUserExecute(int n) override {
    calls << QStringLiteral("ActionCloseByUserExecute %1").arg(n);
  }
  void ActionRemindAfterExecute(int n, const QString &title) override {
    calls << QStringLiteral("ActionRemindAfterExecute %1 %2").arg(n).arg(title);
  }
  void ActionReminderSoundStopExecute(int n, bool start) override {
    calls << QStringLiteral("ActionReminderSoundStopExecute %1 %2").arg(n).arg(start);
  }
  void ActionReminderSoundVolumeExecute(int n) override {
    calls << QStringLiteral("ActionReminderSoundVolumeExecute %1").arg(n);
  }
  void ActionEditExecute(int n) override { calls << QStringLiteral("ActionEditExecute %1").arg(n); }
};

// The main window's side of the hub: records what it is sent.
class RecordingWindow final : public QObject {
public:
  QList<uint> messages;
  bool event(QEvent *e) override {
    if (HubEvent *m = HubEvent::cast(e)) {
      messages << m->message();
      return true;
    }
    return QObject::event(e);
  }
};

struct MasterFixture : ::testing::Test {
  TestModel testModel{QStringLiteral("master")};
  TModel &model = testModel.model;
  TMMemIniFile &mainSettings = testModel.mainSettings;
  TMMemIniFile &localSettings = testModel.localSettings;
  QStringList runtimeCalls;
  FakeUserInterface ui;
  QStringList &uiCalls = ui.calls;
  std::shared_ptr<FakeTrayState> tray = std::make_shared<FakeTrayState>();
  TManualTicker *ticker = nullptr;
  std::unique_ptr<TFormMaster> master;
  RecordingWindow mainWindow;
  WindowHandle mainHandle = 0;
  bool mainWindowOpen = false;
  bool editResult = false;
  int closedCode = -1;

  void SetUp() override {
    QFile::remove(GetLogFileName(model));
    QFile::remove(GetMainSettingsFileName(model));
    QFile::remove(GetDefaultLanguageFileName());
    // The master's reloads read the test's file.
    mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, testModel.file);
    mainHandle = hub().registerWindow(&mainWindow);
    TTrayIcon::SetBackendFactory(
        [state = tray] { return std::make_unique<FakeTrayBackend>(state); });
    ui.mainWindow = [this] { return mainWindowOpen ? mainHandle : WindowHandle(0); };
    ui.edit = [this](int, QString &, int) { return editResult; };
  }

  void TearDown() override {
    master.reset();
    TTrayIcon::SetBackendFactory({});
    hub().unregisterWindow(mainHandle);
  }

  // Builds and creates the master.
  void create() {
    auto t = std::make_unique<TManualTicker>();
    ticker = t.get();
    master = std::make_unique<TFormMaster>(model, ui, std::move(t));
    master->SetReminderRuntime(std::make_unique<FakeReminderRuntime>(runtimeCalls));
    QObject::connect(master.get(), &TFormMaster::Closed, [this](int code) { closedCode = code; });
    master->FormCreate();
  }

  // A reminder item in the store, saved to its file (a reload of the master reads it); gives its
  // id. With an id of its own the item takes that one.
  QString storeReminder(const QString &subject, bool isTemplate = false, const QString &id = {}) {
    TXMLStore &store = model.Store();
    QString itemId = id;
    if (itemId.isEmpty())
      itemId = store.AddNewItem(QString());
    else
      store.AddItem(itemId, QString());
    store.SelectItem(itemId);
    store.WriteString(QStringLiteral("subject"), subject);
    store.WriteBool(QStringLiteral("default"), isTemplate);
    EXPECT_TRUE(store.Save());
    return itemId;
  }

  [[nodiscard]] QStringList logEvents() const {
    QStringList events;
    QFile f(GetLogFileName(model));
    if (!f.open(QIODevice::ReadOnly))
      return events;
    for (const QByteArray &line : f.readAll().split('\n')) {
      const QList<QByteArray> fields = line.split('\t');
      if (fields.size() > 3)
        events << QString::fromUtf8(fields[3]);
    }
    return events;
  }

  [[nodiscard]] QString pauseCaption() const {
    return master->Action(QStringLiteral("ActionPause"))->text();
  }

  static void writeFile(const QString &name, const QByteArray &text) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
  }
};
