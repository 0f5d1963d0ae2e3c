#include "platform/DateTime.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <limits>

TEST(DateTime, ZeroIsTheEpochAndNotSet) {
  EXPECT_FALSE(TDateTime().isSet());
  const DateParts d = DecodeDate(TDateTime());
  EXPECT_EQ(d.year, 1899);
  EXPECT_EQ(d.month, 12);
  EXPECT_EQ(d.day, 30);
  EXPECT_EQ(EncodeDate(1900, 1, 1).ms, 2 * MsPerDay);
}

TEST(DateTime, KnownDayNumbersMatchTheDayBasedValue) {
  // Day numbers the day-based format gives these dates.
  EXPECT_EQ(DayNumber(EncodeDate(2000, 1, 1)), 36526);
  EXPECT_EQ(DayNumber(EncodeDate(1970, 1, 1)), 25569);
  EXPECT_EQ(DayNumber(EncodeDate(2026, 12, 8)), 46364);
  EXPECT_EQ(DayNumber(EncodeDate(1, 1, 1)), -693593);
  EXPECT_EQ(DayNumber(EncodeDate(9999, 12, 31)), 2958465);
}

TEST(DateTime, LeapYearsFollowTheGregorianRules) {
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_FALSE(IsLeapYear(2100));
  EXPECT_TRUE(IsLeapYear(-4)); // proleptic, never throws
  EXPECT_EQ(DaysInAMonth(1900, 2), 28);
  EXPECT_EQ(DaysInAMonth(2000, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 4), 30);
  EXPECT_EQ(DaysInAMonth(2023, 13), 0);
  EXPECT_EQ(DaysInAYear(2000), 366);
  EXPECT_EQ(DaysInAYear(1900), 365);
}

TEST(DateTime, EncodeRejectsInvalidParts) {
  TDateTime t;
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, t));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, t));
  EXPECT_FALSE(TryEncodeDate(2023, 0, 1, t));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, t));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, t));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, t));
  EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, t));
  EXPECT_THROW((void)EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW((void)EncodeTime(-1, 0, 0, 0), EConvertError);
}

TEST(DateTime, DecodeRoundTripsEveryDayAcrossMonthEndsAndLeapDays) {
  for (int64_t day = DayNumber(EncodeDate(1899, 1, 1)); day < DayNumber(EncodeDate(2101, 1, 1));
       ++day) {
    const TDateTime t(day * MsPerDay + 12345);
    const DateParts p = DecodeDate(t);
    ASSERT_EQ(DateOf(EncodeDate(p.year, p.month, p.day)), DateOf(t)) << day;
    ASSERT_EQ(TimeOfDayMs(t), 12345);
  }
}

TEST(DateTime, DecodeTimeGivesTheFieldsWithoutCarry) {
  const TDateTime t = EncodeDateTime(2024, 2, 29, 23, 59, 59, 999);
  const TimeParts h = DecodeTime(t);
  EXPECT_EQ(h.hour, 23);
  EXPECT_EQ(h.minute, 59);
  EXPECT_EQ(h.second, 59);
  EXPECT_EQ(h.msec, 999);
  const DateParts d = DecodeDate(t + OneMillisecond);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, 1);
}

TEST(DateTime, NegativeValuesAreMomentsBefore1899) {
  const TDateTime t = EncodeDateTime(1899, 12, 29, 6, 0, 0, 0);
  EXPECT_LT(t.ms, 0);
  const DateParts d = DecodeDate(t);
  EXPECT_EQ(d.day, 29);
  EXPECT_EQ(DecodeTime(t).hour, 6);
  // The day-based value subtracts the fraction below day zero.
  EXPECT_DOUBLE_EQ(ToDays(t), -1.25);
  EXPECT_EQ(FromDays(-1.25), t);
  EXPECT_EQ(FromDays(-0.25), EncodeDateTime(1899, 12, 30, 6, 0, 0, 0));
}

TEST(DateTime, DayBasedValueRoundsToTheMillisecond) {
  const TDateTime t = EncodeDateTime(2026, 12, 8, 19, 30, 15, 123);
  EXPECT_EQ(FromDays(ToDays(t)), t);
  EXPECT_EQ(FromDays(36526.5), EncodeDateTime(2000, 1, 1, 12, 0, 0, 0));
  // Half a millisecond below midnight rounds up to midnight.
  EXPECT_EQ(FromDays(36527.0 - 0.4 / MsPerDay), EncodeDate(2000, 1, 2));
  EXPECT_EQ(FromDays(std::numeric_limits<double>::quiet_NaN()), TDateTime());
  EXPECT_NO_THROW((void)DecodeDate(FromDays(std::numeric_limits<double>::infinity())));
}

