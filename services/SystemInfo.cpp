#include "services/SystemInfo.h"

#include "platform/Clock.h"

#include <cstdlib>

namespace {
constexpr int ReportedMajor = 6;
constexpr int ReportedMinor = 1;
} // namespace

bool IsWindowsXPFamily() { return isXPFamily(ReportedMajor, ReportedMinor); }

bool IsWindowsVistaFamily() { return isVistaFamily(ReportedMajor); }

TDateTime GetSystemStartTime() {
  const Clock &clock = currentClock();
  const TDateTime fresh = clock.systemStartTime();
  // Only the production clock jitters; an injected clock is taken exactly as it is set.
  if (!dynamic_cast<const SystemClock *>(&clock))
    return fresh;
  static TDateTime last;
  if (last.ms == 0 || std::llabs(fresh.ms - last.ms) > 1000)
    last = fresh;
  return last;
}
