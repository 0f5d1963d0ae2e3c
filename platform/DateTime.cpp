#include "platform/DateTime.h"

#include "platform/Errors.h"

#include <cmath>

namespace {

// Days between 1899-12-30 and 1970-01-01, the epoch of the civil algorithms below.
constexpr int64_t kEpochShift = 25'569;

int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0)))
    --q;
  return q;
}

int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t civilToUnixDays(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = floorDiv(y, 400);
  const int64_t yoe = y - era * 400;
  const int64_t mp = (m + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146'097 + doe - 719'468;
}

DateParts unixDaysToCivil(int64_t z) {
  z += 719'468;
  const int64_t era = floorDiv(z, 146'097);
  const int64_t doe = z - era * 146'097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {y, m, d};
}

} // namespace

bool IsLeapYear(int64_t year) {
  return floorMod(year, 4) == 0 && (floorMod(year, 100) != 0 || floorMod(year, 400) == 0);
}

int DaysInAMonth(int64_t year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12)
    return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int DaysInAYear(int64_t year) { return IsLeapYear(year) ? 366 : 365; }

int64_t DaysFromCivil(int64_t year, int month, int day) {
  return civilToUnixDays(year, month, day) + kEpochShift;
}

bool TryEncodeDate(int64_t year, int month, int day, TDateTime &out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month))
    return false;
  out = TDateTime(DaysFromCivil(year, month, day) * MsPerDay);
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
      msec > 999)
    return false;
  out = TDateTime(((int64_t(hour) * 60 + minute) * 60 + second) * 1000 + msec);
  return true;
}

TDateTime EncodeDate(int64_t year, int month, int day) {
  TDateTime t;
  if (!TryEncodeDate(year, month, day, t))
    throw EConvertError(QStringLiteral("Invalid argument to date encode"));
  return t;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, minute, second, msec, t))
    throw EConvertError(QStringLiteral("Invalid argument to time encode"));
  return t;
}

TDateTime EncodeDateTime(int64_t year, int month, int day, int hour, int minute, int second,
                         int msec) {
  return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, msec);
}

int64_t DayNumber(TDateTime t) { return floorDiv(t.ms, MsPerDay); }
TDateTime DateOf(TDateTime t) { return TDateTime(DayNumber(t) * MsPerDay); }
int64_t TimeOfDayMs(TDateTime t) { return floorMod(t.ms, MsPerDay); }
TDateTime TimeOf(TDateTime t) { return TDateTime(TimeOfDayMs(t)); }

DateParts DecodeDate(TDateTime t) { return unixDaysToCivil(DayNumber(t) - kEpochShift); }

TimeParts DecodeTime(TDateTime t) {
  int64_t ms = TimeOfDayMs(t);
  TimeParts p;
  p.msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  p.second = static_cast<int>(ms % 60);
  ms /= 60;
  p.minute = static_cast<int>(ms % 60);
  p.hour = static_cast<int>(ms / 60);
  return p;
}

void DecodeDate(TDateTime t, int64_t &year, int &month, int &day) {
  const DateParts p = DecodeDate(t);
  year = p.year;
  month = p.month;
  day = p.day;
}

void DecodeDate(TDateTime t, int &year, int &month, int &day) {
  const DateParts p = DecodeDate(t);
  year = static_cast<int>(p.year);
  month = p.month;
  day = p.day;
}

void DecodeTime(TDateTime t, int &hour, int &minute, int &second, int &msec) {
  const TimeParts p = DecodeTime(t);
  hour = p.hour;
  minute = p.minute;
  second = p.second;
  msec = p.msec;
}

int DayOfWeek(TDateTime t) {
  // 1899-12-30 was a Saturday (7).
  return static_cast<int>(floorMod(DayNumber(t) - 1, 7)) + 1;
}

int DayOfTheWeek(TDateTime t) {
  // 1899-12-30 was ISO day 6.
  return static_cast<int>(floorMod(DayNumber(t) + 5, 7)) + 1;
}

