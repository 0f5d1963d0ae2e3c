#pragma once

#include <QString>

#include <optional>

// The reminder check, fire and close as the master window drives it: on every tick, for the
// messages it receives and for the items of a firing reminder's popup menu. Reminders are named
// by run-time number and looked up again at each call; an unknown number does nothing.
class IReminderRuntime {
public:
  virtual ~IReminderRuntime() = default;

  // The tick: every reminder once.
  virtual void CheckAllReminders() = 0;
  virtual void CheckReminder(int number) = 0;
  // Ends the firing of that reminder; a reminder that is not firing is left alone.
  virtual void CloseReminder(int number, bool byUser) = 0;
  // Ends every firing (the start of a pause).
  virtual void CloseAllReminders() = 0;
  // Removes the sticker, tray icon and sound of that reminder without recording a close.
  virtual void StopReminderOutputs(int number) = 0;
  // The sound device ended a sound normally (MM_MCINOTIFY with code 1).
  virtual void HandleSoundNotify(quint16 deviceId) = 0;
  // Brings the stickers that stay on top back above the other windows.
  virtual void RaiseOnTopStickers() = 0;

  // What the popup menu of a firing reminder offers for that reminder.
  struct PopupState {
    bool remindAfterEnabled = true; // "Close and remind in ..."
    bool soundEnabled = true;       // the "Sound" submenu
  };
  // Nothing when there is no such reminder.
  [[nodiscard]] virtual std::optional<PopupState> PopupMenuObjectPopup(int number) = 0;
  // The popup's items. The master rebuilds its "Add as" menus after ActionEditExecute returns.
  virtual void ActionCloseByUserExecute(int number) = 0;
  virtual void ActionRemindAfterExecute(int number, const QString &title) = 0;
  // "Stop", or with `start` "Start".
  virtual void ActionReminderSoundStopExecute(int number, bool start) = 0;
  virtual void ActionReminderSoundVolumeExecute(int number) = 0;
  virtual void ActionEditExecute(int number) = 0;
};
