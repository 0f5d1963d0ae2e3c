#pragma once

#include "runtime/Ticker.h"

// A beat for tests: it never ticks by itself. fire() runs the handler as one tick would, but
// only while enabled, as a paused timer would not tick.
class TManualTicker final : public ITicker {
public:
  void setHandler(Handler handler) override { m_handler = std::move(handler); }
  void setEnabled(bool enabled) override { m_enabled = enabled; }
  [[nodiscard]] bool isEnabled() const override { return m_enabled; }

  // Gives whether the handler ran.
  bool fire();

private:
  Handler m_handler;
  bool m_enabled = false;
};
