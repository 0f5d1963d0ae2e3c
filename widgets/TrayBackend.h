#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class TIcon;

// The mouse notifications of a notification-area icon, numbered as the shell numbered them.
namespace tray_mouse {
inline constexpr int Move = 512;
inline constexpr int LeftDown = 513;
inline constexpr int LeftUp = 514;
inline constexpr int LeftDouble = 515;
inline constexpr int RightDown = 516;
inline constexpr int RightUp = 517;
inline constexpr int RightDouble = 518;
inline constexpr int MiddleDown = 519;
inline constexpr int MiddleUp = 520;
inline constexpr int MiddleDouble = 521;
// The message number the shell used to carry them. Nothing here sends it; it is kept so that the
// numbers above keep their meaning.
inline constexpr int CallbackMessage = 45140;
} // namespace tray_mouse

// What the notification area is given for one icon.
struct TNotifyData {
  QIcon icon;
  QString tip;                   // the short hint (at most 63 characters)
  const TIcon *source = nullptr; // the picture the icon was made from
};

// One icon's place in the desktop's notification area. A tray icon reaches the desktop only
// through this, so tests can put a fake desktop in its place.
class TTrayBackend {
public:
  virtual ~TTrayBackend() = default;
  // Puts the icon into the area; false when the area refused it.
  [[nodiscard]] virtual bool add(const TNotifyData &data) = 0;
  // Changes picture and tip of the icon in the area; false when that failed.
  [[nodiscard]] virtual bool modify(const TNotifyData &data) = 0;
  // Takes the icon out of the area (nothing when it is not there).
  virtual void remove() = 0;

  // Where the backend delivers the mouse notifications for its icon (tray_mouse numbers). The
  // owner of the backend sets it.
  std::function<void(int mouseMessage)> onMouse;
};
