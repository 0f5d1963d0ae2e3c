#pragma once

#include <QString>

#include <optional>

// The reminder check, fire and close that the master window drives: on every tick, for the
// messages it receives and for the items of a firing reminder's popup menu. Reminders are named
// by run-time number and looked up again at each call; an unknown number does nothing. Anything
// that may run the event loop (a dialog, a program launch) may free reminders, so no call keeps a
// reminder object across it.
class IReminderRuntime {
public:
  virtual ~IReminderRuntime() = default;

  // Every reminder once.
  virtual void CheckAllReminders() = 0;
  // The timer's tick: every reminder once, making up for runs no tick saw since the previous
  // tick. A pause (CloseAllReminders) forgets the previous tick: what falls due while the user
  // paused the reminders is not made up for.
  virtual void Timer1Timer() { CheckAllReminders(); }
  virtual void CheckReminder(int number) = 0;
  // Ends the firing of that reminder (a reminder that is not firing is left alone).
  virtual void CloseReminder(int number, bool byUser) = 0;
  // Ends every firing (pause).
  virtual void CloseAllReminders() = 0;
  // Removes the sticker, tray icon and sound of that reminder without recording a close.
  virtual void StopReminderOutputs(int number) = 0;
  // The sound device ended the sound of a reminder normally.
  virtual void HandleSoundNotify(quint16 deviceId) = 0;
  // The program ends: from here on nothing is checked or fired, and no output is made; a check
  // under way (the stop came from a pump inside it) ends without firing the rest.
  virtual void EndChecks() {}
  // The program ends: waits a few seconds at most for the mail under way and logs every mail
  // that is abandoned.
  virtual void FinishMail() {}
  // The reminders were read anew from the store (which may be another file now). The firing of a
  // reminder that left the store ends; the others go on, their outputs made afresh from the
  // reminders as read by the next check. Also while paused.
  virtual void RemindersReloaded() {}
  // The program ends: every firing's outputs go, while the model still lives (a sticker's close
  // writes its place into the store).
  virtual void ReleaseAllOutputs() {}
  // Brings the stickers that stay on top back above the other windows.
  virtual void RaiseOnTopStickers() = 0;

  // The popup menu of a firing reminder is about to open for that reminder: whether "Close and
  // remind in ..." and the "Sound" submenu are enabled, or nothing when there is no such
  // reminder.
  struct PopupState {
    bool remindAfterEnabled = true;
    bool soundEnabled = true;
  };
  [[nodiscard]] virtual std::optional<PopupState> PopupMenuObjectPopup(int number) = 0;
  // The popup's items. The master rebuilds its "Add as" menus after ActionEditExecute returns.
  virtual void ActionCloseByUserExecute(int number) = 0;
  virtual void ActionRemindAfterExecute(int number, const QString &title) = 0;
  virtual void ActionReminderSoundStopExecute(int number, bool start) = 0;
  virtual void ActionReminderSoundVolumeExecute(int number) = 0;
  virtual void ActionEditExecute(int number) = 0;
};

// A runtime with no reminders to check: every call does nothing.
class TIdleReminderRuntime final : public IReminderRuntime {
public:
  void CheckAllReminders() override {}
  void CheckReminder(int) override {}
  void CloseReminder(int, bool) override {}
  void CloseAllReminders() override {}
  void StopReminderOutputs(int) override {}
  void HandleSoundNotify(quint16) override {}
  void RaiseOnTopStickers() override {}
  [[nodiscard]] std::optional<PopupState> PopupMenuObjectPopup(int) override { return {}; }
  void ActionCloseByUserExecute(int) override {}
  void ActionRemindAfterExecute(int, const QString &) override {}
  void ActionReminderSoundStopExecute(int, bool) override {}
  void ActionReminderSoundVolumeExecute(int) override {}
  void ActionEditExecute(int) override {}
};
