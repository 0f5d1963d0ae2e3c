#pragma once

#include <QString>

#include <compare>
#include <cstdint>

// A moment on the local wall-clock time line, or a span of time, held exactly as whole milliseconds
// since 1899-12-30 00:00 (no time zone). The value 0 means "not set". All arithmetic is integer
// arithmetic, so moments built from sums of minutes, hours and days compare exactly.
struct TDateTime {
  int64_t ms = 0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(int64_t milliseconds) : ms(milliseconds) {}

  [[nodiscard]] constexpr bool isSet() const { return ms != 0; }

  // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 takes the defaulted <=> for a literal 0.
  constexpr auto operator<=>(const TDateTime &) const = default;

  constexpr TDateTime operator+(TDateTime o) const { return TDateTime(ms + o.ms); }
  constexpr TDateTime operator-(TDateTime o) const { return TDateTime(ms - o.ms); }
  constexpr TDateTime operator-() const { return TDateTime(-ms); }
  constexpr TDateTime operator*(int64_t k) const { return TDateTime(ms * k); }
  constexpr TDateTime &operator+=(TDateTime o) {
    ms += o.ms;
    return *this;
  }
  constexpr TDateTime &operator-=(TDateTime o) {
    ms -= o.ms;
    return *this;
  }
};

constexpr TDateTime operator*(int64_t k, TDateTime t) { return TDateTime(k * t.ms); }

inline constexpr int64_t MsPerDay = 86'400'000;
inline constexpr TDateTime OneMillisecond{1};
inline constexpr TDateTime OneSecond{1'000};
inline constexpr TDateTime OneMinute{60'000};
inline constexpr TDateTime OneHour{3'600'000};
inline constexpr TDateTime OneDay{MsPerDay};

// --- Calendar ---------------------------------------------------------------------------------
// None of these throws or overflows for any value a 64-bit millisecond count can reach through the
// program's own arithmetic; years far outside 1..9999 simply come out as large numbers.

[[nodiscard]] bool IsLeapYear(int64_t year);
[[nodiscard]] int DaysInAMonth(int64_t year, int month); // 0 for a month outside 1..12
[[nodiscard]] int DaysInAYear(int64_t year);

// Day number (days since 1899-12-30) of a civil date; month and day are not checked.
[[nodiscard]] int64_t DaysFromCivil(int64_t year, int month, int day);

// Checked builders. The Try... forms give false for an invalid date or time;
// the plain forms raise EConvertError.
[[nodiscard]] bool TryEncodeDate(int64_t year, int month, int day, TDateTime &out);
[[nodiscard]] bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime &out);
[[nodiscard]] TDateTime EncodeDate(int64_t year, int month, int day);
[[nodiscard]] TDateTime EncodeTime(int hour, int minute, int second, int msec);
[[nodiscard]] TDateTime EncodeDateTime(int64_t year, int month, int day, int hour, int minute,
                                       int second, int msec);

struct DateParts {
  int64_t year = 0;
  int month = 0;
  int day = 0;
};
struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int msec = 0;
};

[[nodiscard]] DateParts DecodeDate(TDateTime t);
[[nodiscard]] TimeParts DecodeTime(TDateTime t);
void DecodeDate(TDateTime t, int64_t &year, int &month, int &day);
void DecodeDate(TDateTime t, int &year, int &month, int &day);
void DecodeTime(TDateTime t, int &hour, int &minute, int &second, int &msec);

[[nodiscard]] int64_t DayNumber(TDateTime t); // whole days since 1899-12-30, rounded down
[[nodiscard]] TDateTime DateOf(TDateTime t);  // midnight of the day of t
[[nodiscard]] TDateTime TimeOf(TDateTime t);  // the time of day of t, 0 <= TimeOf < OneDay
[[nodiscard]] int64_t TimeOfDayMs(TDateTime t);

// 1 = Sunday ... 7 = Saturday (the toolkit's DayOfWeek).
[[nodiscard]] int DayOfWeek(TDateTime t);
// 1 = Monday ... 7 = Sunday (ISO).
[[nodiscard]] int DayOfTheWeek(TDateTime t);
// 1 for the first of January.
[[nodiscard]] int DayOfTheYear(TDateTime t);

// Adds months, keeping the time of day; the day is clamped to the last day of the target month.
[[nodiscard]] TDateTime IncMonth(TDateTime t, int64_t months);
[[nodiscard]] TDateTime IncYear(TDateTime t, int64_t years);

// --- Edges: the day-based floating point value and ISO text ------------------------------------

// The day-based value: whole days since 1899-12-30, the fraction the time of day. For days before
// 1899-12-30 the fraction is subtracted (-1.25 is 1899-12-29 06:00), as the log format has it.
[[nodiscard]] double ToDays(TDateTime t);
// Rounds to the nearest millisecond (ties to even). Values beyond +-1e15 days are clamped.
[[nodiscard]] TDateTime FromDays(double days);

// "YYYY-MM-DDTHH:NN:SS.ZZZ"
[[nodiscard]] QString DateTimeToIso(TDateTime t);
// Accepts the text above; the fraction and the seconds may be missing, and a date alone is a
// midnight. Gives false for anything else, including an invalid date.
[[nodiscard]] bool TryIsoToDateTime(const QString &text, TDateTime &out);
