#pragma once

#include "platform/DateTime.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

// The master window's one-second beat (Timer1). While enabled it calls OnTimer once in every
// wall-clock second; disabled means paused.
class TTicker {
public:
  virtual ~TTicker() = default;
  [[nodiscard]] virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool value) = 0;

  std::function<void()> OnTimer;
};

// The production beat. A due window is often exactly one second long (a one-time reminder without
// a duration is due only within its own second), so a plain 1000 ms interval timer, which drifts
// and may be moved by the system to save power, would now and then step over a window. Instead a
// precise single shot is armed for the next wall-clock second plus a small offset, measured from
// the clock afresh each time: a late tick (a busy GUI thread) or a clock that was set does not
// shift the ones after it, and a second that already had its tick never gets another one.
class TPreciseTicker final : public QObject, public TTicker {
public:
  // How far into each second the tick comes.
  static constexpr int OffsetMs = 100;

  explicit TPreciseTicker(QObject *parent = nullptr);

  [[nodiscard]] bool Enabled() const override { return m_enabled; }
  void SetEnabled(bool value) override;

  // Milliseconds from `now` to the next moment OffsetMs into a second: 1..1000.
  [[nodiscard]] static int DelayToNextTick(TDateTime now);
  // The tick due at `now`: calls OnTimer unless this second already had its tick. Gives the wait
  // from the clock's moment after it to the next tick.
  int TickAt(TDateTime now);

  // The wait of the armed shot, for tests; -1 when none is armed.
  [[nodiscard]] int ArmedDelayMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }

private:
  void expired();

  QTimer m_timer;
  int64_t m_lastSecond = INT64_MIN;
  bool m_enabled = false;
};

// A beat for tests: it never ticks by itself. Tick() runs OnTimer as one tick would, but only
// while enabled, as a paused timer would not tick.
class TManualTicker final : public TTicker {
public:
  explicit TManualTicker(bool enabled = true) : m_enabled(enabled) {}

  [[nodiscard]] bool Enabled() const override { return m_enabled; }
  void SetEnabled(bool value) override { m_enabled = value; }
  void Tick() {
    if (m_enabled && OnTimer)
      OnTimer();
  }

private:
  bool m_enabled;
};
