#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QCursor>

void SetHourglassCursor() {
  if (QApplication::overrideCursor())
    QApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void RestoreCursor() {
  // The screen cursor is one setting, not a stack: drop every override. Bounded, in case some
  // handler sets a new override while we restore.
  for (int i = 0; i < 1000 && QApplication::overrideCursor(); ++i)
    QApplication::restoreOverrideCursor();
}
