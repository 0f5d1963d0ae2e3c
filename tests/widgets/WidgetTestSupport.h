#pragma once

#include "widgets/Beep.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Counts the beeps while it lives, instead of sounding them.
class BeepCounter {
public:
  BeepCounter() { beeps() = 0; }

  [[nodiscard]] static int &beeps() {
    static int n = 0;
    return n;
  }

private:
  static void count() { ++beeps(); }
  ScopedBeep m_scope{&count};
};

// Sends a mouse event with the given held buttons straight to a widget (moves carry the buttons,
// which QTest::mouseMove does not promise).
inline void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, pos, w->mapToGlobal(pos), button, held, modifiers);
  QApplication::sendEvent(w, &event);
}
