// Every occurrence fires once: the scheduler over a manual clock at the day's edges, across
// clock steps and daylight-saving changes, and after late ticks.
#include "RuntimeFixture.h"

#include <algorithm>
#include <map>

namespace runtimetest {
namespace {

TDateTime utc(int month, int day, int hour, int minute, int second = 0, int msec = 0) {
  return EncodeDateTime(2026, month, day, hour, minute, second, msec);
}

// Berlin's wall clock in 2026: summer time from 29 March to 25 October, 01:00 UTC.
TDateTime berlin(TDateTime t) {
  return t + OneHour * (t >= utc(3, 29, 1, 0) && t < utc(10, 25, 1, 0) ? 2 : 1);
}

struct Firing {
  int32_t number;
  TFireKind kind;
  TDateTime due;
};

class EveryOccurrence : public RuntimeTest {
protected:
  TDataObject &add(TRepeatType type, TDateTime dt, int every = 1) {
    TDataObject &r = list.add(once(dt));
    r.Id = QStringLiteral("R%1").arg(r.Number); // unique, for the lookups by id
    r.repeat.type = type;
    r.repeat.value1 = {every, static_cast<TMeasure>(std::max(0, static_cast<int>(type) - 1))};
    return r;
  }
  // Ticks every real second from `from` until before `to` (UTC) on Berlin's wall clock, with a
  // user who closes each main-event firing five seconds after it began (warnings are left to
  // end on their own), and records every firing.
  std::vector<Firing> run(TDateTime from, TDateTime to) {
    std::vector<Firing> firings;
    std::map<int32_t, TDateTime> opened;
    for (TDateTime t = from; t < to; t += OneSecond) {
      clock.set(berlin(t));
      clock.setTickCount(static_cast<uint32_t>(t.ms));
      for (const auto &[number, since] : opened)
        if (t - since >= OneSecond * 5 &&
            firing(*list.FindByNumber(number)).kind == TFireKind::Main)
          runtime->ActionCloseByUserExecute(number);
      ticker.Tick();
      for (const int32_t number : list.Numbers()) {
        const TDataObject *r = list.FindByNumber(number);
        if (firing(*r).firing && !opened.contains(r->Number)) {
          opened[r->Number] = t;
          firings.push_back({r->Number, firing(*r).kind, firing(*r).fireTime});
        } else if (!firing(*r).firing) {
          opened.erase(r->Number);
        }
      }
    }
    return firings;
  }
  static int count(const std::vector<Firing> &firings, int32_t number, TFireKind kind) {
    return static_cast<int>(std::count_if(firings.begin(), firings.end(), [&](const Firing &f) {
      return f.number == number && f.kind == kind;
    }));
  }
};

TEST_F(EveryOccurrence, TheDaysLastRunFiresBeforeTheWarningForMidnight) {
  // Every 7 minutes from 00:00 with a 5-minute warning: the rhythm restarts at midnight, so the
  // warning for 00:00 falls due at 23:55, in the tick of the day's last run.
  TDataObject &r = list.add(once(TDateTime()));
  r.repeat.type = TRepeatType::Minutely;
  r.repeat.value1 = {7, TMeasure::Minute};
  r.startBound = {TStartBoundType::AfterDefinedTime, at(0, 0)};
  r.remindBefore = {true, {5, TMeasure::Minute}};
  clock.set(at(23, 55, 0, 100));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::Main);
  EXPECT_EQ(firing(r).fireTime, at(23, 55));

  runtime->ActionCloseByUserExecute(r.Number);
  tickAfter(1000);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindBefore);
  EXPECT_EQ(firing(r).fireTime, at(23, 55));
}

} // namespace
} // namespace runtimetest