int DayOfTheYear(TDateTime t) {
  const DateParts p = DecodeDate(t);
  return static_cast<int>(DayNumber(t) - DaysFromCivil(p.year, 1, 1)) + 1;
}

TDateTime IncMonth(TDateTime t, int64_t months) {
  const DateParts p = DecodeDate(t);
  const int64_t total = p.year * 12 + (p.month - 1) + months;
  const int64_t year = floorDiv(total, 12);
  const int month = static_cast<int>(floorMod(total, 12)) + 1;
  const int day = std::min(p.day, DaysInAMonth(year, month));
  return TDateTime(DaysFromCivil(year, month, day) * MsPerDay + TimeOfDayMs(t));
}

TDateTime IncYear(TDateTime t, int64_t years) { return IncMonth(t, years * 12); }

double ToDays(TDateTime t) {
  const int64_t day = DayNumber(t);
  const int64_t time = TimeOfDayMs(t);
  const double fraction = static_cast<double>(time) / static_cast<double>(MsPerDay);
  return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}

TDateTime FromDays(double days) {
  if (std::isnan(days))
    return TDateTime();
  constexpr double kLimit = 1e8; // far beyond year 9999, well inside int64 milliseconds
  if (days > kLimit)
    days = kLimit;
  if (days < -kLimit)
    days = -kLimit;
  const int64_t total = static_cast<int64_t>(std::nearbyint(days * static_cast<double>(MsPerDay)));
  // The whole part is the day (truncated toward zero); the fraction is always a time of day.
  const int64_t day = total / MsPerDay;
  int64_t time = total % MsPerDay;
  if (time < 0)
    time = -time;
  return TDateTime(day * MsPerDay + time);
}

QString DateTimeToIso(TDateTime t) {
  const DateParts d = DecodeDate(t);
  const TimeParts h = DecodeTime(t);
  return QString::asprintf("%.4lld-%.2d-%.2dT%.2d:%.2d:%.2d.%.3d", static_cast<long long>(d.year),
                           d.month, d.day, h.hour, h.minute, h.second, h.msec);
}

bool TryIsoToDateTime(const QString &text, TDateTime &out) {
  const QString s = text.trimmed();
  auto number = [&s](qsizetype from, qsizetype len, int &value) {
    if (from + len > s.size())
      return false;
    value = 0;
    for (qsizetype i = from; i < from + len; ++i) {
      if (!s[i].isDigit() || s[i].unicode() > '9')
        return false;
      value = value * 10 + (s[i].unicode() - '0');
    }
    return true;
  };
  int y = 0, m = 0, d = 0, hh = 0, nn = 0, ss = 0, zzz = 0;
  if (!number(0, 4, y) || s.size() < 10 || s[4] != u'-' || !number(5, 2, m) || s[7] != u'-' ||
      !number(8, 2, d))
    return false;
  TDateTime date;
  if (!TryEncodeDate(y, m, d, date))
    return false;
  qsizetype pos = 10;
  if (pos < s.size()) {
    if (s[pos] != u'T' && s[pos] != u' ')
      return false;
    if (!number(pos + 1, 2, hh) || pos + 3 >= s.size() || s[pos + 3] != u':' ||
        !number(pos + 4, 2, nn))
      return false;
    pos += 6;
    if (pos < s.size()) {
      if (s[pos] != u':' || !number(pos + 1, 2, ss))
        return false;
      pos += 3;
      if (pos < s.size()) {
        if (s[pos] != u'.' && s[pos] != u',')
          return false;
        // One to three digits of fraction: "5" is 500 ms.
        const qsizetype digits = s.size() - pos - 1;
        if (digits < 1 || digits > 3 || !number(pos + 1, digits, zzz))
          return false;
        for (qsizetype i = digits; i < 3; ++i)
          zzz *= 10;
      }
    }
  }
  TDateTime time;
  if (!TryEncodeTime(hh, nn, ss, zzz, time))
    return false;
  out = date + time;
  return true;
}
