// The day list and the date boxes of the log page.
#include "ui/LogDates.h"

#include "model/LogFile.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "tests/support/TestModel.h"

#include <gtest/gtest.h>

namespace {

FormatSettings shortDate(const char *format, QChar separator) {
  FormatSettings fs;
  fs.shortDateFormat = QString::fromLatin1(format);
  fs.dateSeparator = separator;
  return fs;
}

} // namespace

// Monday 7 December 2026; the period is read by the same rule as the purge.
TEST(LogDates, DayListFollowsTheLogPeriodUpToThirtyDays) {
  TestModel testModel;
  const auto daysFor = [&](const char *period) {
    testModel.localSettings.writeString(settings_keys::Config, settings_keys::LogClearPeriod,
                                        period);
    return LogDayList(EncodeDateTime(2026, 12, 7, 15, 30, 0, 0), LogClearPeriodDays(),
                      shortDate("dd.mm.yy", u'.'));
  };
  EXPECT_EQ(daysFor("45").size(), 30u);
  EXPECT_EQ(daysFor("0").size(), 0u);
  EXPECT_EQ(daysFor("-3").size(), 30u); // unusable: the default period, as for the purge
  const std::vector<TLogDay> week = daysFor("7");
  ASSERT_EQ(week.size(), 7u);
  EXPECT_EQ(week[0].day, EncodeDate(2026, 12, 7));
  EXPECT_EQ(week[0].caption, QStringLiteral("Monday  ( 07.12.26 )"));
  EXPECT_EQ(week[6].caption, QStringLiteral("Tuesday  ( 01.12.26 )"));
  EXPECT_EQ((std::vector<int>{week[0].icon, week[1].icon, week[2].icon}),
            (std::vector<int>{-1, 38, 37})); // Sunday, Saturday
}

// The box shows the date padded in the locale's order; what is typed reads back through the
// century window (window 50 in 2026: 1976 to 2075).
TEST(LogDates, TwoDigitYearsUnderTwoFormats) {
  ManualClock clock{EncodeDateTime(2026, 12, 7, 9, 0, 0, 0)};
  ScopedClock clockScope{clock};
  const TDateTime weekAgo = EncodeDate(2026, 11, 30);

  const FormatSettings dmy = shortDate("dd.mm.yy", u'.');
  EXPECT_EQ(LogDateMask(dmy), QStringLiteral("00.00.00;_"));
  EXPECT_EQ(LogDateText(weekAgo, dmy), QStringLiteral("30.11.26"));
  EXPECT_EQ(LogDateBound(QStringLiteral("30.11.26"), dmy), weekAgo);
  EXPECT_EQ(LogDateBound(QStringLiteral("01.02.80"), dmy), EncodeDate(1980, 2, 1));

  // The default of en_US is not zero-padded; the box is.
  const FormatSettings mdy = shortDate("m/d/yy", u'/');
  EXPECT_EQ(LogDateMask(mdy), QStringLiteral("00/00/00;_"));
  EXPECT_EQ(LogDateText(EncodeDate(2027, 1, 5), mdy), QStringLiteral("01/05/27"));
  EXPECT_EQ(LogDateBound(QStringLiteral("11/30/26"), mdy), weekAgo);
  EXPECT_EQ(LogDateBound(QStringLiteral("02/01/75"), mdy), EncodeDate(2075, 2, 1));
  EXPECT_EQ(LogDateBound(QStringLiteral("02/01/76"), mdy), EncodeDate(1976, 2, 1));
  // An empty or half-filled box means no bound.
  EXPECT_FALSE(LogDateBound(QStringLiteral("//"), mdy).isSet());
  EXPECT_FALSE(LogDateBound(QStringLiteral("13/45/26"), mdy).isSet());
}