namespace runtimetest {
namespace {

TEST_F(EveryOccurrence, ARunInTheHourThatSpringSkipsFiresOnceAfterIt) {
  const TDataObject &daily = add(TRepeatType::Daily, EncodeTime(2, 30, 0, 0));
  const TDataObject &one = add(TRepeatType::Once, utc(3, 29, 2, 30));
  TDataObject &warned = add(TRepeatType::Daily, EncodeTime(3, 0, 0, 0));
  warned.remindBefore = {true, {10, TMeasure::Minute}};
  const auto firings = run(utc(3, 29, 0, 59, 50, 100), utc(3, 29, 1, 0, 10, 100));
  ASSERT_EQ(firings.size(), 3u); // the warning for 03:00 falls in the gap, its run does not
  EXPECT_EQ(firings[0].due, utc(3, 29, 2, 30));
  EXPECT_EQ(firings[1].due, utc(3, 29, 2, 30));
  EXPECT_EQ(count(firings, daily.Number, TFireKind::Main), 1);
  EXPECT_EQ(count(firings, one.Number, TFireKind::Main), 1);
  EXPECT_EQ(count(firings, warned.Number, TFireKind::Main), 1);
}

TEST_F(EveryOccurrence, EachRunAndWarningFiresOnceInTheHourThatAutumnRepeats) {
  TDataObject &at0230 = add(TRepeatType::Daily, EncodeTime(2, 30, 0, 0));
  at0230.remindBefore = {true, {10, TMeasure::Minute}};
  TDataObject &at0300 = add(TRepeatType::Daily, EncodeTime(3, 0, 0, 0));
  at0300.remindBefore = {true, {10, TMeasure::Minute}};
  const TDataObject &quarter = add(TRepeatType::Minutely, TDateTime(), 15);
  const auto firings = run(utc(10, 24, 23, 55, 0, 100), utc(10, 25, 2, 5, 0, 100));
  for (const TDataObject *r : {&at0230, &at0300}) {
    EXPECT_EQ(count(firings, r->Number, TFireKind::RemindBefore), 1);
    EXPECT_EQ(count(firings, r->Number, TFireKind::Main), 1);
  }
  // Every real quarter hour: 02:00 to 02:45 in both passes, then 03:00.
  EXPECT_EQ(count(firings, quarter.Number, TFireKind::Main), 4 + 4 + 1);
}

TEST_F(EveryOccurrence, AWeekOfTypicalRemindersAcrossBothDaylightSavingDays) {
  const auto daily = [&](int h, int mi) {
    return &add(TRepeatType::Daily, EncodeTime(h, mi, 0, 0));
  };
  const auto warn = [](TDataObject *r, int minutes) {
    r->remindBefore = {true, {minutes, TMeasure::Minute}};
    return r;
  };
  const std::vector<TDataObject *> all = {&add(TRepeatType::Once, utc(3, 29, 2, 30)),
                                          &add(TRepeatType::Once, utc(10, 25, 2, 30)),
                                          warn(daily(2, 30), 10),
                                          daily(9, 0),
                                          &add(TRepeatType::Minutely, {}, 15),
                                          &add(TRepeatType::Hourly, {}),
                                          warn(daily(3, 0), 10),
                                          &add(TRepeatType::Weekly, EncodeTime(2, 15, 0, 0)),
                                          &add(TRepeatType::Monthly, EncodeTime(2, 45, 0, 0)),
                                          &add(TRepeatType::Hourly, {}, 2),
                                          warn(&add(TRepeatType::Minutely, {}, 7), 5),
                                          daily(12, 0)};
  all[5]->repeat.value2 = {30, TMeasure::Minute};
  all[7]->repeat.days = QStringLiteral("(3)(7)");
  all[8]->repeat.days = QStringLiteral("(25)(27)(29)");
  all[9]->duration = {true, {0, TMeasure::Hour}, {10, TMeasure::Minute}};
  all[11]->sticker.enable = all[11]->tray = false; // a sound alone: nothing to close

  // Each run the next-run computation lists once; of those in the hour spring skips only the
  // latest, and none when a run is due at 03:00 itself; a minute rhythm in both passes of the
  // hour autumn repeats.
  const auto inHour = [](TDateTime t, int month, int day) {
    return t >= utc(month, day, 2, 0) && t < utc(month, day, 3, 0);
  };
  std::vector<Firing> fired;
  std::map<int32_t, std::vector<TDateTime>> expected;
  for (const auto &[from, to] : {std::pair{utc(3, 26, 11, 59, 59, 100), utc(3, 30, 0, 0)},
                                 std::pair{utc(10, 22, 11, 59, 59, 100), utc(10, 26, 0, 0)}}) {
    runtime->CloseAllReminders(); // the months between are not made up for
    for (TDataObject *r : all) {
      std::vector<TDateTime> runs;
      for (TDateTime t = berlin(from); runs.size() < 2000; t = runs.back() + OneMillisecond) {
        clock.set(t);
        const TDateTime next = r->GetNextRunTime(t);
        if (next == TDateTime() || next >= berlin(to))
          break;
        runs.push_back(next);
      }
      std::erase_if(runs, [&](TDateTime t) {
        return inHour(t, 3, 29) && std::any_of(runs.begin(), runs.end(), [&](TDateTime u) {
                 return u > t && u <= utc(3, 29, 3, 0);
               });
      });
      for (TDateTime t : std::vector<TDateTime>(runs))
        if (r->repeat.type == TRepeatType::Minutely && inHour(t, 10, 25))
          runs.push_back(t);
      expected[r->Number].insert(expected[r->Number].end(), runs.begin(), runs.end());
    }
    const auto part = run(from, to);
    fired.insert(fired.end(), part.begin(), part.end());
  }
  for (TDataObject *r : all) {
    std::vector<TDateTime> got, warned;
    for (const Firing &f : fired)
      if (f.number == r->Number)
        (f.kind == TFireKind::Main ? got : warned).push_back(f.due);
    std::sort(got.begin(), got.end());
    std::sort(expected[r->Number].begin(), expected[r->Number].end());
    EXPECT_EQ(got, expected[r->Number]) << r->Number;
    if (r->repeat.type != TRepeatType::Minutely) {
      std::sort(warned.begin(), warned.end());
      EXPECT_EQ(std::adjacent_find(warned.begin(), warned.end()), warned.end()) << r->Number;
    }
  }
}

TEST_F(EveryOccurrence, ALateTickFiresTheRunItMissedOnceWithItsUsualLogLine) {
  TDataObject &r = list.add(once(at(10, 0)));
  tickAt(at(9, 59, 59, 600));
  tickAt(at(10, 0, 5, 600)); // the thread was busy, or the machine slept
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).fireTime, at(10, 0));
  ASSERT_EQ(logLines().size(), 1);
  EXPECT_EQ(fields(logLines()[0])[0], QStringLiteral("05.03.24    10:00:00"));

