#pragma once

#include "platform/DateTime.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

// The master window's one-second timer. While enabled it calls OnTimer once a second.
class TTicker {
public:
  virtual ~TTicker() = default;
  [[nodiscard]] virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool value) = 0;

  std::function<void()> OnTimer;
};

// Ticks once in every second of the clock, a little after the second begins, so a reminder whose
// due window is a single second always gets exactly one check inside it. The wait is measured
// again before every tick, so a late tick (the GUI thread was busy) does not shift the later ones,
// and a timer that wakes a little early never gives a second tick in the same second.
class TPreciseTicker final : public QObject, public TTicker {
  Q_OBJECT
public:
  explicit TPreciseTicker(QObject *parent = nullptr);

  [[nodiscard]] bool Enabled() const override { return m_enabled; }
  void SetEnabled(bool value) override;

  // How far into each second the tick comes.
  static constexpr int OffsetMs = 100;
  // Milliseconds from now to the next tick.
  [[nodiscard]] static int DelayToNextTick(TDateTime now);
  // Runs the tick that is due at `now`: none when a tick already ran in this second. Gives the
  // wait to the next one.
  int TickAt(TDateTime now);
  // The wait of the armed shot, for tests; -1 when none is armed.
  [[nodiscard]] int ArmedDelayMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }

private:
  void expired();

  QTimer m_timer;
  int64_t m_lastSecond = INT64_MIN;
  bool m_enabled = false;
};

// A ticker that ticks when the test says so.
class TManualTicker final : public TTicker {
public:
  explicit TManualTicker(bool enabled = true) : m_enabled(enabled) {}
  [[nodiscard]] bool Enabled() const override { return m_enabled; }
  void SetEnabled(bool value) override { m_enabled = value; }
  // One tick, when enabled.
  void Tick() {
    if (m_enabled && OnTimer)
      OnTimer();
  }

private:
  bool m_enabled;
};
