#include "runtime/Ticker.h"

#include "platform/Clock.h"

namespace {

// Floor division, so that moments before 1899-12-30 fall into their seconds the same way.
int64_t secondOf(TDateTime t) { return t.ms >= 0 ? t.ms / 1000 : -((-t.ms + 999) / 1000); }

} // namespace

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
  const int64_t intoSecond = now.ms - secondOf(now) * 1000;
  const int delay = static_cast<int>((OffsetMs - intoSecond + 1000) % 1000);
  return delay == 0 ? 1000 : delay;
}

int TPreciseTicker::TickAt(TDateTime now) {
  const int64_t second = secondOf(now);
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
  const int wait = TickAt(currentClock().now());
  // The tick may have paused the beat; it may also have resumed it, which armed it already.
  if (m_enabled && !m_timer.isActive())
    m_timer.start(wait);
}
