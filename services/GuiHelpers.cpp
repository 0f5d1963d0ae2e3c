#include "services/GuiHelpers.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QVariant>

void DelayWithMessages(int ms) {
  if (!QCoreApplication::instance()) {
    if (ms > 0)
      QThread::msleep(static_cast<unsigned long>(ms));
    return;
  }
  if (ms <= 0) {
    QCoreApplication::processEvents();
    return;
  }
  // A nested event loop sleeps between events instead of spinning; the elapsed check makes sure
  // the whole time has passed even if the loop is left early.
  QElapsedTimer elapsed;
  elapsed.start();
  for (qint64 left = ms; left > 0; left = ms - elapsed.elapsed()) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

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

void ClearSpeedButtonCaptions(QWidget *form, int tag) {
  if (!form)
    return;
  for (QToolButton *button : form->findChildren<QToolButton *>()) {
    const QVariant t = button->property("tag");
    if (t.toInt() == tag)
      button->setText(QString());
  }
}

void SpeedButtonHintsFromActions(QWidget *form) {
  if (!form)
    return;
  for (QToolButton *button : form->findChildren<QToolButton *>()) {
    if (const QAction *action = button->defaultAction())
      button->setToolTip(action->text());
  }
}
