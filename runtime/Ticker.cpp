#include "runtime/Ticker.h"

#include "platform/Clock.h"

TPreciseTicker::TPreciseTicker(QObject *parent) : QObject(parent) {
  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &TPreciseTicker::onTimeout);
}

void TPreciseTicker::setEnabled(bool enabled) {
  if (enabled == m_enabled)
    return;
  m_enabled = enabled;
  if (enabled)
    arm();
  else
    m_timer.stop();
}

int64_t TPreciseTicker::msUntilNextTick(TDateTime now) {
  // Floor division, so that a moment before 1899-12-30 aligns the same way.
  int64_t intoSecond = now.ms % 1000;
  if (intoSecond < 0)
    intoSecond += 1000;
  return 1000 - intoSecond + TickOffsetMs;
}

// Armed afresh from the wall clock each time, so a clock that was set forward or back, or a tick
// that came late, lines up again at the next second.
void TPreciseTicker::arm() {
  m_timer.start(static_cast<int>(msUntilNextTick(currentClock().now())));
}

void TPreciseTicker::onTimeout() {
  if (!m_enabled)
    return;
  if (m_handler)
    m_handler();
  // The handler may have paused the beat; it may also have resumed it, which armed it already.
  if (m_enabled && !m_timer.isActive())
    arm();
}