  // A five-minute rhythm: the latest run missed in an hour, then in a night asleep.
  TDataObject &rhythm = list.add(once(TDateTime()));
  rhythm.repeat.type = TRepeatType::Minutely;
  rhythm.repeat.value1 = {5, TMeasure::Minute};
  tickAt(at(11, 1, 0, 600));
  EXPECT_EQ(firing(rhythm).fireTime, at(11, 0));
  runtime->ActionCloseByUserExecute(rhythm.Number);
  clock.set(at(18, 3, 0, 600)); // the monotonic clock stands still in a sleep
  ticker.Tick();
  EXPECT_EQ(firing(rhythm).fireTime, at(18, 0));
  EXPECT_EQ(logLines().size(), 3);

  // A remind-again window of one second that fell between two ticks.
  TDataObject &again = list.add(once(at(8, 0)));
  again.remindAfter = {true, {}, at(18, 3, 0, 600), at(18, 3, 1, 600)};
  tickAfter(1000);
  EXPECT_EQ(firing(again).kind, TFireKind::RemindAfter);
  EXPECT_TRUE(firing(again).firing);
}

TEST_F(EveryOccurrence, APauseIsNotMadeUpFor) {
  TDataObject &r = list.add(once(at(10, 0)));
  tickAt(at(9, 59, 0, 600));
  runtime->CloseAllReminders();
  tickAt(at(10, 5, 0, 600));
  EXPECT_FALSE(firing(r).firing);
}

TEST_F(EveryOccurrence, AFiringsDurationHoldsWhenTheClockGoesBackAnHour) {
  TDataObject &r = list.add(once(at(10, 0)));
  r.duration = {true, {0, TMeasure::Hour}, {1, TMeasure::Minute}};
  tickAt(at(10, 0, 0, 600));
  ASSERT_TRUE(firing(r).firing);
  tickAfter(10'000);
  clock.advanceMs(-3'600'000);
  int seconds = 10;
  while (firing(r).firing && seconds < 4000) {
    tickAfter(1000);
    ++seconds;
  }
  EXPECT_EQ(seconds, 60);
}

TEST_F(EveryOccurrence, AFiringWithNothingToCloseEndsWithItsSecond) {
  // Every minute, a program and nothing else.
  TDataObject &r = list.add(once(TDateTime()));
  r.repeat.type = TRepeatType::Minutely;
  r.repeat.value1 = {1, TMeasure::Minute};
  r.sticker.enable = r.tray = r.sound.enable = false;
  r.shellExec = {true, QStringLiteral("/bin/true"), {}, {}, TShowFlag::Normal};
  tickAt(at(9, 0, 0, 100));
  for (int i = 0; i < 299; ++i)
    tickAfter(1000);
  EXPECT_EQ(launcher.started.size(), 5);
}

TEST_F(EveryOccurrence, ATickReadsTheClockOnce) {
  for (int i = 0; i < 20; ++i) {
    TDataObject &r = list.add(once(at(10, i)));
    r.repeat.type = i % 2 ? TRepeatType::Minutely : TRepeatType::Once;
    r.repeat.value1 = {5, TMeasure::Minute};
    r.remindBefore = {true, {1, i % 3 ? TMeasure::Hour : TMeasure::Month}};
  }
  clock.setAdvancePerRead(1);
  const TDateTime before = clock.now();
  ticker.Tick();
  EXPECT_EQ(clock.now() - before, TDateTime(2)); // the tick's read and this one
}

} // namespace
} // namespace runtimetest
