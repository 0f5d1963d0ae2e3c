#include "platform/FormatSettings.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

FormatSettings us() {
  return FormatSettings::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}
FormatSettings de() {
  return FormatSettings::fromLocale(QLocale(QLocale::German, QLocale::Germany));
}

const TDateTime kEvening = EncodeDateTime(2026, 3, 7, 14, 5, 9, 42);

} // namespace

TEST(FormatSettings, LocaleFormatsBecomeClassicLetters) {
  EXPECT_EQ(QtFormatToClassic(QStringLiteral("dd.MM.yyyy")), QStringLiteral("dd.mm.yyyy"));
  EXPECT_EQ(QtFormatToClassic(QStringLiteral("h:mm:ss AP t")), QStringLiteral("h:nn:ss AMPM"));
  EXPECT_EQ(QtFormatToClassic(QStringLiteral("HH:mm 'Uhr'")), QStringLiteral("hh:nn \"Uhr\""));
  const FormatSettings g = de();
  EXPECT_EQ(g.dateSeparator, u'.');
  EXPECT_EQ(g.decimalSeparator, u',');
  EXPECT_EQ(g.longDayNames[0], QStringLiteral("Sonntag"));
  EXPECT_EQ(g.longMonthNames[2], QStringLiteral("März"));
  const FormatSettings u = us();
  EXPECT_EQ(u.decimalSeparator, u'.');
  EXPECT_EQ(u.longDayNames[1], QStringLiteral("Monday"));
}

TEST(FormatSettings, DatesAndTimesUnderTwoLocales) {
  const FormatSettings u = us();
  const FormatSettings g = de();
  EXPECT_EQ(DateToStr(kEvening, u), QStringLiteral("3/7/26"));
  EXPECT_EQ(TimeToStr(kEvening, u), QStringLiteral("2:05:09 PM"));
  EXPECT_EQ(DateToStr(kEvening, g), QStringLiteral("07.03.26"));
  EXPECT_EQ(TimeToStr(kEvening, g), QStringLiteral("14:05:09"));
  EXPECT_EQ(DateTimeToStr(kEvening, g), QStringLiteral("07.03.26 14:05:09"));
  // Midnight leaves the time out.
  EXPECT_EQ(DateTimeToStr(EncodeDate(2026, 3, 7), g), QStringLiteral("07.03.26"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("dddd"), kEvening, g), QStringLiteral("Samstag"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("dddd"), kEvening, u), QStringLiteral("Saturday"));
}

TEST(FormatSettings, FormatLettersFollowTheClassicRules) {
  FormatSettings fs; // the built-in English defaults
  const TDateTime t = EncodeDateTime(2024, 2, 9, 0, 7, 3, 5);
  EXPECT_EQ(FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn:ss.zzz"), t, fs),
            QStringLiteral("2024-02-09 00:07:03.005"));
  // "m" right after an hour is a minute; letters are not case-sensitive.
  EXPECT_EQ(FormatDateTime(QStringLiteral("H:MM"), t, fs), QStringLiteral("0:07"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("h:nn am/pm"), t, fs), QStringLiteral("12:07 am"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("h A/P"), kEvening, fs), QStringLiteral("2 P"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("ddd d mmm yy"), t, fs), QStringLiteral("Fri 9 Feb 24"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("'at' hh \"o'clock\""), kEvening, fs),
            QStringLiteral("at 14 o'clock"));
  EXPECT_EQ(FormatDateTime(QStringLiteral("d/m"), t, fs), QStringLiteral("9/2"));
  fs.dateSeparator = u'-';
  EXPECT_EQ(FormatDateTime(QStringLiteral("d/m"), t, fs), QStringLiteral("9-2"));
  // A format that names itself does not recurse forever.
  fs.shortDateFormat = QStringLiteral("ddddd");
  EXPECT_NO_THROW((void)DateToStr(t, fs));
}

