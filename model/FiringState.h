#pragma once

#include "model/ReminderRecords.h"
#include "platform/DateTime.h"

#include <cstdint>
#include <optional>

// What the schedule needs to know of a reminder's current or last firing: whether it fires now,
// for what, since when, and whether it is only a demonstration. None of it is stored, and none of
// it is the reminder's: the runtime keeps it beside the reminder (its firing table, by id), so a
// store reload that reads the reminder anew neither loses a firing nor starts it a second time.
// A reminder that never fired has the empty state.
struct TFiringState {
  bool firing = false;
  TFireKind kind = TFireKind::Main;     // of the current firing
  TFireKind lastKind = TFireKind::Main; // of the last closed firing
  TDateTime fireTime;                   // due moment of the current or last firing
  // The monotonic tick count at which the current firing's duration began, when it began
  // through BeginFiring; the duration is measured on it, whatever the wall clock does.
  std::optional<uint32_t> fireTick;
  bool firedInDemo = false; // the current firing started in demo mode

  // The state of a reminder that never fired.
  [[nodiscard]] static const TFiringState &Idle() {
    static const TFiringState idle;
    return idle;
  }
};