TEST(DateTime, FarDatesDecodeWithoutThrowing) {
  for (int64_t ms : {std::numeric_limits<int64_t>::min() / 2, int64_t(-1),
                     std::numeric_limits<int64_t>::max() / 2}) {
    const TDateTime t(ms);
    const DateParts p = DecodeDate(t);
    EXPECT_GE(p.month, 1);
    EXPECT_LE(p.month, 12);
    EXPECT_GE(p.day, 1);
    EXPECT_LE(p.day, 31);
    EXPECT_GE(DayOfWeek(t), 1);
    EXPECT_LE(DayOfWeek(t), 7);
  }
  const TDateTime big = EncodeDate(9999, 12, 31) + OneDay * 400;
  EXPECT_EQ(DecodeDate(big).year, 10001);
}

TEST(DateTime, WeekDaysAndDayOfYear) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 8)), 3);    // Tuesday, Sunday = 1
  EXPECT_EQ(DayOfTheWeek(EncodeDate(2026, 12, 8)), 2); // Tuesday, Monday = 1
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);   // Saturday
  EXPECT_EQ(DayOfTheWeek(EncodeDate(1899, 12, 29)), 5);
  EXPECT_EQ(DayOfTheYear(EncodeDate(2024, 12, 31)), 366);
  EXPECT_EQ(DayOfTheYear(EncodeDate(2023, 3, 1)), 60);
  EXPECT_EQ(DayOfTheYear(EncodeDate(2024, 3, 1)), 61);
}

TEST(DateTime, IncMonthClampsTheDayAndKeepsTheTime) {
  const TDateTime jan31 = EncodeDateTime(2023, 1, 31, 10, 15, 0, 0);
  EXPECT_EQ(IncMonth(jan31, 1), EncodeDateTime(2023, 2, 28, 10, 15, 0, 0));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(jan31, -2), EncodeDateTime(2022, 11, 30, 10, 15, 0, 0));
  EXPECT_EQ(IncMonth(jan31, 12), EncodeDateTime(2024, 1, 31, 10, 15, 0, 0));
  EXPECT_EQ(IncYear(EncodeDate(2024, 2, 29), 1), EncodeDate(2025, 2, 28));
}

TEST(DateTime, IsoTextRoundTrips) {
  const TDateTime t = EncodeDateTime(2026, 3, 5, 7, 8, 9, 12);
  EXPECT_EQ(DateTimeToIso(t), QStringLiteral("2026-03-05T07:08:09.012"));
  TDateTime back;
  ASSERT_TRUE(TryIsoToDateTime(DateTimeToIso(t), back));
  EXPECT_EQ(back, t);
  EXPECT_EQ(DateTimeToIso(TDateTime()), QStringLiteral("1899-12-30T00:00:00.000"));
}

TEST(DateTime, IsoTextParsingIsStrictButAcceptsShortForms) {
  TDateTime t;
  ASSERT_TRUE(TryIsoToDateTime(QStringLiteral("2024-02-29"), t));
  EXPECT_EQ(t, EncodeDate(2024, 2, 29));
  ASSERT_TRUE(TryIsoToDateTime(QStringLiteral("2024-02-29T13:14"), t));
  EXPECT_EQ(t, EncodeDateTime(2024, 2, 29, 13, 14, 0, 0));
  ASSERT_TRUE(TryIsoToDateTime(QStringLiteral("2024-02-29T13:14:15.5"), t));
  EXPECT_EQ(t, EncodeDateTime(2024, 2, 29, 13, 14, 15, 500));
  for (const char *bad :
       {"", "2023-02-29", "2024-13-01", "2024-1-1", "abcd-01-01", "2024-01-01T25:00",
        "2024-01-01X10:00", "2024-01-01T10:00:00.1234", "2024-01-01T10:00:00.", "2024-01-01T10"})
    EXPECT_FALSE(TryIsoToDateTime(QString::fromLatin1(bad), t)) << bad;
}
