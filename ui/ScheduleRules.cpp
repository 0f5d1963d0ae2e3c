#include "ui/ScheduleRules.h"

#include "model/FiringState.h"
#include "model/LanguageTable.h"
#include "platform/FormatSettings.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int MonthsPerYear = 12;
constexpr int GridDays = 31;
constexpr int MonthGridWidth = 10;
constexpr int ListedDates = 10;
} // namespace

TScheduleLayout ScheduleLayout(int repeatType) {
  TScheduleLayout l;
  switch (TRepeatType(repeatType)) {
  case TRepeatType::Once:
    l.onceDateTime = true;
    break;
  case TRepeatType::Minutely:
    l.every = true;
    l.value1Maximum = 1440;
    break;
  case TRepeatType::Hourly:
    l.every = l.value2 = l.afterTime = true;
    l.value1Maximum = 168;
    break;
  case TRepeatType::Daily:
    l.every = l.time2 = l.afterTime = true;
    l.value1Maximum = 372;
    break;
  case TRepeatType::Weekly:
    l.time2 = l.afterTime = l.weekDays = true;
    break;
  case TRepeatType::Monthly:
    l.time2 = l.afterTime = l.monthDays = true;
    break;
  case TRepeatType::Annually:
    l.time2 = l.afterTime = l.yearDays = true;
    break;
  }
  return l;
}

int ClampValue1(int repeatType, double value) {
  const double maximum = ScheduleLayout(repeatType).value1Maximum;
  // NaN compares false everywhere and ends at the minimum.
  if (!(value >= 1))
    return 1;
  return int(std::trunc(std::min(value, maximum)));
}

TMeasure Value1Measure(TRepeatType type) {
  switch (type) {
  case TRepeatType::Hourly:
    return TMeasure::Hour;
  case TRepeatType::Daily:
    return TMeasure::Day;
  case TRepeatType::Weekly:
    return TMeasure::Week;
  case TRepeatType::Monthly:
    return TMeasure::Month;
  case TRepeatType::Annually:
    return TMeasure::Year;
  default:
    return TMeasure::Minute;
  }
}

TDurationLimits LimitDuration(int repeatType, bool durationOn, int value1, int hours, int minutes) {
  TDurationLimits l;
  l.hours = hours;
  l.minutes = minutes;
  if (!durationOn)
    return l;
  int64_t interval = 0; // in minutes
  if (repeatType == int(TRepeatType::Minutely))
    interval = value1;
  else if (repeatType == int(TRepeatType::Hourly))
    interval = int64_t(value1) * 60;
  else
    return l;
  interval = std::max<int64_t>(interval, 0);
  l.hoursMaximum = int(interval / 60);
  l.minutesMaximum = int(interval % 60);
  // Each box is bounded on its own (with 90 minutes: 0..1 hours and 0..30 minutes); only a total
  // beyond the interval pulls both back.
  if (int64_t(hours) * 60 + minutes > interval) {
    l.hours = l.hoursMaximum;
    l.minutes = l.minutesMaximum;
  }
  return l;
}

void StoreRepeat(const TRepeatControls &c, TMainRepeatRec &repeat) {
  if (c.type < int(TRepeatType::Once) || c.type > int(TRepeatType::Annually))
    return;
  const auto type = TRepeatType(c.type);
  repeat.type = type;
  if (type == TRepeatType::Once) {
    repeat.dt = c.onceDate + c.onceTime;
    return;
  }
  repeat.value1 = {c.value1, Value1Measure(type)};
  switch (type) {
  case TRepeatType::Hourly:
    repeat.value2 = {c.value2, TMeasure::Minute};
    return;
  case TRepeatType::Weekly:
    repeat.days = FormatDayList(c.weekDays);
    break;
  case TRepeatType::Monthly:
    repeat.days = FormatDayList(c.monthDays);
    break;
  case TRepeatType::Annually:
    // The list of a reminder that was weekly or monthly would otherwise be read as days of the
    // year ((1)(7) as 1 and 7 January), while the preview showed an empty year.
    if (c.yearDays)
      repeat.days = *c.yearDays;
    else if (c.loadedType != int(TRepeatType::Annually))
      repeat.days.clear();
    break;
  default:
    break;
  }
  if (type != TRepeatType::Minutely)
    repeat.dt = c.time2;
}

QString FormatDayList(const TDaySet &days) {
  QString list;
  for (std::size_t d = 1; d < days.size(); ++d)
    if (days.test(d))
      list += QLatin1Char('(') + QString::number(d) + QLatin1Char(')');
  return list;
}

