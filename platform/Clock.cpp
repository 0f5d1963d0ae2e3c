// The only file of the program that reads the system's wall clock.
#include "platform/Clock.h"

#include <QDateTime>

#include <ctime>

namespace {

const SystemClock &systemClock() {
  static const SystemClock c;
  return c;
}

int64_t monotonicMs(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

} // namespace

OverrideSlot<const Clock> &clockSlot() {
  static constinit OverrideSlot<const Clock> slot{[]() -> const Clock & { return systemClock(); }};
  return slot;
}

const Clock &currentClock() { return clockSlot().get(); }

TDateTime SystemClock::now() const {
  // Built from the local date and time fields, never from an epoch plus an offset, so that the
  // value is what the user's clock shows, across daylight-saving changes too.
  const QDateTime local = QDateTime::currentDateTime();
  const QDate d = local.date();
  const QTime t = local.time();
  return TDateTime(DaysFromCivil(d.year(), d.month(), d.day()) * MsPerDay +
                   t.msecsSinceStartOfDay());
}

TDateTime SystemClock::systemStartTime() const {
  return now() - TDateTime(monotonicMs(CLOCK_BOOTTIME));
}

uint32_t SystemClock::tickCount() const {
  return static_cast<uint32_t>(monotonicMs(CLOCK_MONOTONIC));
}

void ManualClock::set(int year, int month, int day, int hour, int minute, int second, int msec) {
  m_now = EncodeDateTime(year, month, day, hour, minute, second, msec);
}

TDateTime ManualClock::now() const {
  const TDateTime t = m_now;
  m_now.ms += m_advancePerRead;
  return t;
}
