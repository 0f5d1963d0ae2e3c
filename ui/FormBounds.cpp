#include "ui/FormBounds.h"

#include "model/SettingsKeys.h"
#include "platform/MemIniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The part of the title bar that must be reachable for the user to drag the window back.
constexpr int GripWidth = 64;
constexpr int GripHeight = 24;

QRect centredIn(const QRect &area, QSize size) {
  size = size.boundedTo(area.size());
  return {area.x() + (area.width() - size.width()) / 2,
          area.y() + (area.height() - size.height()) / 2, size.width(), size.height()};
}

} // namespace

QRect PlaceOnScreen(const QRect &wanted, const QList<QRect> &screens, const QRect &primary) {
  const QRect grip(wanted.x(), wanted.y(), wanted.width(), std::min(wanted.height(), GripHeight));
  const int needWidth = std::min(wanted.width(), GripWidth);
  const int needHeight = std::min(wanted.height(), GripHeight);
  for (const QRect &screen : screens) {
    const QRect shown = screen.intersected(grip);
    if (shown.width() >= needWidth && shown.height() >= needHeight)
      return QRect(wanted.topLeft(), wanted.size().boundedTo(screen.size()));
  }
  return centredIn(primary, wanted.size());
}

void LoadFormBounds(QWidget *form, const TMMemIniFile &ini, const QString &section,
                    TBoundsKeys keys) {
  namespace k = settings_keys;
  // A form that is not shown yet still has its designed size; its layout may need more (fonts
  // differ), and centring by the smaller size would push the bottom, with its buttons, off the
  // screen.
  QSize size = form->size().expandedTo(form->minimumSizeHint());
  if (keys == TBoundsKeys::PositionAndSize)
    size = QSize(ini.readInteger(section, k::Width, size.width()),
                 ini.readInteger(section, k::Height, size.height()))
               .expandedTo(form->minimumSize());
  QList<QRect> screens;
  for (const QScreen *screen : QGuiApplication::screens())
    screens << screen->availableGeometry();
  const QScreen *primaryScreen = QGuiApplication::primaryScreen();
  const QRect primary = primaryScreen ? primaryScreen->availableGeometry() : QRect(0, 0, 800, 600);
  const QRect centred = centredIn(primary, size);
  const QRect wanted(ini.readInteger(section, k::Left, centred.x()),
                     ini.readInteger(section, k::Top, centred.y()), size.width(), size.height());
  const QRect placed = PlaceOnScreen(wanted, screens, primary);
  form->resize(placed.size());
  MoveFrameTo(form, placed.topLeft());
}

void MoveFrameTo(QWidget *form, QPoint frameTopLeft) {
  // Left and Top are the frame's corner, as x() and y() give it. A window that has its native
  // window already but was never framed takes move() as the inside's corner (its frame is not
  // known yet), and the window manager puts the title bar above that: the window crept up by a
  // title bar's height at every opening. The native window is told that the place includes the
  // frame.
  QWindow *native = form->windowHandle();
  if (form->isWindow() && native && !form->isVisible() &&
      form->frameGeometry() == form->geometry()) {
    form->move(frameTopLeft);
    native->setFramePosition(frameTopLeft);
    return;
  }
  form->move(frameTopLeft);
}

void MoveInsideTo(QWidget *form, QPoint insideTopLeft) {
  const QRect inside(insideTopLeft, form->size());
  form->setGeometry(inside);
  if (QWindow *native = form->windowHandle(); native && form->isWindow() && !form->isVisible())
    native->setGeometry(inside);
}

void SaveFormBounds(const QWidget *form, TMMemIniFile &ini, const QString &section) {
  namespace k = settings_keys;
  ini.writeInteger(section, k::Left, form->x());
  ini.writeInteger(section, k::Top, form->y());
  ini.writeInteger(section, k::Width, form->width());
  ini.writeInteger(section, k::Height, form->height());
}
