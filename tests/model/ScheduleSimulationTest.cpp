// The due tests driven tick by tick, held against the next-run computation: over simulated days
// of one tick per second, a reminder must fire exactly at the runs the next-run computation
// lists, each once, on the first tick of its run.
#include "tests/model/ReminderSim.h"
#include "tests/model/ScheduleFixture.h"

#include <limits>
#include <random>
#include <string>

namespace {

std::vector<std::string> texts(const std::vector<TDateTime> &moments) {
  std::vector<std::string> out;
  for (TDateTime t : moments)
    out.push_back(DateTimeToIso(t).toStdString());
  return out;
}

struct SimCase {
  const char *name;
  Settings settings;
  int days;
  int expectedRuns; // -1: only compare with the listed runs
};

class ScheduleSimulation : public ScheduleTest {
protected:
  // Runs the case from Monday 2024-03-04 00:00 at each phase; gives the main firings of the
  // last phase for further checks.
  std::vector<SimFiring> simulate(const SimCase &c, std::initializer_list<int> phases,
                                  TDateTime userCloseAfter = OneSecond * 5) {
    std::vector<SimFiring> last;
    for (int phase : phases) {
      SCOPED_TRACE(testing::Message() << c.name << ", phase " << phase << " ms");
      const TDateTime from = on(2024, 3, 4);
      const TDateTime to = from + OneDay * c.days;
      auto r = reminder(c.settings);
      const std::vector<TDateTime> listed = listedRuns(*r.r, clock, from, to - OneSecond);
      ReminderSim sim(*r.r, clock);
      sim.userCloseAfter = userCloseAfter;
      sim.run(from + TDateTime(phase), to);

      EXPECT_EQ(texts(sim.dues(TFireKind::Main)), texts(listed));
      if (c.expectedRuns >= 0) {
        EXPECT_EQ(static_cast<int>(listed.size()), c.expectedRuns);
      }
      for (const SimFiring &f : sim.firings) {
        // Started by the first tick of its run.
        if (f.kind == TFireKind::Main) {
          EXPECT_GE(f.at, f.due);
          EXPECT_LT(f.at, f.due + OneSecond);
        }
      }
      EXPECT_EQ(sim.closedOnNextTick, 0);
      last = sim.firings;
    }
    return last;
  }
};

} // namespace

TEST_F(ScheduleSimulation, OnceFiresExactlyOnce) {
  simulate({"once", once(on(2024, 3, 6, 14, 15)), 8, 1}, {0, 1, 500, 999});
}

TEST_F(ScheduleSimulation, MinutelyEveryFiveMinutes) {
  simulate({"minutely", minutely(5), 8, 288 * 8}, {0, 1, 500, 999});
}

TEST_F(ScheduleSimulation, HourlyAtHalfPast) {
  simulate({"hourly", hourly(1, 30), 8, 24 * 8}, {0, 1, 500, 999});
}

TEST_F(ScheduleSimulation, HourlyClosedByItsDuration) {
  // Nobody closes it: each firing ends with its ten minutes, never on the tick after it began.
  const auto firings = simulate({"hourly, 10 min", with({hourly(1, 30), durationOf(0, 10)}), 2, 48},
                                {0, 999}, TDateTime());
  EXPECT_EQ(firings.size(), 48u);
}

TEST_F(ScheduleSimulation, DailyWeeklyMonthlyAnnually) {
  for (const SimCase &c : {
           SimCase{"daily", daily(1, 9, 0), 8, 8},
           SimCase{"weekly", byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), 7, 2},
           SimCase{"monthly", byDays(TRepeatType::Monthly, "(5)(10)(31)", 8, 0), 8, 2},
           SimCase{"annually", byDays(TRepeatType::Annually, "(65)(67)", 18, 30), 8, 2},
       })
    simulate(c, {0, 1, 500, 999});
}

TEST_F(ScheduleSimulation, RulesWhoseRhythmTheNextRunMustFollow) {
  for (const SimCase &c : {
           SimCase{"daily every 2 days", daily(2, 9, 0), 6, 3},
           SimCase{"every 7 minutes, restarting at midnight", minutely(7), 2, 206 * 2},
           SimCase{"hourly every 5 hours", hourly(5, 30), 3, 15},
           SimCase{"hourly in minutes (store default)",
                   with({hourly(1, 0),
                         [](TDataObject &r) {
                           r.repeat.value1 = {1, TMeasure::Minute};
                         }}),
                   2, 48},
           SimCase{"every 5 minutes from 08:00",
                   with({minutely(5), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}), 2,
                   192 * 2},
           SimCase{"hourly at :30, starting 08:45",
                   with({hourly(1, 30), startAt(TStartBoundType::AfterDefinedTime, at(8, 45))}), 2,
                   15 * 2},
           SimCase{"every 13 minutes from a fixed start",
                   with({minutely(13),
                         startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 1, 6, 0))}),
                   2, -1},
           SimCase{"hourly after the system start",
                   with({hourly(1, 15),
                         [](TDataObject
                                &r) { r.startBound.type = TStartBoundType::AfterWindowsStart; }}),
                   2, -1},
           SimCase{"within two days of a fixed start",
                   with({minutely(10),
                         startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 4, 6, 0)),
                         stopAt(TStopBoundType::WithinDailyLimits, {}, {2, TMeasure::Day})}),
                   3, 6 * 48},
           SimCase{"every 3 days, daily until its start's time of day",
                   with({daily(3, 20, 21),
                         startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 1, 23, 59)),
                         stopAt(TStopBoundType::UntilDefinedTime, at(23, 59))}),
                   7, 3},
           SimCase{"a run before its start bound never comes",
                   with({daily(1, 9, 0), durationOf(1, 0),
                         startAt(TStartBoundType::AfterDefinedTime, at(9, 30))}),
                   3, 0},
       })
    simulate(c, {0, 500});
}

