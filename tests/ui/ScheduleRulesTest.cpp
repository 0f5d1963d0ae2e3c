#include "ui/ScheduleRules.h"

#include "model/DataObject.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

FormatSettings pinnedFormats() {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  return fs;
}

TDaySet days(std::initializer_list<int> list) {
  TDaySet set;
  for (const int d : list)
    set.set(std::size_t(d));
  return set;
}

} // namespace

TEST(ScheduleRules, ValueLimitsAndVisibleControlsByType) {
  struct Row {
    TRepeatType type;
    int maximum;
    bool every, value2, time2, week, month, year, once;
  };
  const Row rows[] = {
      {TRepeatType::Once, 1, false, false, false, false, false, false, true},
      {TRepeatType::Minutely, 1440, true, false, false, false, false, false, false},
      {TRepeatType::Hourly, 168, true, true, false, false, false, false, false},
      {TRepeatType::Daily, 372, true, false, true, false, false, false, false},
      {TRepeatType::Weekly, 1, false, false, true, true, false, false, false},
      {TRepeatType::Monthly, 1, false, false, true, false, true, false, false},
      {TRepeatType::Annually, 1, false, false, true, false, false, true, false},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(int(r.type));
    const TScheduleLayout l = ScheduleLayout(int(r.type));
    EXPECT_EQ(l.value1Maximum, r.maximum);
    EXPECT_EQ(ClampValue1(int(r.type), 5000), r.maximum);
    EXPECT_EQ(ClampValue1(int(r.type), 0), 1);
    EXPECT_EQ(l.every, r.every);
    EXPECT_EQ(l.value2, r.value2);
    EXPECT_EQ(l.time2, r.time2);
    EXPECT_EQ(l.afterTime, r.value2 || r.time2);
    EXPECT_EQ(l.weekDays, r.week);
    EXPECT_EQ(l.monthDays, r.month);
    EXPECT_EQ(l.yearDays, r.year);
    EXPECT_EQ(l.onceDateTime, r.once);
    EXPECT_TRUE(l.anyPicker() || r.type == TRepeatType::Minutely || r.type == TRepeatType::Hourly);
  }
  EXPECT_FALSE(ScheduleLayout(9).anyPicker());
  EXPECT_EQ(ClampValue1(int(TRepeatType::Daily), 12.9), 12);
}

TEST(ScheduleRules, BoundsDialogShowsWhatEachKindUses) {
  EXPECT_TRUE(BoundsLayout(0, 5).startTime);
  EXPECT_FALSE(BoundsLayout(0, 5).startDate);
  EXPECT_TRUE(BoundsLayout(1, 5).startDate);
  EXPECT_FALSE(BoundsLayout(2, 5).startTime);
  const TBoundsLayout untilTime = BoundsLayout(0, 0);
  EXPECT_TRUE(untilTime.stopTime && !untilTime.stopDate && !untilTime.stopValue);
  EXPECT_TRUE(BoundsLayout(0, 1).stopDate);
  for (const int kind : {2, 3})
    EXPECT_TRUE(BoundsLayout(0, kind).stopValue && !BoundsLayout(0, kind).stopTime);
  for (int kind = 4; kind <= 8; ++kind) {
    const TBoundsLayout l = BoundsLayout(0, kind);
    EXPECT_FALSE(l.stopTime || l.stopDate || l.stopValue) << kind;
  }
  EXPECT_EQ(StopValueMeasure(2), TMeasure::Hour);
  EXPECT_EQ(StopValueMeasure(3), TMeasure::Day);
}

TEST(ScheduleRules, DurationNeverOutlastsTheInterval) {
  struct Row {
    TRepeatType type;
    bool on;
    int value1, hours, minutes;
    TDurationLimits expected;
  };
  const Row rows[] = {
      // Every 30 minutes with 0 h 45 min: both boxes at the interval.
      {TRepeatType::Minutely, true, 30, 0, 45, {0, 30, 0, 30}},
      // Every hour with 1 h 20 min: 1 h 0 min.
      {TRepeatType::Hourly, true, 1, 1, 20, {1, 0, 1, 0}},
      // 90 minutes: each box bounded on its own, a total within the interval stays.
      {TRepeatType::Minutely, true, 90, 1, 10, {1, 30, 1, 10}},
      {TRepeatType::Minutely, true, 90, 0, 59, {1, 30, 0, 59}},
      {TRepeatType::Minutely, false, 30, 5, 45, {23, 59, 5, 45}},
      {TRepeatType::Daily, true, 1, 22, 50, {23, 59, 22, 50}},
  };
  for (const Row &r : rows) {
    const TDurationLimits l = LimitDuration(int(r.type), r.on, r.value1, r.hours, r.minutes);
    EXPECT_EQ(l.hoursMaximum, r.expected.hoursMaximum) << r.value1;
    EXPECT_EQ(l.minutesMaximum, r.expected.minutesMaximum) << r.value1;
    EXPECT_EQ(l.hours, r.expected.hours) << r.value1;
    EXPECT_EQ(l.minutes, r.expected.minutes) << r.value1;
  }
}

