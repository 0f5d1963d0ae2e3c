#pragma once

// A minimal copy of the master window's check, fire and close steps, driven by a manual clock
// one tick at a time, with a simulated user who closes each firing a few seconds after it starts.
// It keeps the reminder's firing as the runtime does, and records every firing, so a test can
// hold the due tests against the next-run computation.

#include "model/DataObject.h"
#include "model/FiringState.h"
#include "platform/Clock.h"

#include <vector>

struct SimFiring {
  TFireKind kind = TFireKind::Main;
  TDateTime due;
  TDateTime at; // the tick that started it
};

class ReminderSim {
public:
  ReminderSim(TDataObject &r, ManualClock &clock) : m_r(r), m_clock(clock) {}

  // How long after a firing starts the user closes it; 0 means the user never closes anything.
  TDateTime userCloseAfter = OneSecond * 5;

  std::vector<SimFiring> firings;
  // Firings closed by their own schedule on the tick right after the one that started them.
  int closedOnNextTick = 0;

  void tick(TDateTime now) {
    m_clock.set(now);
    m_clock.setTickCount(static_cast<uint32_t>(now.ms)); // the monotonic clock goes along
    if (m_f.firing && userCloseAfter > TDateTime() && now - m_startedAt >= userCloseAfter)
      close(now, true);

    const TCheckResult c = m_r.CheckDue(m_f, now, false);
    if (c.close && m_f.kind != TFireKind::RemindAfter) {
      if (now - m_startedAt <= OneSecond)
        ++closedOnNextTick;
      close(now, false);
    } else if (c.fire) {
      start(now, c.kind, c.due);
    }
  }

  // Ticks once a second from `from` (inclusive) to `to` (exclusive).
  void run(TDateTime from, TDateTime to) {
    for (TDateTime t = from; t < to; t += OneSecond)
      tick(t);
  }

  [[nodiscard]] std::vector<TDateTime> dues(TFireKind kind) const {
    std::vector<TDateTime> out;
    for (const SimFiring &f : firings)
      if (f.kind == kind)
        out.push_back(f.due);
    return out;
  }

private:
  void start(TDateTime now, TFireKind kind, TDateTime due) {
    m_r.BeginFiring(m_f, kind, due, now, false);
    m_startedAt = now;
    firings.push_back({kind, m_f.fireTime, now});
  }

  void close(TDateTime now, bool byUser) {
    if (m_f.kind == TFireKind::RemindBefore)
      m_f.fireTime -= OneSecond;
    m_f.firing = false;
    if (m_r.repeat.type == TRepeatType::Once && m_f.kind != TFireKind::RemindBefore &&
        (byUser || !m_r.remindAfter.enable))
      m_r.enable = false;
    if (byUser && m_f.kind == TFireKind::Main)
      m_r.lastCloseByUserDt = now;
    if (byUser && m_f.kind == TFireKind::RemindBefore)
      m_r.lastCloseByUserRemindBeforeDt = now;
    m_f.lastKind = m_f.kind;
  }

  TDataObject &m_r;
  TFiringState m_f;
  ManualClock &m_clock;
  TDateTime m_startedAt;
};

// The runs that the next-run computation lists from `from` until before `to`: each next one is
// asked for just after the previous. The clock reads each asking moment, as a live tick would.
inline std::vector<TDateTime> listedRuns(const TDataObject &r, ManualClock &clock, TDateTime from,
                                         TDateTime to) {
  std::vector<TDateTime> out;
  TDateTime t = from;
  for (int i = 0; i < 100'000; ++i) {
    clock.set(t);
    const TDateTime next = r.GetNextRunTime(t);
    if (next == TDateTime() || next >= to)
      break;
    out.push_back(next);
    t = next + OneMillisecond;
  }
  return out;
}
