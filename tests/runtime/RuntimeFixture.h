#pragma once

#include "runtime/ReminderScheduler.h"
#include "runtime/Ticker.h"
#include "tests/runtime/FakeUserInterface.h"

#include "model/DataObject.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "platform/MessageHub.h"
#include "services/MailSender.h"
#include "services/ShellExecute.h"
#include "tests/support/TestModel.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace runtimetest {

// The reminders of one test in the test's own model: each gets an item in the model's store, so
// the scheduler's write-backs reach the store and its file.
class ModelReminders {
public:
  explicit ModelReminders(TModel &model) : m_model(model) {}

  // Gives the reminder an item under its id and puts it at the end of the model's list.
  TDataObject &add(std::unique_ptr<TDataObject> reminder);
  // Takes the reminder out of the list, as a reload or a deletion does.
  void remove(int32_t number);
  // Re-reads the reminder from the store (after writing what the test changed in it), as the
  // master does for a changed reminder: a new object with the same id and number.
  TDataObject &reread(int32_t number);
  // Reads every reminder anew from the store (after writing what the test changed in them), as
  // a reload of the store does: new objects with new numbers.
  void reload();
  // Empties the list.
  void clear();

  [[nodiscard]] std::vector<int32_t> Numbers() const;
  [[nodiscard]] TDataObject *FindByNumber(int32_t number) const;
  [[nodiscard]] TDataObject *FindById(const QString &id) const;

private:
  TModel &m_model;
};

// What became of one output the runtime asked for.
struct OutputRecord {
  int32_t number = 0; // 0 for sounds: the factory does not know whose they are
  bool released = false;
  // Sounds only.
  QString file;
  int volume = -1;
  WindowHandle notify = 0;
  quint16 device = 0;
  int rewinds = 0;
  int plays = 0;
};

class FakeOutputs final : public IReminderOutputFactory {
public:
  [[nodiscard]] std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &reminder,
                                                            const TFiringState &firing) override;
  [[nodiscard]] std::unique_ptr<ITrayIconView> CreateTrayIcon(const TReminderLookup &reminder,
                                                              const TFiringState &firing) override;
  [[nodiscard]] std::unique_ptr<ISoundPlayer> CreateSoundPlayer() override;
  void RaiseSticker(IStickerView &sticker) override;

  // Live (not released) outputs of a reminder; sounds are counted over all reminders.
  [[nodiscard]] int liveStickers(int32_t number) const;
  [[nodiscard]] int liveTrayIcons(int32_t number) const;
  [[nodiscard]] int liveSounds() const;
  [[nodiscard]] const ITrayIconView *trayIconOf(int32_t number) const;

  std::vector<std::shared_ptr<OutputRecord>> stickers, trayIcons, sounds;
  std::vector<const ITrayIconView *> trayViews;
  // The lookups the stickers were made with, in making order.
  std::vector<TReminderLookup> stickerLookups;
  // Every release in order: "tray N", "sticker N", "sound".
  QStringList releases;
  std::vector<const IStickerView *> raised;
  int failingOpens = 0; // so many next PlayFile calls raise
  int replayResult = 0; // what Play gives after a Rewind
};

// A window that records the messages it gets and may act on them.
class RecordingWindow final : public QObject {
public:
  struct Message {
    uint message;
    uintptr_t wParam;
    intptr_t lParam;
  };
  RecordingWindow() : handle(hub().registerWindow(this)) {}

  [[nodiscard]] int count(uint message, uintptr_t wParam) const;

  const WindowHandle handle;
  std::vector<Message> got;
  std::function<void(const Message &)> onMessage;

protected:
  bool event(QEvent *e) override;
};

class RecordingMailer final : public TMailSender {
public:
  void send(const TMailMessage &message, const TSmtpServer &server) override;

  std::vector<TMailMessage> messages;
  std::vector<TSmtpServer> servers;
  QString failWith; // raise EMailError with this text when not empty
};

class RecordingLauncher final : public IShellLauncher {
public:
  bool startProgram(const QString &program, const QStringList &arguments,
                    const QString &workingFolder) override;
  bool openDocument(const QString &target) override;

  QStringList started;          // "program|arg|arg"
  std::function<void()> during; // runs inside the start, as the event loop would
};

// The runtime over fakes, with a manual clock (wall and monotonic), a manual ticker, the log in
// the sandbox, and a user interface whose main window records what it is told.
class RuntimeTest : public ::testing::Test {
protected:
  RuntimeTest();
  ~RuntimeTest() override;

  // Moves the wall clock and the monotonic tick count together, then ticks.
  void tickAfter(int64_t ms);
  // The same, to the wall-clock moment t.
  void tickAt(TDateTime t) { tickAfter((t - clock.now()).ms); }
  // A one-time reminder at `at` with sticker, tray icon and a sound at volume 70.
  [[nodiscard]] std::unique_ptr<TDataObject> once(TDateTime at) const;
  [[nodiscard]] static TDateTime at(int hour, int minute, int second = 0, int msec = 0);
  [[nodiscard]] static FormatSettings pinnedFormat();
  // How often the store's file was written, and the reminder as that file holds it now (read
  // from disk into a store of its own; null when the file has no item for it).
  [[nodiscard]] int fileWrites() const { return testModel.model.Store().OwnFileWrites(); }
  [[nodiscard]] std::unique_ptr<TDataObject> onFile(const TDataObject &r) const;
  // The log's lines and the fields of one of them.
  [[nodiscard]] QStringList logLines() const;
  [[nodiscard]] static QStringList fields(const QString &line);
  [[nodiscard]] int updates(int32_t number) const {
    return mainWindow.count(msg::WM_REMINDER_UPDATED, static_cast<uintptr_t>(number));
  }
  // The runtime's firing of the reminder (the empty state when it never fired), and its entry.
  [[nodiscard]] const TFiringState &firing(const TDataObject &r) const {
    return runtime->Firings().StateOf(r.Id);
  }
  [[nodiscard]] const TFiring *entry(const TDataObject &r) const {
    return std::as_const(*runtime).Firings().Find(r.Id);
  }

  // The test's own model, with its store on a file. First, so it goes last: the runtime works on
  // it to the end.
  TestModel testModel{QStringLiteral("runtime")};
  TMMemIniFile &mainSettings = testModel.mainSettings;
  ManualClock clock{at(8, 59, 59, 600)};
  ScopedClock clockScope{clock};
  ScopedFormatSettings format{pinnedFormat()};
  RecordingMailer mailer;
  ScopedMailSender mailerScope{mailer};
  RecordingLauncher launcher;
  ScopedShellLauncher launcherScope{launcher};
  ModelReminders list{testModel.model};
  FakeOutputs outputs;
  RecordingWindow mainWindow;
  RecordingWindow masterWindow; // named as the master window, so the model finds it
  FakeUserInterface ui;
  std::unique_ptr<TReminderScheduler> runtime;
  TManualTicker ticker;
  QString soundFile;
};

} // namespace runtimetest