TEST(ScheduleRules, DayListsBothWaysAndMonthCells) {
  EXPECT_EQ(FormatDayList(days({7, 1})), "(1)(7)");
  EXPECT_EQ(FormatDayList(days({5, 3, 1})), "(1)(3)(5)");
  EXPECT_EQ(FormatDayList(days({})), "");
  EXPECT_EQ(FormatDayList(ParseDayList("(31)(2)(11)")), "(2)(11)(31)");
  const std::pair<int, TMonthCell> cells[] = {{1, {0, 0}},  {10, {0, 9}}, {11, {1, 0}},
                                              {20, {1, 9}}, {21, {2, 0}}, {31, {2, 10}}};
  for (const auto &[day, cell] : cells) {
    EXPECT_EQ(MonthDayCell(day).grid, cell.grid) << day;
    EXPECT_EQ(MonthDayCell(day).column, cell.column) << day;
  }
}

TEST(ScheduleRules, RepeatStoredByTypeAndAnnualDaysOnlyFromTheYearDialog) {
  TRepeatControls c;
  c.value1 = 1;
  c.value2 = 30;
  c.onceDate = EncodeDate(2026, 12, 24);
  c.onceTime = EncodeTime(18, 0, 5, 250);
  c.time2 = EncodeTime(9, 0, 0, 0);
  c.weekDays = days({1, 7});
  c.monthDays = days({15});
  c.loadedType = int(TRepeatType::Weekly);

  TMainRepeatRec r;
  r.days = "(1)(7)";
  c.type = int(TRepeatType::Once);
  StoreRepeat(c, r);
  EXPECT_EQ(r.dt, EncodeDateTime(2026, 12, 24, 18, 0, 5, 250));
  c.type = int(TRepeatType::Hourly);
  StoreRepeat(c, r);
  EXPECT_EQ(r.value2.value, 30);
  EXPECT_EQ(r.dt, EncodeDateTime(2026, 12, 24, 18, 0, 5, 250)); // not named for Hourly
  c.type = int(TRepeatType::Weekly);
  StoreRepeat(c, r);
  EXPECT_EQ(r.days, "(1)(7)");
  EXPECT_EQ(r.value1.measure, TMeasure::Week);
  EXPECT_EQ(r.dt, EncodeTime(9, 0, 0, 0));

  // Switched from weekly to annual without the year dialog: no week day becomes 1 or 7 January.
  c.type = int(TRepeatType::Annually);
  StoreRepeat(c, r);
  EXPECT_EQ(r.type, TRepeatType::Annually);
  EXPECT_EQ(r.days, "");
  // An annual reminder keeps its days; a confirmed year dialog gives them.
  r.days = "(60)";
  c.loadedType = int(TRepeatType::Annually);
  StoreRepeat(c, r);
  EXPECT_EQ(r.days, "(60)");
  c.yearDays = QStringLiteral("(1)(366)");
  StoreRepeat(c, r);
  EXPECT_EQ(r.days, "(1)(366)");

  c.type = -1; // no type ticked: the record stays as it is
  StoreRepeat(c, r);
  EXPECT_EQ(r.type, TRepeatType::Annually);
}

TEST(ScheduleRules, YearDayNumbersAndHintsInLeapAndCommonYears) {
  ScopedFormatSettings formats{pinnedFormats()};
  EXPECT_EQ(YearDayNumber(2025, 3, 1), 60);
  EXPECT_EQ(YearDayNumber(2025, 2, 29), 0);
  EXPECT_EQ(YearDayNumber(2025, 12, 31), 365);
  EXPECT_EQ(YearDayNumber(2024, 2, 29), 60);
  EXPECT_EQ(YearDayNumber(2024, 3, 1), 61);
  EXPECT_EQ(YearDayNumber(2024, 12, 31), 366);
  EXPECT_EQ(YearDayNumber(2024, 2, 30), 0);
  EXPECT_EQ(YearDayNumber(2024, 13, 1), 0);

  // Cell [day - 1, month - 1].
  EXPECT_EQ(YearDayHint(2025, 30, 11), "31.12.25\n31.12.26");
  EXPECT_EQ(YearDayHint(2027, 28, 1), "29.02.28"); // only next year has 29 February
  EXPECT_EQ(YearDayHint(2025, 28, 1), "");
  EXPECT_EQ(YearDayHint(2024, 28, 1), "29.02.24");
  EXPECT_EQ(YearDayHint(2024, 29, 1), ""); // 30 February
  EXPECT_EQ(YearDayHint(2024, 31, 0), "");
  EXPECT_EQ(YearDayHint(2024, 0, 12), "");
}

