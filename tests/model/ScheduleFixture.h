#pragma once

// The common ground of the schedule tables: today is Tuesday 2024-03-05 (a leap year), the
// system started at 07:41:59.999, and a reminder starts enabled and active, idle, with a start
// bound "after defined time" at 00:00 (dated today), the stop bound, duration and warning off,
// and a sticker (a firing the user can close). Each reminder of a table comes with its firing,
// as the runtime keeps it beside the reminder.

#include "model/DataObject.h"
#include "model/FiringState.h"
#include "model/Schedule.h"
#include "platform/Clock.h"
#include "tests/support/TestModel.h"

#include <gtest/gtest.h>

#include <concepts>
#include <functional>
#include <memory>
#include <ostream>
#include <utility>

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

// A row's settings: of the reminder, and of its firing where the row starts with one. Either
// kind of function makes one.
class Settings {
public:
  using Apply = std::function<void(TDataObject &, TFiringState &)>;
  Settings() = default;
  template <class F>
  requires std::invocable<F &, TDataObject &, TFiringState &> Settings(F f)
      : m_apply(std::move(f)) {}
  template <class F>
  requires std::invocable<F &, TDataObject &> &&
      (!std::same_as<std::decay_t<F>, Settings>)Settings(F f)
      : m_apply([f = std::move(f)](TDataObject &r, TFiringState &) mutable { f(r); }) {}

  explicit operator bool() const { return static_cast<bool>(m_apply); }
  void operator()(TDataObject &r, TFiringState &firing) const { m_apply(r, firing); }

private:
  Apply m_apply;
};

// A reminder of the tables and its firing.
struct Scheduled {
  std::unique_ptr<TDataObject> r;
  TFiringState firing;
  TDataObject *operator->() const { return r.get(); }
};

class ScheduleTest : public ::testing::Test {
protected:
  ScheduleTest() : m_scope(clock) {
    clock.set(at(12, 0));
    clock.setSystemStartTime(at(7, 41, 59, 999));
  }

  // A fresh idle reminder with the table defaults, then the row's own settings.
  Scheduled reminder(const Settings &setup = {}) {
    Scheduled s{TDataObject::CreateEmpty(QStringLiteral("R")), {}};
    s->enable = true;
    s->state = TReminderState::Active;
    s->startBound = {TStartBoundType::AfterDefinedTime, at(0, 0)};
    s->sticker.enable = true;
    if (setup)
      setup(*s.r, s.firing);
    return s;
  }

  ManualClock clock;
  // The editor's preview copy, which keeps a reminder from firing, is the model's.
  TestModel model;

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
  return [fireTime, kind](TDataObject &, TFiringState &f) {
    f.firing = true;
    f.kind = kind;
    f.fireTime = fireTime;
  };
}
// Several setups in order.
inline Settings with(std::initializer_list<Settings> parts) {
  return [list = std::vector<Settings>(parts)](TDataObject &r, TFiringState &f) {
    for (const Settings &s : list)
      s(r, f);
  };
}
