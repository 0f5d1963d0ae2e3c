// Lengths, bounds, run windows and day lists.
#include "tests/model/ScheduleFixture.h"

#include <limits>
#include <random>

class ScheduleUnits : public ScheduleTest {};

TEST_F(ScheduleUnits, MonthsAndYearsTakeTheLengthOfToday) {
  clock.set(on(2024, 2, 10, 9, 0));
  EXPECT_EQ(MeasureToDays({1, TMeasure::Month}), OneDay * 29);
  EXPECT_EQ(MeasureToDays({1, TMeasure::Year}), OneDay * 366);
  clock.set(on(2025, 2, 10, 9, 0));
  EXPECT_EQ(MeasureToDays({1, TMeasure::Month}), OneDay * 28);
  EXPECT_EQ(MeasureToDays({2, TMeasure::Month}), OneDay * 56);
  clock.set(on(2025, 6, 1));
  EXPECT_EQ(MeasureToDays({1, TMeasure::Year}), OneDay * 365);
}

TEST_F(ScheduleUnits, UnitsToLengths) {
  EXPECT_EQ(MeasureToDays({2, TMeasure::Week}), OneDay * 14);
  EXPECT_EQ(MeasureToDays({-5, TMeasure::Minute}), -OneMinute * 5);
  EXPECT_EQ(MeasureToDays({3, TMeasure::Hour}), OneHour * 3);
  EXPECT_EQ(MeasureToDays({3, static_cast<TMeasure>(6)}), TDateTime());
  EXPECT_EQ(MeasureToDays({3, static_cast<TMeasure>(-1)}), TDateTime());
  // Values no editor writes saturate instead of overflowing.
  const int32_t big = std::numeric_limits<int32_t>::max();
  EXPECT_GT(MeasureToDays({big, TMeasure::Year}), OneDay * 36'500'000);
  EXPECT_LT(MeasureToDays({-big - 1, TMeasure::Year}), -OneDay * 36'500'000);
}

TEST_F(ScheduleUnits, RepeatIntervalUsesTheFirstValueAndStepsDayListRulesByDays) {
  struct Row {
    TValueRec value1;
    TDateTime interval;
  };
  const Row rows[] = {
      {{5, TMeasure::Minute}, OneMinute * 5}, {{2, TMeasure::Hour}, OneHour * 2},
      {{3, TMeasure::Day}, OneDay * 3},       {{1, TMeasure::Week}, OneDay},
      {{4, TMeasure::Month}, OneDay},         {{1, TMeasure::Year}, OneDay},
      {{0, TMeasure::Minute}, TDateTime()},   {{1, static_cast<TMeasure>(9)}, TDateTime()},
  };
  for (const Row &row : rows) {
    TMainRepeatRec repeat;
    repeat.value1 = row.value1;
    repeat.value2 = {45, TMeasure::Day};
    EXPECT_EQ(GetRepeatInterval(repeat), row.interval) << row.value1.value;
  }
}

TEST_F(ScheduleUnits, DueWindowLength) {
  EXPECT_EQ(GetDurationDays({false, {1, TMeasure::Hour}, {30, TMeasure::Minute}}), OneSecond);
  EXPECT_EQ(GetDurationDays({true, {1, TMeasure::Hour}, {30, TMeasure::Minute}}), OneMinute * 90);
  // Switched on with nothing in it: an empty window could never fire, so it counts as off.
  EXPECT_EQ(GetDurationDays({true, {0, TMeasure::Hour}, {0, TMeasure::Minute}}), OneSecond);
  EXPECT_EQ(GetDurationDays({true, {-1, TMeasure::Hour}, {30, TMeasure::Minute}}), OneSecond);
}

TEST_F(ScheduleUnits, StartBounds) {
  const TStartBoundRec daily{TStartBoundType::AfterDefinedTime, on(2020, 1, 1, 8, 15, 30)};
  EXPECT_EQ(GetStartBoundTime(daily, at(2, 0)), at(8, 15, 30));
  const TStartBoundRec fixed{TStartBoundType::AfterDefinedDateTime, on(2021, 7, 1, 9, 0)};
  EXPECT_EQ(GetStartBoundTime(fixed, at(2, 0)), on(2021, 7, 1, 9, 0));
  const TStartBoundRec boot{TStartBoundType::AfterWindowsStart, on(2020, 1, 1)};
  EXPECT_EQ(GetStartBoundTime(boot, at(2, 0)), at(7, 41));
  EXPECT_EQ(GetStartBoundTime({static_cast<TStartBoundType>(7), at(9, 0)}, at(2, 0)), TDateTime());
}

