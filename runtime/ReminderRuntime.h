#pragma once

#include "model/ReminderRecords.h"
#include "platform/DateTime.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderPorts.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

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
class TReminderRuntime {
public:
  struct Ports {
    IReminderList *reminders = nullptr;        // required
    IReminderOutputFactory *outputs = nullptr; // required
    WindowHandle masterWindow = 0;             // hears the sounds' completion notices
    std::function<WindowHandle()> mainWindow;  // told of changed reminders; 0 while closed
    TReminderDialogs dialogs;
  };

  // What the popup menu of a firing reminder offers for the reminder it opens on.
  struct PopupState {
    bool remindAfterEnabled = false; // not for a warning ahead of the event
    bool soundMenuEnabled = false;   // the reminder has a sound
  };

  explicit TReminderRuntime(Ports ports);
  ~TReminderRuntime();
  TReminderRuntime(const TReminderRuntime &) = delete;
  TReminderRuntime &operator=(const TReminderRuntime &) = delete;

  // --- The check ---
  void Timer1Timer() { CheckAllReminders(); }
  void CheckAllReminders();
  void CheckReminder(int32_t number);

  // --- Firing and closing ---
  void FireReminder(int32_t number, TFireKind kind, TDateTime due);
  // Ends a firing; a reminder that is not firing is left alone. Nothing happens in demo mode.
  void CloseReminder(int32_t number, bool byUser);
  // Removes the outputs and ends the firing without recording anything.
  void StopReminderOutputs(int32_t number);
  // Closes every firing reminder, not by the user (the start of a pause).
  void CloseAllReminders();

  // --- Outputs ---
  void SyncReminderOutputs(int32_t number);
  void ShowSticker(int32_t number);
  void ShowReminderTrayIcon(int32_t number);
  void PlayReminderSound(int32_t number);
  // The completion notice of a sound device: on a natural end a repeating sound plays again;
  // a failure frees the player.
  void HandleSoundNotify(quint16 deviceId, bool success);
  // MM_MCINOTIFY as it reaches the master window: only a natural end (code 1) counts.
  void HandleSoundNotifyMessage(uintptr_t wParam, intptr_t lParam);

  // --- The actions of a firing ---
  // The mail of a main-event firing; the error text, or "" when it went out or was not tried.
  [[nodiscard]] QString SendReminderMail(const TDataObject &reminder) const;
  void WriteFireLog(const TDataObject &reminder, const QString &errorText) const;
  void RunReminderProgram(const TDataObject &reminder) const;

  // --- The popup menu of a firing reminder ---
  // The reminder the menu acts on (the popup's Tag); 0 for none.
  [[nodiscard]] int32_t PopupReminder() const { return m_popupReminder; }
  void SetPopupReminder(int32_t number) { m_popupReminder = number; }
  // Empty when the menu's reminder no longer exists.
  [[nodiscard]] std::optional<PopupState> PopupMenuObjectPopup() const;
  void ActionCloseByUserExecute();
  void ActionRemindAfterExecute(const QString &caption);
  void ActionReminderSoundStopExecute();
  void ActionReminderSoundStartExecute();
  void ActionReminderSoundVolumeExecute();
  // Opens the editor, then checks the reminder (also while paused). The master rebuilds its
  // "Add as" menus after this.
  void ActionEditExecute();
  // A mouse press on a reminder's tray icon: the popup acts on that reminder.
  void TrayIconMouseUp(const ITrayIconView *sender);

private:
  struct DemoRestore {
    TDateTime fireTime;
    TFireKind fireKind = TFireKind::Main;
    TFireKind lastFireKind = TFireKind::Main;
  };
  using SoundStops = std::unordered_map<int32_t, uint32_t>;

  [[nodiscard]] TDataObject *find(int32_t number) const;
  void checkOne(int32_t number);
  void sendReminderUpdated(int32_t number) const;
  [[nodiscard]] bool soundMayStart(int32_t number);

  Ports m_ports;
  int32_t m_popupReminder = 0;
  bool m_checking = false;
  // What a firing started in demo mode replaced, by run-time number, to be put back at its end.
  std::unordered_map<int32_t, DemoRestore> m_demoRestore;
  // When each reminder's sound player was last released, on the monotonic tick count. Shared
  // with the players, which outlive neither the reminders nor, usually, this object.
  std::shared_ptr<SoundStops> m_soundStops;
};

// The sound of a firing reminder started by the runtime, or null.
[[nodiscard]] IReminderSound *ReminderSoundOf(const TDataObject &reminder);
