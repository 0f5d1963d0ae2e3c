#pragma once

#include "model/ReminderRecords.h"
#include "platform/DateTime.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderPorts.h"
#include "runtime/ReminderRuntime.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

class IUserInterface;
class TMailQueue;
class TDataObject;

// The reminder scheduler of the master window: each tick checks every reminder, fires the due
// ones (mail, log line, program, write-back), closes those whose time is over, and keeps each
// firing reminder's sticker, tray icon and sound in line with its settings. It also carries out
// what the popup menu of a firing reminder offers. GUI thread only; it owns no window.
//
// Reminders are named by run-time number, never held by pointer across anything that can run the
// event loop (a launched program's grace pump, a sent message, a dialog): each step looks the
// reminder up again and ends quietly when it is gone. A check that starts while another one is
// under way (from a pump inside it) is skipped; the next tick catches up.
class TReminderScheduler final : public IReminderRuntime {
public:
  // The three outlive the scheduler. The sounds' completion notices go to the master window
  // (MasterWindowHandle); the main window is told of changed reminders.
  TReminderScheduler(IReminderList &reminders, IReminderOutputFactory &outputs, IUserInterface &ui);
  ~TReminderScheduler() override;
  TReminderScheduler(const TReminderScheduler &) = delete;
  TReminderScheduler &operator=(const TReminderScheduler &) = delete;

  // --- The check ---
  void Timer1Timer() override;
  void CheckAllReminders() override;
  void CheckReminder(int number) override;

  // --- Firing and closing ---
  void FireReminder(int number, TFireKind kind, TDateTime due);
  // Ends a firing; a reminder that is not firing is left alone. Nothing happens in demo mode.
  void CloseReminder(int number, bool byUser) override;
  void StopReminderOutputs(int number) override;
  void CloseAllReminders() override;

  // --- Outputs ---
  void SyncReminderOutputs(int number);
  void ShowSticker(int number);
  void ShowReminderTrayIcon(int number);
  void PlayReminderSound(int number);
  // The natural end of a sound (the master passes on no other completion notice): a repeating
  // sound plays again from the start.
  void HandleSoundNotify(quint16 deviceId) override;
  void RaiseOnTopStickers() override;

  // --- The actions of a firing ---
  // Queues the mail of a main-event firing, whose outcome then writes the firing's log line.
  // False when there is no mail to send (the caller writes the line).
  [[nodiscard]] bool SendReminderMail(const TDataObject &reminder);
  void FinishMail() override;
  // Waits up to `limit` for the queued mails and writes their log lines; true when none is left.
  bool WaitForMail(std::chrono::milliseconds limit);
  void WriteFireLog(const TDataObject &reminder, const QString &errorText) const;
  void RunReminderProgram(const TDataObject &reminder) const;

  // --- The popup menu of a firing reminder (the number is the popup's Tag) ---
  [[nodiscard]] std::optional<PopupState> PopupMenuObjectPopup(int number) override;
  void ActionCloseByUserExecute(int number) override;
  void ActionRemindAfterExecute(int number, const QString &title) override;
  void ActionReminderSoundStopExecute(int number, bool start) override;
  void ActionReminderSoundVolumeExecute(int number) override;
  // Opens the editor, then checks the reminder (also while paused).
  void ActionEditExecute(int number) override;
  // A mouse press on a reminder's tray icon: the number of the firing reminder that owns it, to
  // become the popup's Tag; 0 when none does.
  [[nodiscard]] int TrayIconMouseUp(const ITrayIconView *sender) const;

private:
  struct DemoRestore {
    TDateTime fireTime;
    TFireKind fireKind = TFireKind::Main;
    TFireKind lastFireKind = TFireKind::Main;
  };
  using SoundStops = std::unordered_map<int, uint32_t>;

  [[nodiscard]] TDataObject *find(int number) const;
  // `previousTick`: the moment of the tick before this one, when this check is a tick.
  void checkOne(int number, std::optional<TDateTime> previousTick = std::nullopt);
  void sendReminderUpdated(int number) const;
  [[nodiscard]] bool soundMayStart(int number);

  IReminderList &m_reminders;
  IReminderOutputFactory &m_outputs;
  IUserInterface &m_ui;
  bool m_checking = false;
  // The wall-clock moment of the previous tick; none before the first and after a pause.
  std::optional<TDateTime> m_lastTick;
  // What a firing started in demo mode replaced, by run-time number, to be put back at its end.
  std::unordered_map<int, DemoRestore> m_demoRestore;
  // When each reminder's sound player was last released, on the monotonic tick count. The
  // players note it themselves and may outlive this object, so they hold it weakly.
  std::shared_ptr<SoundStops> m_soundStops;
  std::unique_ptr<TMailQueue> m_mail;
};

// The sound of a firing reminder, or null (the volume dialog's way to the player).
[[nodiscard]] ISoundPlayer *ReminderSoundOf(const TDataObject &reminder);
