#include "model/ScheduleText.h"

#include "model/LanguageTable.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "tests/model/StoreTestUtil.h"

#include <gtest/gtest.h>

namespace {

FormatSettings pinnedFormats() {
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  return fs;
}

TValueRec val(int v, TMeasure m) { return TValueRec{v, m}; }
TValueRec val(int v, int code) { return TValueRec{v, static_cast<TMeasure>(code)}; }

class ScheduleText : public ::testing::Test {
protected:
  ScopedFormatSettings formats{pinnedFormats()};
  ManualClock clock{EncodeDateTime(2024, 3, 5, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
};

TMainRepeatRec repeat(TRepeatType type) {
  TMainRepeatRec r;
  r.type = type;
  return r;
}

} // namespace

TEST_F(ScheduleText, MeasureUnitWords) {
  EXPECT_EQ(MeasureUnitText(val(0, TMeasure::Minute)), QStringLiteral("minute"));
  EXPECT_EQ(MeasureUnitText(val(1, TMeasure::Hour)), QStringLiteral("hour"));
  EXPECT_EQ(MeasureUnitText(val(2, TMeasure::Hour)), QStringLiteral("hours"));
  EXPECT_EQ(MeasureUnitText(val(-1, TMeasure::Day)), QStringLiteral("days"));
  EXPECT_EQ(MeasureUnitText(val(3, TMeasure::Week)), QStringLiteral("weeks"));
  EXPECT_EQ(MeasureUnitText(val(1, TMeasure::Month)), QStringLiteral("month"));
  EXPECT_EQ(MeasureUnitText(val(9, TMeasure::Year)), QStringLiteral("years"));
  EXPECT_EQ(MeasureUnitText(val(5, 9)), QString());
  EXPECT_EQ(MeasureUnitText(val(1, -1)), QString());
}

TEST_F(ScheduleText, RepeatTextForEveryType) {
  TMainRepeatRec once = repeat(TRepeatType::Once);
  once.dt = EncodeDateTime(2024, 3, 5, 10, 30, 0, 0);
  EXPECT_EQ(RepeatText(once), QStringLiteral("once - at 10:30:00 on the 05.03.24"));

  TMainRepeatRec minutely = repeat(TRepeatType::Minutely);
  minutely.value1 = val(0, TMeasure::Minute);
  EXPECT_EQ(RepeatText(minutely), QStringLiteral("minutely - every 0 minute"));

  TMainRepeatRec hourly = repeat(TRepeatType::Hourly);
  hourly.value1 = val(1, TMeasure::Hour);
  hourly.value2 = val(30, TMeasure::Minute);
  EXPECT_EQ(RepeatText(hourly), QStringLiteral("hourly - every 1 hour at 30 minutes"));

  TMainRepeatRec daily = repeat(TRepeatType::Daily);
  daily.value1 = val(2, TMeasure::Day);
  daily.dt = EncodeDateTime(2024, 1, 1, 9, 0, 0, 0);
  EXPECT_EQ(RepeatText(daily), QStringLiteral("daily - every 2 days at 09:00:00"));

  TMainRepeatRec weekly = repeat(TRepeatType::Weekly);
  weekly.dt = EncodeTime(9, 0, 0, 0);
  weekly.days = QStringLiteral("(1)(3)");
  EXPECT_EQ(RepeatText(weekly), QStringLiteral("weekly - at 09:00:00 on the 1,3 day"));

  TMainRepeatRec monthly = weekly;
  monthly.type = TRepeatType::Monthly;
  monthly.days = QStringLiteral("(31)");
  EXPECT_EQ(RepeatText(monthly), QStringLiteral("monthly - at 09:00:00 on the 31 day"));

  TMainRepeatRec annually = weekly;
  annually.type = TRepeatType::Annually;
  annually.days = QStringLiteral("(61)(1)");
  EXPECT_EQ(RepeatText(annually),
            QStringLiteral("annually - at 09:00:00 on the 02.03.25, 01.01.25 day"));

  EXPECT_EQ(RepeatText(repeat(static_cast<TRepeatType>(9))), QString());
  EXPECT_EQ(RepeatText(repeat(static_cast<TRepeatType>(-1))), QString());
}

TEST_F(ScheduleText, DayLists) {
  EXPECT_EQ(DayListText(QStringLiteral("(1)(5)")), QStringLiteral("1,5"));
  EXPECT_EQ(DayListText(QStringLiteral("(7)(1)")), QStringLiteral("7,1"));
  EXPECT_EQ(DayListText(QString()), QString());

  // 2024-03-05 is day 65 of a leap year: day 65 itself (today) never shows, day 66 does.
  EXPECT_EQ(YearDayListText(QStringLiteral("(65)(66)")),
            QStringLiteral("06.03.24, 06.03.25, 07.03.25"));
  EXPECT_EQ(YearDayListText(QStringLiteral("(x)(400)(0)(-3)(366)")), QStringLiteral("31.12.24"));
  EXPECT_EQ(YearDayListText(QString()), QString());

  clock.set(2025, 6, 1, 12);
  EXPECT_EQ(YearDayListText(QStringLiteral("(366)")), QString());
  TMainRepeatRec annually = repeat(TRepeatType::Annually);
  annually.dt = EncodeTime(9, 0, 0, 0);
  annually.days = QStringLiteral("(366)");
  EXPECT_EQ(RepeatText(annually), QStringLiteral("annually - at 09:00:00 on the  day"));
}

TEST_F(ScheduleText, DurationAndRemindBefore) {
  TDurationRec d;
  d.value1 = val(1, TMeasure::Hour);
  d.value2 = val(30, TMeasure::Minute);
  EXPECT_EQ(DurationText(d), QString());
  d.enable = true;
  EXPECT_EQ(DurationText(d), QStringLiteral("duration - 1 h 30 min"));
  d.value1 = val(25, TMeasure::Hour);
  d.value2 = val(0, TMeasure::Minute);
  EXPECT_EQ(DurationText(d), QStringLiteral("duration - 1 h 0 min"));

  TRemindBeforeRec r;
  r.value = val(10, TMeasure::Minute);
  EXPECT_EQ(RemindBeforeText(r), QString());
  r.enable = true;
  EXPECT_EQ(RemindBeforeText(r), QStringLiteral("remind before for 10 minute"));
  r.value = val(2, 7);
  EXPECT_EQ(RemindBeforeText(r), QStringLiteral("remind before for 2 "));
}

TEST_F(ScheduleText, Bounds) {
  TStartBoundRec start;
  start.type = TStartBoundType::AfterDefinedTime;
  start.dt = EncodeDateTime(2024, 2, 1, 8, 15, 30, 0);
  EXPECT_EQ(StartBoundText(start), QStringLiteral("running after defined time - 08:15:30"));
  start.type = TStartBoundType::AfterDefinedDateTime;
  EXPECT_EQ(StartBoundText(start),
            QStringLiteral("running after defined date and time - 01.02.24 08:15:30"));
  start.type = TStartBoundType::AfterWindowsStart;
  EXPECT_EQ(StartBoundText(start), QStringLiteral("running after windows start"));
  start.type = static_cast<TStartBoundType>(5);
  EXPECT_EQ(StartBoundText(start), QStringLiteral("running "));

  TStopBoundRec stop;
  stop.type = TStopBoundType::UntilMidnight;
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("disabled"));
  stop.enable = true;
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run until midnight"));
  stop.type = TStopBoundType::WithinHourlyLimits;
  stop.value = val(3, TMeasure::Hour);
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run within hourly limits - 3 hours"));
  stop.type = TStopBoundType::WithinDailyLimits;
  stop.value = val(1, TMeasure::Day);
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run within daily limits - 1 day"));
  stop.type = TStopBoundType::UntilDefinedTime;
  stop.dt = EncodeDateTime(2024, 3, 9, 17, 0, 0, 0);
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run until defined time - 17:00:00"));
  stop.type = TStopBoundType::UntilDefinedDateTime;
  EXPECT_EQ(StopBoundText(stop),
            QStringLiteral("run until defined date and time - 09.03.24 17:00:00"));
  stop.dt = EncodeDate(2024, 3, 9); // at midnight the date-and-time text shows the date alone
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run until defined date and time - 09.03.24"));
  for (int code : {4, 6, 7, 8})
    EXPECT_TRUE(
        StopBoundText({true, static_cast<TStopBoundType>(code), {}, {}}).startsWith("run until"));
  stop.type = static_cast<TStopBoundType>(12);
  EXPECT_EQ(StopBoundText(stop), QStringLiteral("run "));
}

TEST_F(ScheduleText, EachWordIsTranslatedAndTheTypeLoweredAfterwards) {
  const storetest::ScopedLanguageTable table;
  LanguageTable()->Add(QStringLiteral("every"), QStringLiteral("jede"));
  LanguageTable()->Add(QStringLiteral("Hourly"), QStringLiteral("Stündlich"));
  LanguageTable()->Add(QStringLiteral("%d h %d min"), QStringLiteral("%d Std. %d Min."));
  LanguageTable()->Add(QStringLiteral("duration"), QStringLiteral("Dauer"));
  TMainRepeatRec hourly = repeat(TRepeatType::Hourly);
  hourly.value1 = val(1, TMeasure::Hour);
  hourly.value2 = val(30, TMeasure::Minute);
  const QString text = RepeatText(hourly);
  TDurationRec d{true, val(2, TMeasure::Hour), val(5, TMeasure::Minute)};
  const QString duration = DurationText(d);
  // A translation that does not fit the format's arguments is not used.
  LanguageTable()->Clear();
  LanguageTable()->Add(QStringLiteral("%d h %d min"), QStringLiteral("%s h"));
  const QString safe = DurationText(d);
  EXPECT_EQ(text, QStringLiteral("stündlich - jede 1 hour at 30 minutes"));
  EXPECT_EQ(duration, QStringLiteral("Dauer - 2 Std. 5 Min."));
  EXPECT_EQ(safe, QStringLiteral("duration - 2 h 5 min"));
}
