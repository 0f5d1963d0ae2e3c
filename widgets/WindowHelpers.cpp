#include "widgets/WindowHelpers.h"

#include <QWidget>

void ParentImageCopy(QWidget *, QPainter &) {}

void BringWindowForward(QWidget *window, bool restore) {
  if (!window || !window->isEnabled())
    return;
  if (restore && window->isVisible() && !window->isMaximized())
    window->showNormal();
  window->raise();
  window->activateWindow();
  if (restore && window->isVisible())
    window->setFocus();
}
