#include "platform/FormatSettings.h"

#include "platform/Clock.h"

#include <QMutex>
#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace {

const std::array<const char *, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const std::array<const char *, 7> kLongDays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
const std::array<const char *, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const std::array<const char *, 12> kLongMonths = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};

QMutex &settingsLock() {
  static QMutex m;
  return m;
}

FormatSettings &localeSettings() {
  static FormatSettings s = FormatSettings::fromLocale(QLocale::system());
  return s;
}

QString pad(int64_t v, int width) {
  return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}

// Counts how many times c repeats at i (case-insensitive).
int runLength(const QString &f, qsizetype i, QChar c) {
  int n = 0;
  while (i + n < f.size() && f[i + n].toLower() == c)
    ++n;
  return n;
}

bool startsWithCi(const QString &f, qsizetype i, const char *what) {
  return f.mid(i, qsizetype(std::strlen(what))).compare(QLatin1String(what), Qt::CaseInsensitive) ==
         0;
}

bool usesAmPm(const QString &f) {
  return f.contains(QLatin1String("am/pm"), Qt::CaseInsensitive) ||
         f.contains(QLatin1String("a/p"), Qt::CaseInsensitive) ||
         f.contains(QLatin1String("ampm"), Qt::CaseInsensitive);
}

void formatInto(QString &out, const QString &f, TDateTime t, const FormatSettings &fs, int depth) {
  if (depth > 2) // nested formats (c, ddddd, t) cannot reach further; stop any self-reference
    return;
  const DateParts d = DecodeDate(t);
  const TimeParts h = DecodeTime(t);
  const bool twelve = usesAmPm(f);
  bool lastWasHour = false;
  qsizetype i = 0;
  while (i < f.size()) {
    const QChar c = f[i];
    const QChar lc = c.toLower();
    if (c == u'"' || c == u'\'') {
      const qsizetype end = f.indexOf(c, i + 1);
      const qsizetype stop = end < 0 ? f.size() : end;
      out += f.mid(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    if (startsWithCi(f, i, "am/pm")) {
      const QString s = h.hour < 12 ? QStringLiteral("am") : QStringLiteral("pm");
      out += f[i].isUpper() ? s.toUpper() : s;
      i += 5;
      continue;
    }
    if (startsWithCi(f, i, "a/p")) {
      const QString s = h.hour < 12 ? QStringLiteral("a") : QStringLiteral("p");
      out += f[i].isUpper() ? s.toUpper() : s;
      i += 3;
      continue;
    }
    if (startsWithCi(f, i, "ampm")) {
      out += h.hour < 12 ? fs.timeAMString : fs.timePMString;
      i += 4;
      continue;
    }
    const int n = runLength(f, i, lc);
    if (lc == u'y') {
      out += n <= 2 ? pad(((d.year % 100) + 100) % 100, 2) : pad(d.year, 4);
    } else if (lc == u'm') {
      if (lastWasHour && n <= 2) {
        out += pad(h.minute, n == 2 ? 2 : 1);
      } else if (n == 1 || n == 2) {
        out += pad(d.month, n);
      } else if (n == 3) {
        out += fs.shortMonthNames[size_t(d.month - 1)];
      } else {
        out += fs.longMonthNames[size_t(d.month - 1)];
      }
    } else if (lc == u'd') {
      const size_t wd = size_t(DayOfWeek(t) - 1);
      switch (n) {
      case 1:
      case 2:
        out += pad(d.day, n);
        break;
      case 3:
        out += fs.shortDayNames[wd];
        break;
      case 4:
        out += fs.longDayNames[wd];
        break;
      case 5:
        formatInto(out, fs.shortDateFormat, t, fs, depth + 1);
        break;
      default:
        formatInto(out, fs.longDateFormat, t, fs, depth + 1);
        break;
      }
    } else if (lc == u'h') {
      int hour = h.hour;
      if (twelve) {
        hour %= 12;
        if (hour == 0)
          hour = 12;
      }
      out += pad(hour, n >= 2 ? 2 : 1);
    } else if (lc == u'n') {
      out += pad(h.minute, n >= 2 ? 2 : 1);
    } else if (lc == u's') {
      out += pad(h.second, n >= 2 ? 2 : 1);
    } else if (lc == u'z') {
      out += pad(h.msec, n >= 3 ? 3 : 1);
    } else if (lc == u't') {
      formatInto(out, n >= 2 ? fs.longTimeFormat : fs.shortTimeFormat, t, fs, depth + 1);
    } else if (lc == u'c') {
      formatInto(out, fs.shortDateFormat, t, fs, depth + 1);
      if (TimeOfDayMs(t) != 0) {
        out += u' ';
        formatInto(out, fs.longTimeFormat, t, fs, depth + 1);
      }
    } else if (c == u'/') {
      out += fs.dateSeparator;
    } else if (c == u':') {
      out += fs.timeSeparator;
    } else {
      out += c;
    }
    // Minutes follow an hour even across separators, as in "h:mm".
    if (lc == u'h')
      lastWasHour = true;
    else if (lc.isLetter())
      lastWasHour = false;
    i += lc.isLetter() ? n : 1;
  }
}

// Splits a text into its runs of digits: value and number of digits.
QList<std::pair<int, int>> numbers(const QString &text, bool &ok) {
  QList<std::pair<int, int>> out;
  static const QRegularExpression digits(QStringLiteral("\\d+"));
  ok = true;
  for (auto it = digits.globalMatch(text); it.hasNext();) {
    const auto m = it.next();
    if (m.capturedLength() > 9) {
      ok = false;
      return {};
    }
    out << std::pair{m.captured().toInt(), int(m.capturedLength())};
  }
  return out;
}

} // namespace

FormatSettings::FormatSettings() {
  for (size_t i = 0; i < 7; ++i) {
    shortDayNames[i] = QString::fromLatin1(kShortDays[i]);
    longDayNames[i] = QString::fromLatin1(kLongDays[i]);
  }
  for (size_t i = 0; i < 12; ++i) {
    shortMonthNames[i] = QString::fromLatin1(kShortMonths[i]);
    longMonthNames[i] = QString::fromLatin1(kLongMonths[i]);
  }
}

QString QtFormatToClassic(const QString &qt) {
  QString out;
  qsizetype i = 0;
  while (i < qt.size()) {
    const QChar c = qt[i];
    if (c == u'\'') {
      const qsizetype end = qt.indexOf(u'\'', i + 1);
      const qsizetype stop = end < 0 ? qt.size() : end;
      out += u'"' + qt.mid(i + 1, stop - i - 1) + u'"';
      i = stop + 1;
      continue;
    }
    int n = 1;
    while (i + n < qt.size() && qt[i + n] == c)
      ++n;
    const QString run(n, c);
    if (c == u'M')
      out += QString(n, u'm');
    else if (c == u'm')
      out += QString(std::min(n, 2), u'n');
    else if (c == u'H' || c == u'h')
      out += QString(std::min(n, 2), u'h');
    else if (c == u'A' || c == u'a') {
      // "AP" / "ap" / "A" / "a": the locale's AM and PM texts.
      out += QStringLiteral("AMPM");
      if (i + n < qt.size() && (qt[i + n] == u'P' || qt[i + n] == u'p'))
        ++n;
    } else if (c == u't') {
      // Time zone: not part of the program's local times.
    } else if (c == u'd' || c == u'y' || c == u's' || c == u'z')
      out += run;
    else
      out += run;
    i += n;
  }
  return out.trimmed();
}

FormatSettings FormatSettings::fromLocale(const QLocale &locale) {
  FormatSettings fs;
  fs.shortDateFormat = QtFormatToClassic(locale.dateFormat(QLocale::ShortFormat));
  fs.longDateFormat = QtFormatToClassic(locale.dateFormat(QLocale::LongFormat));
  fs.shortTimeFormat = QtFormatToClassic(locale.timeFormat(QLocale::ShortFormat));
  fs.longTimeFormat = QtFormatToClassic(locale.timeFormat(QLocale::LongFormat));
  for (const QChar c : fs.shortDateFormat) {
    if (!c.isLetter() && c != u'"') {
      fs.dateSeparator = c;
      break;
    }
  }
  for (const QChar c : fs.longTimeFormat) {
    if (!c.isLetter() && !c.isSpace() && c != u'"') {
      fs.timeSeparator = c;
      break;
    }
  }
  if (!locale.decimalPoint().isEmpty())
    fs.decimalSeparator = locale.decimalPoint().front();
  if (!locale.amText().isEmpty())
    fs.timeAMString = locale.amText();
  if (!locale.pmText().isEmpty())
    fs.timePMString = locale.pmText();
  for (int i = 0; i < 7; ++i) {
    const int qtDay = i == 0 ? 7 : i; // Qt counts Monday = 1 .. Sunday = 7
    fs.shortDayNames[size_t(i)] = locale.dayName(qtDay, QLocale::ShortFormat);
    fs.longDayNames[size_t(i)] = locale.dayName(qtDay, QLocale::LongFormat);
  }
  for (int i = 0; i < 12; ++i) {
    fs.shortMonthNames[size_t(i)] = locale.monthName(i + 1, QLocale::ShortFormat);
    fs.longMonthNames[size_t(i)] = locale.monthName(i + 1, QLocale::LongFormat);
  }
  return fs;
}

OverrideSlot<FormatSettings> &formatSettingsSlot() {
  static constinit OverrideSlot<FormatSettings> slot{&localeSettings};
  return slot;
}

const FormatSettings &formatSettings() { return formatSettingsSlot().get(); }

void setFormatSettings(const FormatSettings &settings) {
  QMutexLocker l(&settingsLock());
  formatSettingsSlot().get() = settings;
}

QString FormatDateTime(const QString &format, TDateTime t, const FormatSettings &fs) {
  QString out;
  formatInto(out, format.isEmpty() ? QStringLiteral("c") : format, t, fs, 0);
  return out;
}

QString DateToStr(TDateTime t, const FormatSettings &fs) {
  return FormatDateTime(QStringLiteral("ddddd"), t, fs);
}

QString TimeToStr(TDateTime t, const FormatSettings &fs) {
  return FormatDateTime(QStringLiteral("tt"), t, fs);
}

QString DateTimeToStr(TDateTime t, const FormatSettings &fs) {
  return FormatDateTime(QStringLiteral("c"), t, fs);
}

bool TryStrToDate(const QString &text, TDateTime &out, const FormatSettings &fs) {
  bool ok = false;
  const QList<std::pair<int, int>> parts = numbers(text, ok);
  if (!ok || parts.size() < 2 || parts.size() > 3)
    return false;
  // The order of day, month and year in the short date format.
  QString order;
  for (const QChar c : fs.shortDateFormat) {
    const QChar l = c.toLower();
    if ((l == u'd' || l == u'm' || l == u'y') && !order.contains(l))
      order += l;
  }
  if (order.size() != 3)
    order = QStringLiteral("mdy");
  int64_t year = -1;
  int month = 0, day = 0;
  const bool yearGiven = parts.size() == 3;
  int yearDigits = 0;
  qsizetype k = 0;
  for (const QChar field : order) {
    if (field == u'y' && !yearGiven)
      continue;
    if (k >= parts.size())
      return false;
    const int v = parts[k].first;
    if (field == u'y') {
      year = v;
      yearDigits = parts[k].second;
    } else if (field == u'm')
      month = v;
    else
      day = v;
    ++k;
  }
  const int thisYear = static_cast<int>(DecodeDate(currentClock().today()).year);
  if (!yearGiven) {
    year = thisYear;
  } else if (yearDigits <= 2) {
    // Two-digit year (or a one-digit one): place it in the century window.
    const int64_t windowStart = thisYear - fs.twoDigitYearCenturyWindow;
    year += (windowStart / 100) * 100;
    if (fs.twoDigitYearCenturyWindow > 0 && year < windowStart)
      year += 100;
  }
  return TryEncodeDate(year, month, day, out);
}

bool TryStrToTime(const QString &text, TDateTime &out, const FormatSettings &fs) {
  QString s = text.trimmed();
  int addHours = -1; // -1: no AM/PM, 0: AM, 12: PM
  auto stripSuffix = [&s](const QString &suffix) {
    if (!suffix.isEmpty() && s.endsWith(suffix, Qt::CaseInsensitive)) {
      s.chop(suffix.size());
      s = s.trimmed();
      return true;
    }
    return false;
  };
  if (stripSuffix(fs.timeAMString) || stripSuffix(QStringLiteral("AM")))
    addHours = 0;
  else if (stripSuffix(fs.timePMString) || stripSuffix(QStringLiteral("PM")))
    addHours = 12;
  static const QRegularExpression shape(
      QStringLiteral("^(\\d{1,2})(?:\\D(\\d{1,2})(?:\\D(\\d{1,2})(?:[.,](\\d{1,3}))?)?)?$"));
  const auto m = shape.match(s);
  if (!m.hasMatch())
    return false;
  int hour = m.captured(1).toInt();
  const int minute = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
  const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
  int msec = 0;
  if (!m.captured(4).isEmpty()) {
    msec = m.captured(4).toInt();
    for (qsizetype i = m.captured(4).size(); i < 3; ++i)
      msec *= 10;
  }
  if (addHours >= 0) {
    if (hour < 1 || hour > 12)
      return false;
    hour = hour % 12 + addHours;
  }
  return TryEncodeTime(hour, minute, second, msec, out);
}

bool TryStrToDateTime(const QString &text, TDateTime &out, const FormatSettings &fs) {
  const QString s = text.trimmed();
  // The date part ends at the first blank; what follows is the time.
  const qsizetype blank = s.indexOf(QRegularExpression(QStringLiteral("\\s")));
  TDateTime date;
  if (blank < 0) {
    if (!TryStrToDate(s, date, fs))
      return false;
    out = date;
    return true;
  }
  TDateTime time;
  if (!TryStrToDate(s.left(blank), date, fs) || !TryStrToTime(s.mid(blank + 1), time, fs))
    return false;
  out = date + time;
  return true;
}

QString FloatToStr(double value, const FormatSettings &fs) {
  if (std::isnan(value))
    return QStringLiteral("NAN");
  if (std::isinf(value))
    return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  QString s = QString::number(value, 'g', 15);
  if (fs.decimalSeparator != u'.')
    s.replace(u'.', fs.decimalSeparator);
  return s;
}

bool TryStrToFloat(const QString &text, double &out, const FormatSettings &fs) {
  QString s = text.trimmed();
  if (s.isEmpty())
    return false;
  if (fs.decimalSeparator != u'.')
    s.replace(fs.decimalSeparator, u'.');
  bool ok = false;
  const double v = QLocale::c().toDouble(s, &ok);
  if (!ok)
    return false;
  out = v;
  return true;
}
