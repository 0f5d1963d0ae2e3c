#pragma once

#include <QApplication>

// The program's application object. No exception may cross Qt's event loop: whatever an event
// handler throws is caught here and handed to the program's exception handler (errors::), which
// the master window points at its own (shown, then the program ends).
class TApplication final : public QApplication {
  Q_OBJECT
public:
  TApplication(int &argc, char **argv);

  bool notify(QObject *receiver, QEvent *event) override;
};
