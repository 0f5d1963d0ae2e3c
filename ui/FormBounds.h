#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;
class TMMemIniFile;

// A window's bounds in a settings section: "Left", "Top", "Width", "Height" (the position of the
// window's frame and the size of its inside).

enum class TBoundsKeys {
  Position,       // only Left and Top are read; the size stays as designed
  PositionAndSize // all four are read
};

// Reads the bounds of the section into the window. A missing Left or Top centres the window on
// the primary screen; a missing size keeps the current one. The result is always on a screen.
void LoadFormBounds(QWidget *form, const TMMemIniFile &ini, const QString &section,
                    TBoundsKeys keys);
// Writes all four values of the window into the section.
void SaveFormBounds(const QWidget *form, TMMemIniFile &ini, const QString &section);

// Puts the window's frame (not its inside) at the point, also for a window whose frame the window
// manager has not drawn yet.
void MoveFrameTo(QWidget *form, QPoint frameTopLeft);

// Puts the window's inside at the point, also for a window that was shown before: the window
// system is told the place even where Qt thinks the window is there already (the window manager
// may have put it elsewhere when it was hidden).
void MoveInsideTo(QWidget *form, QPoint insideTopLeft);

// Where a window with the wanted bounds goes: where it was asked to when a grip of its title bar
// lies on one of the screens (their available areas), else centred on the primary screen. The
// size never exceeds the screen it ends up on.
[[nodiscard]] QRect PlaceOnScreen(const QRect &wanted, const QList<QRect> &screens,
                                  const QRect &primary);
