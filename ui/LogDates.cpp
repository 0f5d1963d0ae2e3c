#include "ui/LogDates.h"

#include <algorithm>

namespace {

constexpr int kMostDays = 30;
constexpr int kSaturdayIcon = 37;
constexpr int kSundayIcon = 38;

// The order of day, month and year in the short date format, as the date reader takes it.
QString fieldOrder(const FormatSettings &fs) {
  QString order;
  for (const QChar c : fs.shortDateFormat) {
    const QChar l = c.toLower();
    if ((l == u'd' || l == u'm' || l == u'y') && !order.contains(l))
      order += l;
  }
  return order.size() == 3 ? order : QStringLiteral("mdy");
}

// A mask takes most punctuation literally; the few letters and signs with a meaning of their own
// are escaped.
QString maskLiteral(QChar c) {
  static const QString special = QStringLiteral("AaNnXx90Dd#HhBb><![]{}\\;");
  return special.contains(c) ? QStringLiteral("\\") + c : QString(c);
}

} // namespace

std::vector<TLogDay> LogDayList(TDateTime today, int periodDays, const FormatSettings &fs) {
  std::vector<TLogDay> days;
  const int n = std::clamp(periodDays, 0, kMostDays);
  for (int i = 0; i < n; ++i) {
    TLogDay d;
    d.day = DateOf(today) - OneDay * i;
    d.caption = FormatDateTime(QStringLiteral("dddd"), d.day, fs) + QStringLiteral("  ( ") +
                DateToStr(d.day, fs) + QStringLiteral(" )");
    const int weekDay = DayOfWeek(d.day);
    d.icon = weekDay == 1 ? kSundayIcon : weekDay == 7 ? kSaturdayIcon : -1;
    days.push_back(d);
  }
  return days;
}

QString LogDateMask(const FormatSettings &fs) {
  const QString separator = maskLiteral(fs.dateSeparator);
  return QStringLiteral("00") + separator + QStringLiteral("00") + separator +
         QStringLiteral("00;_");
}

QString LogDateText(TDateTime date, const FormatSettings &fs) {
  const DateParts p = DecodeDate(date);
  QStringList fields;
  for (const QChar f : fieldOrder(fs)) {
    const int64_t v = f == u'd' ? p.day : f == u'm' ? p.month : p.year % 100;
    fields << QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
  }
  return fields.join(fs.dateSeparator);
}

TDateTime LogDateBound(const QString &text, const FormatSettings &fs) {
  TDateTime date;
  if (!TryStrToDate(text.trimmed(), date, fs))
    return TDateTime();
  return DateOf(date);
}
