#pragma once

#include "widgets/TrayBackend.h"

#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class TIcon;
class TIconList;
class TTrayIcon;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The keys and buttons held during a mouse event, as a set of flags.
using TShiftState = unsigned;
namespace shift {
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;
} // namespace shift

using TTrayMouseEvent =
    std::function<void(TTrayIcon *sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TTrayMouseMoveEvent = std::function<void(TTrayIcon *sender, TShiftState shift, int x, int y)>;
using TTrayNotifyEvent = std::function<void(TTrayIcon *sender)>;

// The dynamic property of a QMenu that turns its automatic popup on a right click off (false);
// a menu without it pops up.
inline constexpr char AutoPopupProperty[] = "autoPopup";
// The dynamic property a menu gets when a tray icon pops it up: that tray icon (QObject *).
inline constexpr char PopupComponentProperty[] = "popupComponent";

// The frame stepper of an animated tray icon (the tray icon's timer thread; named apart from the
// worker of TThreadTimer). It waits the owner's Interval, then steps the
// owner's frame, and again, until it is suspended or terminated. It runs on the GUI thread (a
// single-shot timer re-armed after each step), so a step never races with the owner's other
// changes, and nothing steps after termination or after the owner is gone.
class TTrayTimerThread : public QObject {
  Q_OBJECT
public:
  TTrayTimerThread(TTrayIcon *owner, bool createSuspended);

  [[nodiscard]] bool Suspended() const { return m_suspended; }
  void Suspend();
  void Resume();
  // Detaches from the owner and stops for good.
  void Terminate();
  // Terminated, the application is going down, or no owner.
  [[nodiscard]] bool StopRequested() const;
  // The time to the next step: the owner's Interval, at least 10 ms so a 0 cannot spin.
  [[nodiscard]] int NextWait() const;
  // What one expiry of the wait does: a step when nothing asks to stop and the owner is animated,
  // then the next wait. Public so the owner's tests can drive the stepping without waiting.
  void RunOnce();
  [[nodiscard]] bool Waiting() const { return m_timer.isActive(); }

private:
  void arm();

  QPointer<TTrayIcon> m_owner;
  QTimer m_timer;
  bool m_suspended = true;
  bool m_terminated = false;
};

// One icon in the desktop's notification area: the still Icon, or the frames of Icons stepped
// every Interval ms while Animated; a tip (the part of Hint before the first "|", at most 63
// characters); mouse, click and double-click events; the PopupMenu at the cursor on a right
// click and its default item on a left double click.
//
// The icon is in the area (Added) while Active and the current picture is not empty. Changes of
// Icon, Icons and Hint reach the area at once. Event handlers run on the GUI thread; whatever
// they throw goes to the program's exception handler and the icon stays usable. A handler may
// release the icon with deleteLater(); nothing of it is used after a handler deleted it.
class TTrayIcon : public QObject {
  Q_OBJECT
public:
  // With no backend the process-wide backend factory makes one. Nothing enters the area before
  // the first change that finds a picture.
  explicit TTrayIcon(QObject *owner = nullptr, bool active = true,
                     std::unique_ptr<TTrayBackend> backend = {});
  ~TTrayIcon() override;
  TTrayIcon(const TTrayIcon &) = delete;
  TTrayIcon &operator=(const TTrayIcon &) = delete;

  [[nodiscard]] bool Active() const { return m_active; }
  void SetActive(bool value);
  void Show() { SetActive(true); }
  void Hide() { SetActive(false); }
  [[nodiscard]] bool Enabled() const { return m_enabled; }
  void SetEnabled(bool value) { m_enabled = value; }
  [[nodiscard]] TIcon &Icon() { return *m_icon; }
  // Copies the icon (null empties it).
  void SetIcon(const TIcon *icon);
  [[nodiscard]] TIconList &Icons() { return *m_icons; }
  // Copies the list (null empties it).
  void SetIcons(const TIconList *icons);
  [[nodiscard]] bool Animated() const { return m_animated; }
  // Stays false while Icons is empty. Every change shows frame 0 (or Icon) at once.
  void SetAnimated(bool value);
  [[nodiscard]] quint16 Interval() const { return m_interval; }
  // Read before every wait.
  void SetInterval(quint16 ms) { m_interval = ms; }
  [[nodiscard]] const QString &Hint() const { return m_hint; }
  void SetHint(const QString &hint);
  [[nodiscard]] QMenu *PopupMenu() const { return m_popupMenu; }
  // Not owned; forgotten when the menu is destroyed.
  void SetPopupMenu(QMenu *menu) { m_popupMenu = menu; }

  TTrayMouseEvent OnClick;
  TTrayNotifyEvent OnDblClick;
  TTrayMouseMoveEvent OnMouseMove;
  TTrayMouseEvent OnMouseDown;
  TTrayMouseEvent OnMouseUp;

  // A mouse notification for the icon (tray_mouse numbers); anything else does nothing.
  void Notify(int mouseMessage);

  // The picture shown: Icon, or while animated the frame at the frame index; an empty frame
  // gives the next frame that is not empty, and Icon when every frame is empty.
  [[nodiscard]] const TIcon *CurrentIcon() const;
  [[nodiscard]] bool Added() const { return m_added; }
  [[nodiscard]] int FrameIndex() const { return m_frameIndex; }
  [[nodiscard]] TTrayTimerThread *Worker() const { return m_worker; }
  [[nodiscard]] TTrayBackend &Backend() const { return *m_backend; }

  void RefreshIcon();
  // One frame step (the worker calls it).
  void StepFrame();
  // Shows the popup menu at (x, y); false when there is no menu to show.
  bool PopupAtCursor(int x, int y);
  // Triggers the popup menu's default item when it is enabled; false when nothing was triggered.
  bool ClickDefaultItem();

  // The tip for a hint: the text before the first "|", with CR LF as LF, cut to 63 characters
  // (never inside a surrogate pair), without a lone CR left at the end.
  [[nodiscard]] static QString ShortHint(const QString &hint);

  // Process-wide sources, replaceable in tests: the backend of new tray icons, the cursor
  // position and the keyboard modifiers. An empty function puts the default back.
  static void SetBackendFactory(std::function<std::unique_ptr<TTrayBackend>()> factory);
  static void SetCursorSource(std::function<QPoint()> source);
  static void SetModifierSource(std::function<Qt::KeyboardModifiers()> source);

private:
  void AddToNotificationArea();
  void RemoveFromNotificationArea();
  [[nodiscard]] TNotifyData FillNotifyData();
  [[nodiscard]] QIcon iconFor(const TIcon *icon);
  void picturesChanged();
  void HandleClick(TMouseButton button, TShiftState shift, int x, int y);
  void HandleDblClick();
  void CancelFormModes();
  void releaseWorker();

  std::unique_ptr<TTrayBackend> m_backend;
  std::unique_ptr<TIcon> m_icon;
  std::unique_ptr<TIconList> m_icons;
  QHash<const TIcon *, QIcon> m_iconCache; // emptied on every change of Icon or Icons
  QPointer<QMenu> m_popupMenu;
  TTrayTimerThread *m_worker = nullptr; // a child of this icon
  QString m_hint;
  int m_frameIndex = -1;
  unsigned m_clickedButtons = 0;
  quint16 m_interval = 150;
  bool m_active = true;
  bool m_added = false;
  bool m_animated = false;
  bool m_enabled = true;
  bool m_destroying = false;
};
