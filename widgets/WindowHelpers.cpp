#include "widgets/WindowHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <QWindow>

void ParentImageCopy(QWidget *, QPainter &) {}

void BringWindowForward(QWidget *window, bool restore) {
  if (!window || !window->isEnabled())
    return;
  if (restore && window->isVisible() && !window->isMaximized())
    window->showNormal();
  window->raise();
  window->activateWindow();
  // The keys go to the control that had them (or was given them while the window was hidden),
  // not to the bare window, where no control would react to them.
  if (restore && window->isVisible()) {
    QWidget *inner = window->focusWidget();
    (inner ? inner : window)->setFocus();
  }
}

QList<QWidget *> ShownTopLevelWidgets() {
  QList<QWidget *> shown;
  for (QWindow *window : QGuiApplication::topLevelWindows())
    // handle(): winId() would make a native window for one that has none yet.
    if (window->isVisible() && window->handle())
      if (QWidget *w = QWidget::find(window->winId()); w && w->isWindow() && w->isVisible())
        shown << w;
  return shown;
}

bool RaiseDialogsKeptAbove() {
  bool raised = false;
  for (QWidget *w : ShownTopLevelWidgets())
    if (qobject_cast<QDialog *>(w) && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      w->raise();
      raised = true;
    }
  return raised;
}
