#pragma once

#include "platform/DateTime.h"

// The operating-system version tests that choose the look of the tray and about-box icons. Linux
// reports a fixed "6.1", so the Vista family is true and the true-colour icons are chosen (Linux
// trays take ARGB).
[[nodiscard]] constexpr bool isXPFamily(int major, int minor) { return major == 5 && minor > 0; }
[[nodiscard]] constexpr bool isVistaFamily(int major) { return major == 6; }
[[nodiscard]] bool IsWindowsXPFamily();
[[nodiscard]] bool IsWindowsVistaFamily();

// The moment the system started, from the injected clock. The production clock computes now minus
// the 64-bit boot-time clock, so it never wraps; its few milliseconds of jitter between calls are
// smoothed out here, so the value stays the same while the program runs (unless the wall clock is
// moved by more than a second).
[[nodiscard]] TDateTime GetSystemStartTime();
