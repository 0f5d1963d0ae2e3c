#pragma once

// The common ground of the schedule tables: today is Tuesday 2024-03-05 (a leap year), the
// system started at 07:41:59.999, and a reminder starts enabled and active, idle, with a start
// bound "after defined time" at 00:00 (dated today), the stop bound, duration and warning off,
// and a sticker (a firing the user can close).

#include "model/DataObject.h"
#include "model/Schedule.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// A moment on 2024-03-05, or on any date.
inline TDateTime at(int h, int mi, int s = 0, int ms = 0) {
  return EncodeDateTime(2024, 3, 5, h, mi, s, ms);
}
inline TDateTime on(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

inline void PrintTo(const TDateTime &t, std::ostream *os) { *os << DateTimeToIso(t).toStdString(); }

// The expected outcome of one due test.
struct Outcome {
  bool fire = false;
  bool close = false;
  TDateTime due;
  bool operator==(const Outcome &) const = default;
};
inline Outcome none() { return {}; }
inline Outcome keep() { return {}; } // a firing reminder that goes on
inline Outcome closes() { return {false, true, {}}; }
inline Outcome fires(TDateTime due) { return {true, false, due}; }
inline Outcome of(const TCheckResult &r) { return {r.fire, r.close, r.due}; }
inline void PrintTo(const Outcome &o, std::ostream *os) {
  if (o.fire)
    *os << "fire, due " << DateTimeToIso(o.due).toStdString();
  else if (o.close)
    *os << "close";
  else
    *os << "nothing";
}

using Settings = std::function<void(TDataObject &)>;

class ScheduleTest : public ::testing::Test {
protected:
  ScheduleTest() : m_scope(clock) {
    clock.set(at(12, 0));
    clock.setSystemStartTime(at(7, 41, 59, 999));
  }

  // A fresh reminder with the table defaults, then the row's own settings.
  std::unique_ptr<TDataObject> reminder(const Settings &setup = {}) {
    auto r = TDataObject::CreateEmpty(QStringLiteral("R"));
    r->enable = true;
    r->state = TReminderState::Active;
    r->startBound = {TStartBoundType::AfterDefinedTime, at(0, 0)};
    r->sticker.enable = true;
    if (setup)
      setup(*r);
    return r;
  }

  ManualClock clock;

private:
  ScopedClock m_scope;
};

// Setups for the repeat rules of the tables.
inline Settings once(TDateTime t) {
  return [t](TDataObject &r) {
    r.repeat.type = TRepeatType::Once;
    r.repeat.dt = t;
  };
}
inline Settings minutely(int minutes) {
  return [minutes](TDataObject &r) {
    r.repeat.type = TRepeatType::Minutely;
    r.repeat.value1 = {minutes, TMeasure::Minute};
  };
}
inline Settings hourly(int hours, int minute) {
  return [hours, minute](TDataObject &r) {
    r.repeat.type = TRepeatType::Hourly;
    r.repeat.value1 = {hours, TMeasure::Hour};
    r.repeat.value2 = {minute, TMeasure::Minute};
  };
}
inline Settings daily(int days, int h, int mi) {
  return [days, h, mi](TDataObject &r) {
    r.repeat.type = TRepeatType::Daily;
    r.repeat.value1 = {days, TMeasure::Day};
    r.repeat.dt = EncodeTime(h, mi, 0, 0);
  };
}
inline Settings byDays(TRepeatType type, const char *days, int h, int mi) {
  return [type, days, h, mi](TDataObject &r) {
    r.repeat.type = type;
    r.repeat.value1 = {1, static_cast<TMeasure>(static_cast<int>(type) - 1)};
    r.repeat.dt = EncodeTime(h, mi, 0, 0);
    r.repeat.days = QString::fromLatin1(days);
  };
}
inline Settings durationOf(int hours, int minutes) {
  return [hours, minutes](TDataObject &r) {
    r.duration = {true, {hours, TMeasure::Hour}, {minutes, TMeasure::Minute}};
  };
}
inline Settings startAt(TStartBoundType type, TDateTime dt) {
  return [type, dt](TDataObject &r) { r.startBound = {type, dt}; };
}
inline Settings stopAt(TStopBoundType type, TDateTime dt, TValueRec value = {}) {
  return [type, dt, value](TDataObject &r) { r.stopBound = {true, type, dt, value}; };
}
inline Settings remindBefore(int value, TMeasure unit) {
  return [value, unit](TDataObject &r) { r.remindBefore = {true, {value, unit}}; };
}
inline Settings firingSince(TDateTime fireTime, TFireKind kind = TFireKind::Main) {
  return [fireTime, kind](TDataObject &r) {
    r.Firing = true;
    r.FireKind = kind;
    r.FireTime = fireTime;
  };
}
// Several setups in order.
inline Settings with(std::initializer_list<Settings> parts) {
  return [list = std::vector<Settings>(parts)](TDataObject &r) {
    for (const Settings &s : list)
      s(r);
  };
}
