#include "widgets/ControlRefresh.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace {

constexpr int kMaxDepth = 64;

void refresh(QWidget *control, int depth, QList<QWidget *> &done) {
  if (!control || depth > kMaxDepth)
    return;
  if (IsRefreshedControl(control)) {
    control->update();
    done << control;
  }
  for (QObject *child : control->children()) {
    if (auto *w = qobject_cast<QWidget *>(child); w && !w->isWindow())
      refresh(w, depth + 1, done);
  }
}

} // namespace

bool IsRefreshedControl(const QWidget *control) {
  if (qobject_cast<const QGroupBox *>(control) || qobject_cast<const QTabWidget *>(control) ||
      qobject_cast<const QTabBar *>(control))
    return false;
  // A panel is a bare frame; labels and scroll areas (edits, lists) derive from QFrame too but are
  // controls in their own right.
  if (qobject_cast<const QFrame *>(control) && !qobject_cast<const QLabel *>(control) &&
      !qobject_cast<const QAbstractScrollArea *>(control))
    return false;
  return true;
}

QList<QWidget *> RefreshControlTree(QWidget *control) {
  QList<QWidget *> done;
  refresh(control, 0, done);
  return done;
}
