#pragma once

#include "platform/MessageHub.h"
#include "runtime/ReminderOutputs.h"

#include <QPoint>
#include <QString>

#include <cstdint>

// The windows of the layer above that the runtime opens or tells something: the main window,
// the reminder editor, the small dialogs of a firing reminder and the message boxes. The user
// interface implements it once; the program (app/Program.cpp) hands that object by reference to
// the master window, the reminder scheduler and every sticker. Dialogs get a reminder's run-time
// number, never the object: they run an event loop in which the reminder may be re-read or
// deleted.
class IUserInterface {
public:
  virtual ~IUserInterface() = default;

  // The main window's handle while it is open, else 0 (MainWindowHandle).
  [[nodiscard]] virtual WindowHandle MainWindowHandle() const = 0;
  // Opens the main window on a page (0 reminders, 1 options, 2 log) or brings it forward. It may
  // run a local event loop.
  virtual void ShowMainWindowPage(const QString &caption, int page) = 0;
  // Ticks the main window's "Hide icon in tray" box.
  virtual void SetHideTrayIconChecked(bool checked) = 0;
  virtual void CloseMainWindow() = 0;
  // The modal reminder editor for an id ("new" for a new reminder; the id of the new one comes
  // back) at a list position (its state), with a default repeat type. True on OK.
  [[nodiscard]] virtual bool EditReminder(int listPosition, QString &id, int defaultRepeatType) = 0;
  // "Close and remind in ...": true when confirmed with the remind-again window enabled.
  [[nodiscard]] virtual bool RemindAfter(const QString &title, QPoint at, int32_t number) = 0;
  // The volume of a firing's playing sound, which `sound` finds again at each use (null once it
  // has ended).
  virtual void SoundVolume(QPoint at, const TSoundLookup &sound) = 0;
  // Marks the reminder editor as modified when one is open (SetModified); nothing otherwise.
  virtual void SetEditorModified() = 0;
  // A notice (a failed save, "Function not yet implemented"). It may be called inside the
  // reminder check or a command, so it never waits for the user: the box shows once the current
  // step has returned.
  virtual void ShowMessage(const QString &message) = 0;
  // The box that shows an error nobody caught, just before the program ends.
  virtual void ShowException(const QString &message) = 0;
};
