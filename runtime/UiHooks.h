#pragma once

#include "platform/MessageHub.h"

#include <QString>

#include <functional>

// The windows of the layer above that the master window opens. The program's main() fills the
// table at start-up; an entry left empty does nothing (gives false or 0), except the two message
// boxes, which default to plain Qt message boxes.
struct TUiHooks {
  // ShowMainWindowPage: opens the main window on a page (0 reminders, 1 options, 2 log) or brings
  // it forward. It may run a local event loop.
  std::function<void(const QString &caption, int page)> ShowMainWindowPage;
  // The main window's handle while it is open, else 0 (MainWindowHandle).
  std::function<WindowHandle()> MainWindowHandle;
  // Ticks the main window's "Hide icon in tray" box (SetHideTrayIconChecked).
  std::function<void(bool checked)> SetHideTrayIconChecked;
  // Closes the main window.
  std::function<void()> CloseMainWindow;
  // EditReminder: the modal reminder editor for an id ("new" for a new reminder; the id of the
  // new one comes back); true on OK.
  std::function<bool(int listPosition, QString &id, int defaultRepeatType)> EditReminder;
  // The box that shows an error nobody caught, just before the program ends.
  std::function<void(const QString &message)> ShowException;
  // The box that shows a notice (a failed save, "Function not yet implemented").
  std::function<void(const QString &message)> ShowMessage;
};

[[nodiscard]] TUiHooks &UiHooks();

// Puts another table in place for the lifetime of this object (tests).
class ScopedUiHooks {
public:
  explicit ScopedUiHooks(TUiHooks hooks);
  ~ScopedUiHooks();
  ScopedUiHooks(const ScopedUiHooks &) = delete;
  ScopedUiHooks &operator=(const ScopedUiHooks &) = delete;

private:
  TUiHooks m_previous;
};
