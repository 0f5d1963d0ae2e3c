#pragma once

#include <QEvent>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>

#include <cstdint>

// Windows of the program address each other by handle and message number. A handle is a number
// from a counter, never reused; 0 means "no window", and a message to 0 or to a destroyed
// window does nothing.
using WindowHandle = quint64;

namespace msg {
inline constexpr uint WM_CLOSE = 16;
inline constexpr uint MM_MCINOTIFY = 953;
inline constexpr uint WM_USER = 1024;

inline constexpr uint WM_DROP_TEXT = WM_USER + 0;              // posted
inline constexpr uint WM_CLOSE_REMINDER = WM_USER + 1;         // 1025, sent, wParam number
inline constexpr uint WM_REMINDER_CHANGED = WM_USER + 2;       // 1026, posted, wParam number
inline constexpr uint WM_DELETE_REMINDERS = WM_USER + 3;       // 1027, sent, number or 0
inline constexpr uint WM_REFRESH_LIST = WM_USER + 4;           // 1028, sent
inline constexpr uint WM_RELOAD_STORE = WM_USER + 5;           // 1029, sent
inline constexpr uint WM_SHOW_MAIN_WINDOW = WM_USER + 6;       // 1030, posted
inline constexpr uint WM_SELECT_REMINDER = WM_USER + 7;        // 1031, sent, wParam number
inline constexpr uint WM_SETTINGS_CHANGED = WM_USER + 8;       // 1032, sent
inline constexpr uint WM_REMINDER_UPDATED = WM_USER + 9;       // 1033, sent, wParam number
inline constexpr uint WM_LANGUAGE_CHANGED = WM_USER + 10;      // 1034, sent
inline constexpr uint WM_CHECK_REMINDER = WM_USER + 11;        // 1035, posted, wParam number
inline constexpr uint WM_STOP_REMINDER_OUTPUTS = WM_USER + 12; // 1036, sent, wParam number
inline constexpr uint WM_REFRESH_CONTROLS = WM_USER + 13;      // 1037, posted to NotifyWindows
inline constexpr uint WM_DEMO_MODE_CHANGED = WM_USER + 14;     // 1038, sent

// Completion codes carried in wParam of MM_MCINOTIFY.
inline constexpr uintptr_t MCI_NOTIFY_SUCCESSFUL = 1;
inline constexpr uintptr_t MCI_NOTIFY_SUPERSEDED = 2;
inline constexpr uintptr_t MCI_NOTIFY_ABORTED = 4;
inline constexpr uintptr_t MCI_NOTIFY_FAILURE = 8;
} // namespace msg

// The event that carries one message to a window. A receiver overrides QObject::event(), checks
// HubEvent::isHubEvent(e), handles message(), and may set a result for a sent message.
class HubEvent : public QEvent {
public:
  HubEvent(uint message, uintptr_t wParam, intptr_t lParam);

  [[nodiscard]] static QEvent::Type eventType();
  [[nodiscard]] static HubEvent *cast(QEvent *e); // null when e is not a hub event

  [[nodiscard]] uint message() const { return m_message; }
  [[nodiscard]] uintptr_t wParam() const { return m_wParam; }
  [[nodiscard]] intptr_t lParam() const { return m_lParam; }
  [[nodiscard]] intptr_t result() const { return m_result; }
  void setResult(intptr_t r) { m_result = r; }

private:
  uint m_message;
  uintptr_t m_wParam;
  intptr_t m_lParam;
  intptr_t m_result = 0;
};

class MessageHub : public QObject {
  Q_OBJECT
public:
  MessageHub() = default;

  // Gives the window a new handle. The handle stops working when the window is destroyed or
  // unregistered.
  WindowHandle registerWindow(QObject *window);
  void unregisterWindow(WindowHandle h);
  [[nodiscard]] QObject *window(WindowHandle h) const;
  [[nodiscard]] bool isWindow(WindowHandle h) const { return window(h) != nullptr; }
  // The handle of the first registered window whose object name is `name`, or 0 (FindWindow):
  // how a window that all others write to is found without keeping a copy of its handle.
  [[nodiscard]] WindowHandle findWindow(const QString &name) const;

  // Runs the receiver's handler now, on the GUI thread, and gives its result; 0 for a handle that
  // names no window.
  intptr_t send(WindowHandle h, uint message, uintptr_t wParam = 0, intptr_t lParam = 0);

  // Queues the message for the receiver; safe from any thread. Delivered in order by whichever
  // event loop next runs on the receiver's thread; dropped when the receiver goes first.
  // Gives false when the handle names no window.
  bool post(WindowHandle h, uint message, uintptr_t wParam = 0, intptr_t lParam = 0);

  // A stable message number from 0xC000 up for a name, the same for the same name.
  uint registerWindowMessage(const QString &name);

private:
  void forget(QObject *window);

  mutable QMutex m_lock;
  QHash<WindowHandle, QObject *> m_windows;
  QHash<QObject *, WindowHandle> m_handles;
  QHash<QString, uint> m_registered;
  WindowHandle m_next = 0;
};

// The process-wide hub.
[[nodiscard]] MessageHub &hub();
