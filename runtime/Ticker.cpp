#include "runtime/Ticker.h"

#include "platform/Clock.h"

TPreciseTicker::TPreciseTicker(QObject *parent) : QObject(parent) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &TPreciseTicker::expired);
}

void TPreciseTicker::SetEnabled(bool value) {
  m_enabled = value;
  if (value)
    m_timer.start(DelayToNextTick(currentClock().now()));
  else
    m_timer.stop();
}

int TPreciseTicker::DelayToNextTick(TDateTime now) {
  const int intoSecond = static_cast<int>(((now.ms % 1000) + 1000) % 1000);
  const int delay = (OffsetMs - intoSecond + 1000) % 1000;
  return delay == 0 ? 1000 : delay;
}

int TPreciseTicker::TickAt(TDateTime now) {
  const int64_t second = now.ms >= 0 ? now.ms / 1000 : (now.ms - 999) / 1000;
  if (second != m_lastSecond) {
    m_lastSecond = second;
    if (OnTimer)
      OnTimer();
  }
  return DelayToNextTick(currentClock().now());
}

void TPreciseTicker::expired() {
  if (!m_enabled)
    return;
  int wait = -1;
  try {
    wait = TickAt(currentClock().now());
  } catch (...) {
    // A tick that failed (a silent abort among them) must not end the ticking: the next second
    // is armed before the failure goes on to be reported.
    if (m_enabled && !m_timer.isActive())
      m_timer.start(DelayToNextTick(currentClock().now()));
    throw;
  }
  // The tick may have paused the timer, or resumed it (which armed it already).
  if (m_enabled && !m_timer.isActive())
    m_timer.start(wait);
}
