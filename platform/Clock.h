#pragma once

#include "platform/DateTime.h"
#include "platform/ScopedOverride.h"

#include <cstdint>
#include <memory>

// The one source of "now" for the whole program. Production reads the local wall-clock date and
// time; tests install a ManualClock with ScopedClock.
class Clock {
public:
  virtual ~Clock() = default;
  // The local date and time, to the millisecond.
  [[nodiscard]] virtual TDateTime now() const = 0;
  // The moment the system started: now minus the time since boot.
  [[nodiscard]] virtual TDateTime systemStartTime() const = 0;
  // Milliseconds since boot on a monotonic clock, wrapping at 32 bits like the old tick count.
  [[nodiscard]] virtual uint32_t tickCount() const = 0;

  [[nodiscard]] TDateTime today() const { return DateOf(now()); }
};

// The process-wide clock.
[[nodiscard]] const Clock &currentClock();
// Where the process-wide clock is kept (the system clock unless replaced).
[[nodiscard]] OverrideSlot<const Clock> &clockSlot();
// Installs a clock for the lifetime of this object, then puts the previous one back.
using ScopedClock = ScopedOverride<&clockSlot>;

// The production clock.
class SystemClock final : public Clock {
public:
  [[nodiscard]] TDateTime now() const override;
  [[nodiscard]] TDateTime systemStartTime() const override;
  [[nodiscard]] uint32_t tickCount() const override;
};

// A clock that moves only when told to. With advancePerRead set, every now() moves it on by that
// many milliseconds after reading, which shows code that reads the clock more than it should.
class ManualClock final : public Clock {
public:
  ManualClock() = default;
  explicit ManualClock(TDateTime start) : m_now(start) {}

  void set(TDateTime t) { m_now = t; }
  void set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
           int msec = 0);
  void advanceMs(int64_t ms) { m_now.ms += ms; }
  void setSystemStartTime(TDateTime t) { m_start = t; }
  void setAdvancePerRead(int64_t ms) { m_advancePerRead = ms; }
  void setTickCount(uint32_t ticks) { m_ticks = ticks; }

  [[nodiscard]] TDateTime now() const override;
  [[nodiscard]] TDateTime systemStartTime() const override { return m_start; }
  [[nodiscard]] uint32_t tickCount() const override { return m_ticks; }

private:
  mutable TDateTime m_now;
  TDateTime m_start;
  int64_t m_advancePerRead = 0;
  uint32_t m_ticks = 0;
};