TMonthCell MonthDayCell(int day) {
  const int grid = std::clamp((day - 1) / MonthGridWidth, 0, 2);
  return {grid, day - 1 - grid * MonthGridWidth};
}

int YearDayNumber(int64_t year, int month, int day) {
  if (month < 1 || month > MonthsPerYear || day < 1 || day > DaysInAMonth(year, month))
    return 0;
  int n = day;
  for (int m = 1; m < month; ++m)
    n += DaysInAMonth(year, m);
  return n;
}

QString YearDayHint(int64_t year, int column, int row) {
  if (column < 0 || column >= GridDays || row < 0 || row >= MonthsPerYear)
    return {};
  QString hint;
  for (const int64_t y : {year, year + 1}) {
    if (!YearDayNumber(y, row + 1, column + 1))
      continue;
    if (!hint.isEmpty())
      hint += QLatin1Char('\n');
    hint += DateToStr(EncodeDate(y, row + 1, column + 1));
  }
  return hint;
}

TBoundsLayout BoundsLayout(int startKind, int stopKind) {
  TBoundsLayout l;
  l.startTime = startKind == int(TStartBoundType::AfterDefinedTime) ||
                startKind == int(TStartBoundType::AfterDefinedDateTime);
  l.startDate = startKind == int(TStartBoundType::AfterDefinedDateTime);
  l.stopTime = stopKind == int(TStopBoundType::UntilDefinedTime) ||
               stopKind == int(TStopBoundType::UntilDefinedDateTime);
  l.stopDate = stopKind == int(TStopBoundType::UntilDefinedDateTime);
  l.stopValue = stopKind == int(TStopBoundType::WithinHourlyLimits) ||
                stopKind == int(TStopBoundType::WithinDailyLimits);
  return l;
}

TMeasure StopValueMeasure(int stopKind) {
  return stopKind == int(TStopBoundType::WithinDailyLimits) ? TMeasure::Day : TMeasure::Hour;
}

QString NextRunText(const TDataObject &schedule, TDateTime now) {
  // The due test at now is what saving the reminder meets first: a run whose window holds now
  // fires at once, though the next run at or after now lies beyond it (or does not exist).
  if (const TCheckResult due = schedule.CheckRun(TFiringState::Idle(), now, false); due.fire) {
    TDateTime end = due.due + GetDurationDays(schedule.duration);
    if (schedule.stopBound.enable)
      if (const TDateTime stop = GetStopBoundTime(schedule.startBound, schedule.stopBound, now);
          stop > now)
        end = std::min(end, stop);
    const QString until = DateOf(end) == DateOf(now) ? TimeToStr(end) : DateTimeToStr(end);
    return TranslateText(QStringLiteral("now, until")) + QLatin1Char(' ') + until;
  }
  const TDateTime next = schedule.GetNextRunTime(now);
  return next.isSet() ? DateTimeToStr(next) : TranslateText(QStringLiteral("Never occurs"));
}

QString NextDatesOfRunText(const TDataObject &schedule, TDateTime now) {
  const QString crlf = QStringLiteral("\r\n");
  const int count = schedule.repeat.type == TRepeatType::Once ? 1 : ListedDates;
  const TDateTime interval = GetRepeatInterval(schedule.repeat);
  QString dates;
  bool cut = false;
  TDateTime t = now;
  for (int i = 1; i <= count; ++i) {
    const TDateTime next = schedule.GetNextRunTime(t);
    if (!next.isSet())
      break;
    dates += crlf + DateTimeToStr(next);
    t = next + interval;
    cut = i == count;
  }
  if (dates.isEmpty())
    return TranslateText(QStringLiteral("Never occurs"));
  return TranslateText(QStringLiteral("Next dates of run:")) + crlf + dates +
         (cut ? crlf + QStringLiteral("...") : QString());
}

QDate ToQDate(TDateTime t) {
  const DateParts p = DecodeDate(t);
  if (p.year < 1 || p.year > 9999)
    return {};
  return {int(p.year), p.month, p.day};
}

QTime ToQTime(TDateTime t) { return QTime::fromMSecsSinceStartOfDay(int(TimeOfDayMs(t))); }

TDateTime FromQDate(const QDate &date) {
  if (!date.isValid())
    return {};
  return TDateTime(DaysFromCivil(date.year(), date.month(), date.day()) * MsPerDay);
}

TDateTime FromQTime(const QTime &time) {
  return time.isValid() ? TDateTime(time.msecsSinceStartOfDay()) : TDateTime();
}