TEST(FormatSettings, ReadsDatesInTheLocalesOrderWithTheCenturyWindow) {
  ManualClock c;
  c.set(2026, 12, 8);
  ScopedClock scope(c);
  TDateTime t;
  ASSERT_TRUE(TryStrToDate(QStringLiteral("07.03.26"), t, de()));
  EXPECT_EQ(t, EncodeDate(2026, 3, 7));
  ASSERT_TRUE(TryStrToDate(QStringLiteral("3/7/2026"), t, us()));
  EXPECT_EQ(t, EncodeDate(2026, 3, 7));
  // Within fifty years before now, else the century after.
  ASSERT_TRUE(TryStrToDate(QStringLiteral("1.1.75"), t, de()));
  EXPECT_EQ(DecodeDate(t).year, 2075);
  ASSERT_TRUE(TryStrToDate(QStringLiteral("1.1.76"), t, de()));
  EXPECT_EQ(DecodeDate(t).year, 1976);
  ASSERT_TRUE(TryStrToDate(QStringLiteral("1.1.0076"), t, de()));
  EXPECT_EQ(DecodeDate(t).year, 76);
  // No year: this year.
  ASSERT_TRUE(TryStrToDate(QStringLiteral("24.12."), t, de()));
  EXPECT_EQ(t, EncodeDate(2026, 12, 24));
  for (const char *bad : {"", "abc", "31.02.26", "1.2.3.4", "99999999999.1.1"})
    EXPECT_FALSE(TryStrToDate(QString::fromLatin1(bad), t, de())) << bad;
}

TEST(FormatSettings, ReadsTimesAndDateTimes) {
  ManualClock c;
  c.set(2026, 12, 8);
  ScopedClock scope(c);
  TDateTime t;
  ASSERT_TRUE(TryStrToTime(QStringLiteral("2:05:09 PM"), t, us()));
  EXPECT_EQ(t, EncodeTime(14, 5, 9, 0));
  ASSERT_TRUE(TryStrToTime(QStringLiteral("12:00 AM"), t, us()));
  EXPECT_EQ(t, TDateTime());
  ASSERT_TRUE(TryStrToTime(QStringLiteral("23:59:59,5"), t, de()));
  EXPECT_EQ(t, EncodeTime(23, 59, 59, 500));
  EXPECT_FALSE(TryStrToTime(QStringLiteral("24:00"), t, de()));
  EXPECT_FALSE(TryStrToTime(QStringLiteral("13:00 PM"), t, us()));
  ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(kEvening - TDateTime(42), de()), t, de()));
  EXPECT_EQ(t, kEvening - TDateTime(42));
  ASSERT_TRUE(TryStrToDateTime(DateTimeToStr(kEvening - TDateTime(42), us()), t, us()));
  EXPECT_EQ(t, kEvening - TDateTime(42));
}

TEST(FormatSettings, NumbersUseTheDecimalSeparator) {
  EXPECT_EQ(FloatToStr(46088.5, de()), QStringLiteral("46088,5"));
  EXPECT_EQ(FloatToStr(46088.5, us()), QStringLiteral("46088.5"));
  EXPECT_EQ(FloatToStr(0.1 + 0.2, us()), QStringLiteral("0.3"));
  double v = 0;
  ASSERT_TRUE(TryStrToFloat(QStringLiteral("1,5"), v, de()));
  EXPECT_DOUBLE_EQ(v, 1.5);
  ASSERT_TRUE(TryStrToFloat(QStringLiteral("1.5"), v, de()));
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_FALSE(TryStrToFloat(QStringLiteral("abc"), v, us()));
  EXPECT_FALSE(TryStrToFloat(QString(), v, us()));
}

TEST(FormatSettings, ScopedSettingsAreRestored) {
  const QString before = formatSettings().shortDateFormat;
  {
    FormatSettings fs;
    fs.shortDateFormat = QStringLiteral("yyyy");
    ScopedFormatSettings scope(fs);
    EXPECT_EQ(DateToStr(kEvening), QStringLiteral("2026"));
  }
  EXPECT_EQ(formatSettings().shortDateFormat, before);
}
