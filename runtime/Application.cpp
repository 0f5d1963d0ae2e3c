#include "runtime/Application.h"

#include "platform/Errors.h"

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tolvane"));
  setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    // Re-thrown inside the guard, which knows how to describe and report it.
    (void)errors::guardedCall([] { throw; });
    return false;
  }
}
