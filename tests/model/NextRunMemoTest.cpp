// The next run kept in a memo is the next run found afresh: for reminders of every kind, along
// walks of the clock that go on second by second, jump ahead, step back, cross midnight and the
// turn of a month, and move the minute the system started.
#include "tests/model/ScheduleFixture.h"

#include <random>

namespace {

void randomise(TDataObject &r, std::mt19937 &random) {
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  r.enable = true;
  r.repeat.type = static_cast<TRepeatType>(pick(0, 6));
  r.repeat.dt = on(2024, 3, pick(1, 3)) + OneMinute * pick(0, 1439);
  r.repeat.value1 = {pick(1, 90), static_cast<TMeasure>(pick(0, 2))};
  if (r.repeat.type >= TRepeatType::Weekly)
    r.repeat.value1.measure = static_cast<TMeasure>(pick(3, 5));
  r.repeat.value2 = {pick(0, 59), TMeasure::Minute};
  r.repeat.days = QStringLiteral("(%1)(%2)(%3)").arg(pick(1, 7)).arg(pick(1, 31)).arg(pick(1, 366));
  r.startBound = {static_cast<TStartBoundType>(pick(0, 2)), on(2024, 3, 4) + OneHour * pick(0, 30)};
  r.stopBound = {pick(0, 2) == 0,
                 static_cast<TStopBoundType>(pick(0, 8)),
                 on(2024, 3, 5) + OneHour * pick(0, 60),
                 {pick(1, 5), TMeasure::Hour}};
  r.remindAfter = {pick(0, 3) == 0,
                   {5, TMeasure::Minute},
                   on(2024, 3, 5) + OneHour * pick(0, 40),
                   on(2024, 3, 7)};
}

TEST(NextRunMemo, GivesWhatAFreshSearchGives) {
  std::mt19937 random(37);
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  ManualClock clock(on(2024, 3, 5, 8, 0));
  ScopedClock scope(clock);
  clock.setSystemStartTime(on(2024, 3, 5, 7, 41, 59, 999));
  for (int i = 0; i < 300; ++i) {
    TDataObject r(QStringLiteral("M"));
    randomise(r, random);
    TNextRunMemo memo;
    TDateTime m = on(2024, 3, 5, 22, 0) + OneMinute * pick(-600, 600);
    for (int step = 0; step < 400; ++step) {
      switch (pick(0, 9)) {
      case 0:
        m += OneMinute * pick(1, 600); // asleep, or the clock put forward
        break;
      case 1:
        m -= OneMinute * pick(1, 90); // the clock put back
        break;
      case 2:
        clock.setSystemStartTime(clock.systemStartTime() + OneMinute * pick(-60, 60));
        break;
      default:
        m += OneSecond * pick(1, 40);
      }
      clock.set(m);
      const TDateTime fresh = r.GetNextRunTime(m);
      ASSERT_EQ(r.GetNextRunTime(m, memo), fresh) << i << " at " << DateTimeToIso(m).toStdString();
      // Right at the run, and just after it: where a memo would go stale first.
      if (fresh.isSet()) {
        for (const TDateTime t : {fresh - OneMillisecond, fresh, fresh + OneMillisecond}) {
          if (t < m)
            continue;
          clock.set(t);
          ASSERT_EQ(r.GetNextRunTime(t, memo), r.GetNextRunTime(t))
              << i << " at " << DateTimeToIso(t).toStdString();
        }
      }
    }
  }
}

TEST(NextRunMemo, GoesWithAChangeOfTheScheduleOrAForgetting) {
  ManualClock clock(at(8, 0));
  ScopedClock scope(clock);
  TDataObject r(QStringLiteral("M"));
  r.enable = true;
  r.repeat = {TRepeatType::Daily, {1, TMeasure::Day}, {}, at(10, 0), {}};
  TNextRunMemo memo;
  EXPECT_EQ(r.GetNextRunTime(at(8, 0), memo), at(10, 0));
  r.repeat.dt = at(9, 0); // changed in place
  EXPECT_EQ(r.GetNextRunTime(at(8, 0, 1), memo), at(9, 0));
  const uint64_t searches = NextRunSearches();
  EXPECT_EQ(r.GetNextRunTime(at(8, 30), memo), at(9, 0));
  EXPECT_EQ(NextRunSearches(), searches);
  ForgetNextRuns();
  EXPECT_EQ(r.GetNextRunTime(at(8, 30), memo), at(9, 0));
  EXPECT_EQ(NextRunSearches(), searches + 1);
}

} // namespace