class NextRunTexts : public ::testing::Test {
protected:
  ScopedFormatSettings formats{pinnedFormats()};
  ManualClock clock{EncodeDateTime(2026, 12, 9, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
  TDataObject r{NewReminderId};
  void SetUp() override { r.enable = true; }
};

TEST_F(NextRunTexts, OnceListsOneDateAndTheCutLine) {
  r.repeat.type = TRepeatType::Once;
  r.repeat.dt = EncodeDateTime(2026, 12, 9, 12, 0, 0, 0);
  EXPECT_EQ(NextRunText(r, clock.now()), "09.12.26 12:00:00");
  EXPECT_EQ(NextDatesOfRunText(r, clock.now()),
            "Next dates of run:\r\n\r\n09.12.26 12:00:00\r\n...");
  r.repeat.dt = EncodeDateTime(2026, 12, 9, 9, 0, 0, 0);
  EXPECT_EQ(NextRunText(r, clock.now()), "Never occurs");
  EXPECT_EQ(NextDatesOfRunText(r, clock.now()), "Never occurs");
}

// A moment inside a run's window fires at once when the reminder is saved: the text says so,
// with the end of that window, instead of the next run after it.
TEST_F(NextRunTexts, AMomentInsideARunsWindowIsNowUntilItsEnd) {
  r.startBound = {TStartBoundType::AfterDefinedDateTime, EncodeDate(2000, 1, 1)};
  r.duration = {true, {0, TMeasure::Hour}, {10, TMeasure::Minute}};
  // A new one-time reminder keeps the moment its editor opened, three seconds ago.
  r.repeat.type = TRepeatType::Once;
  r.repeat.dt = clock.now() - 3 * OneSecond;
  EXPECT_EQ(NextRunText(r, clock.now()), "now, until 10:09:57");
  // A weekly run a minute ago, on a Wednesday.
  r.repeat = {TRepeatType::Weekly, {1, TMeasure::Week}, {}, EncodeTime(9, 59, 0, 0), "(3)"};
  EXPECT_EQ(NextRunText(r, clock.now()), "now, until 10:09:00");
  // A window that ends on another day gives that day too.
  r.repeat.dt = EncodeTime(23, 55, 0, 0);
  clock.set(EncodeDateTime(2026, 12, 9, 23, 58, 0, 0));
  EXPECT_EQ(NextRunText(r, clock.now()), "now, until 10.12.26 00:05:00");
  // The stop bound ends the window earlier.
  r.stopBound = {
      true, TStopBoundType::UntilDefinedDateTime, EncodeDateTime(2026, 12, 10, 0, 1, 0, 0), {}};
  EXPECT_EQ(NextRunText(r, clock.now()), "now, until 10.12.26 00:01:00");
  // Without a duration the run's second is long past: the next run is next week's.
  r.stopBound = {};
  r.duration.enable = false;
  EXPECT_EQ(NextRunText(r, clock.now()), "16.12.26 23:55:00");
  // A run that already fired (or was closed by the user) does not come again.
  r.duration.enable = true;
  r.LastRunDue = EncodeDateTime(2026, 12, 9, 23, 55, 0, 0);
  EXPECT_EQ(NextRunText(r, clock.now()), "16.12.26 23:55:00");
}

TEST_F(NextRunTexts, RepeatingListsTenDatesOrFewerWithoutTheCutLine) {
  r.repeat.type = TRepeatType::Weekly;
  r.repeat.value1 = {1, TMeasure::Week};
  r.repeat.dt = EncodeTime(9, 30, 0, 0);
  r.repeat.days = "(1)"; // Mondays; 9 December 2026 is a Wednesday
  r.startBound = {TStartBoundType::AfterDefinedTime, TDateTime()};
  QString expected = "Next dates of run:\r\n";
  for (int week = 0; week < 10; ++week)
    expected +=
        "\r\n" + DateTimeToStr(EncodeDateTime(2026, 12, 14, 9, 30, 0, 0) + OneDay * (7 * week));
  EXPECT_EQ(NextDatesOfRunText(r, clock.now()), expected + "\r\n...");

  // A stop at the end of the year leaves three Mondays.
  r.stopBound = {true, TStopBoundType::UntilDefinedDateTime, EncodeDate(2026, 12, 31), {}};
  EXPECT_EQ(
      NextDatesOfRunText(r, clock.now()),
      "Next dates of run:\r\n\r\n14.12.26 09:30:00\r\n21.12.26 09:30:00\r\n28.12.26 09:30:00");
}
