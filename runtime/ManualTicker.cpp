#include "runtime/ManualTicker.h"

bool TManualTicker::fire() {
  if (!m_enabled || !m_handler)
    return false;
  m_handler();
  return true;
}
