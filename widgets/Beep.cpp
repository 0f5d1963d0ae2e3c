#include "widgets/Beep.h"

#include <QApplication>

namespace {

void systemBeep() { QApplication::beep(); }

BeepFunction &standardBeep() {
  static BeepFunction f = &systemBeep;
  return f;
}

} // namespace

OverrideSlot<BeepFunction> &beepSlot() {
  static constinit OverrideSlot<BeepFunction> slot{&standardBeep};
  return slot;
}

void Beep() { beepSlot().get()(); }