TEST_F(ScheduleSimulation, EachWarningComesOnceBeforeItsEvent) {
  const SimCase c{"daily with warning", with({daily(1, 9, 0), remindBefore(10, TMeasure::Minute)}),
                  8, 8};
  const auto firings = simulate(c, {0, 1, 500, 999});
  ASSERT_EQ(firings.size(), 16u);
  for (std::size_t i = 0; i < firings.size(); i += 2) {
    EXPECT_EQ(firings[i].kind, TFireKind::RemindBefore);
    EXPECT_EQ(firings[i].due, firings[i + 1].due - OneMinute * 10);
    EXPECT_EQ(firings[i + 1].kind, TFireKind::Main);
  }
}

TEST_F(ScheduleSimulation, TheDaysLastRunIsNotLostToTheWarningForMidnight) {
  simulate({"every 7 minutes, warned 5 ahead",
            with({minutely(7), remindBefore(5, TMeasure::Minute)}), 2, 206 * 2},
           {0, 500});
}

TEST_F(ScheduleSimulation, AWarningNobodyClosesLeavesTheEventItsTick) {
  // The warning is closed by the tick a second before the event at the latest; at phase 0 the
  // event's own tick lies exactly on the event.
  const SimCase c{"unattended warning",
                  with({daily(1, 9, 0), durationOf(0, 30), remindBefore(10, TMeasure::Minute)}), 3,
                  3};
  const auto firings = simulate(c, {0, 1, 500, 999}, TDateTime());
  EXPECT_EQ(firings.size(), 6u);
}

TEST(ScheduleTotality, NoRecordOrMomentBreaksTheTests) {
  // Values no editor writes, as a hand-edited file may hold them: the tests must give an answer
  // that makes sense, quickly, for all of them.
  std::mt19937_64 random(11);
  auto pick = [&](auto... values) {
    const int64_t pool[] = {static_cast<int64_t>(values)...};
    return pool[random() % sizeof...(values)];
  };
  auto anyInt = [&]() -> int32_t {
    return static_cast<int32_t>(
        pick(0, 1, -1, 2, 7, 59, 60, 75, 367, 100000, std::numeric_limits<int32_t>::max(),
             std::numeric_limits<int32_t>::min(), static_cast<int32_t>(random())));
  };
  auto anyCode = [&]() { return static_cast<int>(pick(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, 300)); };
  const TDateTime base = on(2024, 3, 5, 10, 0);
  auto anyMoment = [&]() {
    return TDateTime(pick(0, 1, -1, base.ms, base.ms + int64_t(random() % 10'000'000'000),
                          base.ms - int64_t(random() % 10'000'000'000),
                          std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(),
                          static_cast<int64_t>(random())));
  };
  auto anyValue = [&]() { return TValueRec{anyInt(), static_cast<TMeasure>(anyCode())}; };

  ManualClock clock(base);
  ScopedClock scope(clock);
  for (int i = 0; i < 3000; ++i) {
    clock.set(pick(0, 1, 2) == 0 ? anyMoment() : base);
    clock.setSystemStartTime(anyMoment());
    TDataObject r(QStringLiteral("F"));
    r.enable = pick(0, 1, 1) != 0;
    r.state = static_cast<TReminderState>(pick(0, 0, 1, 7));
    r.repeat = {static_cast<TRepeatType>(anyCode()), anyValue(), anyValue(), anyMoment(),
                QString::fromLatin1(pick(0, 1, 2) == 0 ? "(1)(3)(61)(31)" : "((9)x(0)(400)")};
    r.startBound = {static_cast<TStartBoundType>(anyCode()), anyMoment()};
    r.stopBound = {pick(0, 1) != 0, static_cast<TStopBoundType>(anyCode()), anyMoment(),
                   anyValue()};
    r.duration = {pick(0, 1) != 0, anyValue(), anyValue()};
    r.remindBefore = {true, anyValue()};
    r.remindAfter = {pick(0, 1) != 0, anyValue(), anyMoment(), anyMoment()};
    TFiringState f;
    f.fireTime = anyMoment();
    r.lastCloseByUserDt = anyMoment();
    r.lastCloseByUserRemindBeforeDt = anyMoment();
    f.firing = pick(0, 1) != 0;
    f.firedInDemo = pick(0, 1) != 0;
    const TDateTime m = anyMoment();
    const bool demo = pick(0, 0, 0, 1) != 0;

    for (const TCheckResult &c : {r.CheckRun(f, m, demo), r.CheckRemindBefore(f, m, demo)}) {
      ASSERT_FALSE(c.fire && c.close) << i;
      ASSERT_FALSE(f.firing && c.fire) << i;
      ASSERT_FALSE(!f.firing && c.close) << i;
      ASSERT_TRUE(c.fire || c.due == TDateTime()) << i;
    }
    const TDateTime next = r.GetNextRunTime(m);
    ASSERT_TRUE(next == TDateTime() ||
                next.ms >= std::clamp(m.ms, -(int64_t(1) << 53), int64_t(1) << 53))
        << i;
    (void)r.GetRunWindow(m);
    (void)r.GetRunAt(m);
  }
}
