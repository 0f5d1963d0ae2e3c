#include "model/ScheduleText.h"

#include "model/LanguageTable.h"
#include "model/Schedule.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"

#include <array>

namespace {

inline constexpr std::array<const char *, 6> PluralMeasureNames = {"minutes", "hours",  "days",
                                                                   "weeks",   "months", "years"};

QString tr(const char *word) { return TranslateText(QString::fromLatin1(word)); }

// A table word, translated; empty for a code outside the table.
template <std::size_t N, typename Code>
QString word(const std::array<const char *, N> &table, Code code) {
  const QString name = CodeName(table, code);
  return name.isEmpty() ? name : TranslateText(name);
}

QString number(int64_t n) { return QString::number(n); }

QString timeText(TDateTime t) { return TimeToStr(t, formatSettings()); }
QString dateText(TDateTime t) { return DateToStr(t, formatSettings()); }

// "every N U"
QString everyText(const TValueRec &v) {
  return tr("every") + u' ' + number(v.value) + u' ' + MeasureUnitText(v);
}

// "at T on the <days> day"
QString atOnTheDayText(TDateTime t, const QString &days) {
  return tr("at") + u' ' + timeText(t) + u' ' + tr("on the") + u' ' + days + u' ' + tr("day");
}

} // namespace

QString MeasureUnitText(const TValueRec &value) {
  if (value.value == 0 || value.value == 1)
    return word(MeasureNames, value.measure);
  return word(PluralMeasureNames, value.measure);
}

QString StartBoundText(const TStartBoundRec &bound) {
  QString text = tr("running") + u' ' + word(StartBoundNames, bound.type);
  if (bound.type == TStartBoundType::AfterDefinedTime)
    text += QStringLiteral(" - ") + timeText(bound.dt);
  else if (bound.type == TStartBoundType::AfterDefinedDateTime)
    text += QStringLiteral(" - ") + DateTimeToStr(bound.dt, formatSettings());
  return text;
}

QString StopBoundText(const TStopBoundRec &bound) {
  if (!bound.enable)
    return tr("disabled");
  QString text = tr("run") + u' ' + word(StopBoundNames, bound.type);
  switch (bound.type) {
  case TStopBoundType::UntilDefinedTime:
    text += QStringLiteral(" - ") + timeText(bound.dt);
    break;
  case TStopBoundType::UntilDefinedDateTime:
    text += QStringLiteral(" - ") + DateTimeToStr(bound.dt, formatSettings());
    break;
  case TStopBoundType::WithinHourlyLimits:
  case TStopBoundType::WithinDailyLimits:
    text += QStringLiteral(" - ") + number(bound.value.value) + u' ' + MeasureUnitText(bound.value);
    break;
  default:
    break;
  }
  return text;
}

QString RepeatText(const TMainRepeatRec &repeat) {
  QString description;
  switch (repeat.type) {
  case TRepeatType::Once:
    description =
        tr("at") + u' ' + timeText(repeat.dt) + u' ' + tr("on the") + u' ' + dateText(repeat.dt);
    break;
  case TRepeatType::Minutely:
    description = everyText(repeat.value1);
    break;
  case TRepeatType::Hourly:
    description = everyText(repeat.value1) + u' ' + tr("at") + u' ' + number(repeat.value2.value) +
                  u' ' + MeasureUnitText(repeat.value2);
    break;
  case TRepeatType::Daily:
    description = everyText(repeat.value1) + u' ' + tr("at") + u' ' + timeText(repeat.dt);
    break;
  case TRepeatType::Weekly:
  case TRepeatType::Monthly:
    description = atOnTheDayText(repeat.dt, DayListText(repeat.days));
    break;
  case TRepeatType::Annually:
    description = atOnTheDayText(repeat.dt, YearDayListText(repeat.days));
    break;
  default:
    return {}; // a type read from a file that no version of the program wrote
  }
  // Lower-cased after translation, so a translated name reads the same way.
  return word(RepeatTypeNames, repeat.type).toLower() + QStringLiteral(" - ") + description;
}

QString DurationText(const TDurationRec &duration) {
  if (!duration.enable)
    return {};
  int hour = 0, minute = 0, second = 0, msec = 0;
  DecodeTime(MeasureToDays(duration.value1) + MeasureToDays(duration.value2), hour, minute, second,
             msec);
  return tr("duration") + QStringLiteral(" - ") +
         TranslateFormat(QStringLiteral("%d h %d min"), {hour, minute});
}

QString RemindBeforeText(const TRemindBeforeRec &remindBefore) {
  if (!remindBefore.enable)
    return {};
  return tr("remind before for") + u' ' + number(remindBefore.value.value) + u' ' +
         word(MeasureNames, remindBefore.value.measure);
}

QString DayListText(const QString &days) {
  QString text = days;
  text.remove(u'(');
  text.replace(u')', u',');
  if (text.endsWith(u','))
    text.chop(1);
  return text;
}

QString YearDayListText(const QString &days) {
  const QString list = DayListText(days);
  if (list.isEmpty())
    return {};
  const QStringList entries = list.split(u',');
  const TDateTime now = currentClock().now();
  const int64_t thisYear = DecodeDate(now).year;
  QString text;
  for (int64_t year = thisYear; year <= thisYear + 1; ++year) {
    for (const QString &entry : entries) {
      bool ok = false;
      const int day = entry.toInt(&ok);
      if (!ok || day < 1 || day > DaysInAYear(year))
        continue;
      const TDateTime date = EncodeDate(year, 1, 1) + OneDay * (day - 1);
      if (date > now)
        text += dateText(date) + QStringLiteral(", ");
    }
  }
  text = text.trimmed();
  if (text.endsWith(u','))
    text.chop(1);
  return text;
}
