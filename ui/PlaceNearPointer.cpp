#include "ui/PlaceNearPointer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint NearPointer(QPoint at, QSize size, int labelHeight, const QRect &screen) {
  const int right = screen.x() + screen.width();
  const int bottom = screen.y() + screen.height();
  int x = at.x();
  int y = at.y();
  if (x + size.width() > right)
    x = right - size.width();
  if (y + size.height() + 2 * labelHeight > bottom)
    y = bottom - size.height() - 2 * labelHeight;
  // Only moving right and down was ever checked; a point left of or above the screen (another
  // monitor, a pointer read late) or a dialog taller than the room left would put the title bar
  // out of reach.
  return {std::max(x, screen.x()), std::max(y, screen.y())};
}

void PlaceNearPointer(QWidget *dialog, QPoint at, int labelHeight) {
  const QScreen *screen = QGuiApplication::screenAt(at);
  if (!screen)
    screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(QPoint(0, 0), dialog->size());
  dialog->move(NearPointer(at, dialog->size(), labelHeight, area));
}
