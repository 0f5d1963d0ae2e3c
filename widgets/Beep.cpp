#include "widgets/Beep.h"

#include <QApplication>

namespace {

void systemBeep() { QApplication::beep(); }

BeepFunction &currentBeep() {
  static BeepFunction beep = &systemBeep;
  return beep;
}

} // namespace

void Beep() { currentBeep()(); }

BeepFunction setBeepFunction(BeepFunction beep) {
  const BeepFunction previous = currentBeep();
  currentBeep() = beep ? beep : &systemBeep;
  return previous;
}
