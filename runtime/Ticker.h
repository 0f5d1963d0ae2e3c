#pragma once

#include "platform/DateTime.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

// The master window's one-second beat: while enabled it calls its handler once in every
// wall-clock second. Disabled means paused.
class ITicker {
public:
  using Handler = std::function<void()>;

  virtual ~ITicker() = default;
  virtual void setHandler(Handler handler) = 0;
  virtual void setEnabled(bool enabled) = 0;
  [[nodiscard]] virtual bool isEnabled() const = 0;
};

// The production beat. A due window is often exactly one second long (a one-time reminder without
// a duration is due only within its own second), so a plain 1000 ms interval timer, which drifts
// and may be moved by the system to save power, would now and then step over a window. Instead a
// precise single shot is armed for each next wall-clock second plus a small margin, so every
// second gets its tick, and a busy GUI thread still has most of the second to catch up.
class TPreciseTicker final : public QObject, public ITicker {
public:
  // Milliseconds past the start of a second at which the tick comes.
  static constexpr int64_t TickOffsetMs = 100;

  explicit TPreciseTicker(QObject *parent = nullptr);

  void setHandler(Handler handler) override { m_handler = std::move(handler); }
  void setEnabled(bool enabled) override;
  [[nodiscard]] bool isEnabled() const override { return m_enabled; }

  // The delay from `now` to the next tick: to the following second plus the offset, so always
  // more than TickOffsetMs and at most one second plus it.
  [[nodiscard]] static int64_t msUntilNextTick(TDateTime now);

  // The delay of the armed shot, for tests; -1 when none is armed.
  [[nodiscard]] int armedDelayMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }

private:
  void arm();
  void onTimeout();

  QTimer m_timer;
  Handler m_handler;
  bool m_enabled = false;
};