TEST_F(ScheduleUnits, StopBounds) {
  const TStartBoundRec s9{TStartBoundType::AfterDefinedDateTime, at(9, 0)};
  auto stop = [](TStartBoundRec start, TStopBoundType type, TDateTime m, TValueRec value = {},
                 TDateTime dt = {}) {
    return GetStopBoundTime(start, {true, type, dt, value}, m);
  };
  auto startAt = [](TDateTime s) {
    return TStartBoundRec{TStartBoundType::AfterDefinedDateTime, s};
  };
  // Off: 800 days after the later of the start and the moment, so a fixed start date does
  // not end the schedule 800 days on.
  EXPECT_EQ(GetStopBoundTime(s9, {}, at(8, 0)), on(2026, 5, 14, 9, 0));
  EXPECT_EQ(GetStopBoundTime(s9, {}, on(2027, 1, 1, 10, 0)), on(2029, 3, 11, 10, 0));

  EXPECT_EQ(stop(s9, TStopBoundType::UntilDefinedTime, at(12, 0), {}, on(2000, 1, 1, 17, 0)),
            at(17, 0));
  EXPECT_EQ(stop(s9, TStopBoundType::UntilDefinedDateTime, at(12, 0), {}, on(2030, 1, 1)),
            on(2030, 1, 1));
  EXPECT_EQ(stop(s9, TStopBoundType::WithinHourlyLimits, at(12, 0), {3, TMeasure::Hour}),
            at(12, 0));
  EXPECT_EQ(stop(s9, TStopBoundType::WithinDailyLimits, at(12, 0), {2, TMeasure::Day}),
            on(2024, 3, 7, 9, 0));
  EXPECT_EQ(stop(startAt(at(23, 30)), TStopBoundType::UntilHourEnd, at(1, 0)), on(2024, 3, 6));
  EXPECT_EQ(stop(startAt(at(10, 59, 59)), TStopBoundType::UntilHourEnd, at(1, 0)), at(11, 0));
  EXPECT_EQ(stop(s9, TStopBoundType::UntilMidnight, at(1, 0)), on(2024, 3, 6));
  EXPECT_EQ(stop(startAt(on(2024, 3, 10, 15, 0)), TStopBoundType::UntilWeekEnd, at(1, 0)),
            on(2024, 3, 11));
  EXPECT_EQ(stop(startAt(on(2024, 3, 11)), TStopBoundType::UntilWeekEnd, at(1, 0)),
            on(2024, 3, 18));
  EXPECT_EQ(stop(startAt(on(2024, 2, 10)), TStopBoundType::UntilMonthEnd, at(1, 0)),
            on(2024, 3, 1));
  EXPECT_EQ(stop(startAt(on(2024, 12, 31, 23, 59)), TStopBoundType::UntilMonthEnd, at(1, 0)),
            on(2025, 1, 1));
  for (TDateTime s : {on(2024, 6, 1), on(2024, 12, 31), on(2024, 1, 1)})
    EXPECT_EQ(stop(startAt(s), TStopBoundType::UntilYearEnd, at(1, 0)), on(2025, 1, 1));
  EXPECT_EQ(stop(s9, static_cast<TStopBoundType>(9), at(1, 0)), TDateTime());
}

TEST_F(ScheduleUnits, TruncateToMinute) {
  EXPECT_EQ(TruncateToMinute(at(10, 17, 42, 123)), at(10, 17));
  EXPECT_EQ(TruncateToMinute(on(1899, 12, 29, 23, 59, 59, 999)), on(1899, 12, 29, 23, 59));
}

TEST_F(ScheduleUnits, RunWindows) {
  struct Row {
    const char *id;
    Settings setup;
    TDateTime m;
    TRunWindow expected;
  };
  const Row rows[] = {
      {"RW1", minutely(5), at(10, 7, 30), {at(10, 5), at(10, 10)}},
      {"RW2", hourly(1, 0), at(10, 7, 30), {at(10, 0), at(12, 0)}},
      // Exactly one interval after the start, the boundary is m itself.
      {"RW3",
       with({minutely(5), startAt(TStartBoundType::AfterDefinedTime, at(10, 0))}),
       at(10, 5),
       {at(10, 5), at(10, 10)}},
      {"RW4",
       with({minutely(5), stopAt(TStopBoundType::UntilDefinedTime, at(10, 8))}),
       at(10, 7, 30),
       {at(10, 5), at(10, 8)}},
      {"RW5",
       with({minutely(5), startAt(TStartBoundType::AfterDefinedTime, at(12, 0))}),
       at(10, 0),
       {at(12, 0), at(12, 5)}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.id);
    const TRunWindow w = reminder(row.setup)->GetRunWindow(row.m);
    EXPECT_EQ(w.start, row.expected.start);
    EXPECT_EQ(w.stop, row.expected.stop);
  }
}

TEST(DayLists, ADayIsContainedOnlyAsAWholeNumberInParentheses) {
  EXPECT_TRUE(DayListContains(QStringLiteral("(1)(11)"), 1));
  EXPECT_TRUE(DayListContains(QStringLiteral("(1)(11)"), 11));
  EXPECT_FALSE(DayListContains(QStringLiteral("(11)"), 1));
  EXPECT_FALSE(DayListContains(QString(), 1));
  EXPECT_TRUE(DayListContains(QStringLiteral("(7)(1)"), 7));
  EXPECT_FALSE(DayListContains(QStringLiteral("(03)"), 3));
  EXPECT_TRUE(DayListContains(QStringLiteral("x((3))y"), 3));
  EXPECT_FALSE(DayListContains(QStringLiteral("(3"), 3));
}

TEST(DayLists, TheOnePassReaderAgreesWithTheContainsTest) {
  // Hand-edited lists: random texts over the characters that matter.
  const QString alphabet = QStringLiteral("()0123456789 ,x");
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    QString list;
    const int length = static_cast<int>(random() % 24);
    for (int k = 0; k < length; ++k)
      list += alphabet[static_cast<qsizetype>(random() % alphabet.size())];
    if (i % 3 == 0)
      list += QStringLiteral("(%1)").arg(random() % 400);
    const TDaySet days = ParseDayList(list);
    for (int day = 0; day < static_cast<int>(days.size()); ++day)
      ASSERT_EQ(days.test(static_cast<std::size_t>(day)), DayListContains(list, day))
          << list.toStdString() << " day " << day;
  }
}
