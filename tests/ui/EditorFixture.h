#pragma once

#include "imaging/PictureClasses.h"
#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "runtime/HeadlessUserInterface.h"
#include "tests/model/RecordingListener.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "tests/widgets/FakeTrayBackend.h"
#include "ui/EditReminder.h"
#include "ui/FormEditReminder.h"
#include "widgets/TrayIconUnit.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace editortest {

// Every message the master and main windows receive, in one order.
struct MessageLog {
  struct Entry {
    QString window;
    uint message;
    uintptr_t wParam;
  };
  std::vector<Entry> entries;

  [[nodiscard]] int count(uint message) const {
    return int(std::count_if(entries.begin(), entries.end(),
                             [message](const Entry &e) { return e.message == message; }));
  }
  // The first entry of the message; -1 for none.
  [[nodiscard]] int indexOf(uint message) const {
    const auto it = std::find_if(entries.begin(), entries.end(),
                                 [message](const Entry &e) { return e.message == message; });
    return it == entries.end() ? -1 : int(it - entries.begin());
  }
};

// A hub window under a name that records into the shared log and may act on a message.
class LoggingWindow : public QObject {
public:
  LoggingWindow(const QString &name, MessageLog &log) : m_log(log) { setObjectName(name); }
  const WindowHandle handle = hub().registerWindow(this);
  std::function<void(uint message, uintptr_t wParam)> onMessage;

  bool event(QEvent *e) override {
    HubEvent *h = HubEvent::cast(e);
    if (!h)
      return QObject::event(e);
    m_log.entries.push_back({objectName(), h->message(), h->wParam()});
    if (onMessage)
      onMessage(h->message(), h->wParam());
    return true;
  }

private:
  MessageLog &m_log;
};

// The user interface the editor reports to: only its main window is needed.
class TestUserInterface final : public THeadlessUserInterface {
public:
  explicit TestUserInterface(WindowHandle mainWindow) : m_mainWindow(mainWindow) {}
  [[nodiscard]] WindowHandle MainWindowHandle() const override { return m_mainWindow; }

private:
  WindowHandle m_mainWindow;
};

// A model with its store on a data.xml of its own (which a reload reads back), a new-reminder
// template, a master window (found by its name, as the model finds it) and a main window, the
// model's listener passing an updated reminder on to the main window as the master does,
// scripted prompts that also take the store's notices, a fixed clock and a recording
// notification area.
class EditorFixture : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterPictureClasses(); // as the program's model does, so stored icons read back
    SetNewReminderTemplate(TDataObject::Create(NewReminderId));
    model.mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, model.file);
    listener.onUpdated = [this](int32_t number) {
      (void)hub().send(mainWindow.handle, msg::WM_REMINDER_UPDATED, uintptr_t(number));
    };
    TTrayIcon::SetBackendFactory([this] { return std::make_unique<FakeTrayBackend>(tray); });
  }
  void TearDown() override {
    TTrayIcon::SetBackendFactory({});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // A stored, enabled reminder in the list and the file; gives its id.
  QString addStored(const QString &subject) {
    const QString id = Store().AddNewItem(QString());
    auto r = TDataObject::Create(id);
    r->enable = true;
    r->subject = subject;
    r->text = QStringLiteral("line 1\r\nline 2");
    r->sticker.enable = true;
    r->sound.volume = 40;
    SaveToStore(*r);
    Reminders().Append(std::move(r));
    return id;
  }

  // Runs `act` on the open editor as soon as the editor's loop runs, then EditReminder.
  bool edit(QString &id, int defaultRepeatType,
            const std::function<void(TFormEditReminder &)> &act) {
    QTimer::singleShot(0, [act] {
      TFormEditReminder *editor = TFormEditReminder::Current();
      ASSERT_NE(editor, nullptr);
      act(*editor);
    });
    return EditReminder(model.model, ui, 0, id, defaultRepeatType);
  }

  // What data.xml holds now.
  [[nodiscard]] QByteArray dataFile() const {
    QFile f(model.file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  TestModel model{QStringLiteral("editor")};
  MessageLog log;
  LoggingWindow master{QLatin1String(MasterWindowName), log};
  LoggingWindow mainWindow{QStringLiteral("FormMain"), log};
  TestUserInterface ui{mainWindow.handle};
  RecordingListener listener{model.model};
  FakePrompts prompts;
  ScopedUiPrompts scopedPrompts{prompts};
  // As the program's user interface shows the store's notices.
  errors::ScopedInfoReporter notices{[this](const QString &text) { prompts.notice(text); }};
  ManualClock clock{EncodeDate(2026, 12, 9) + EncodeTime(10, 0, 0, 0)};
  ScopedClock scopedClock{clock};
  std::shared_ptr<FakeTrayState> tray = std::make_shared<FakeTrayState>();
};

} // namespace editortest
