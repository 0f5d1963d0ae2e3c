#include "services/DelayWithMessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

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
