#include "model/Schedule.h"

#include "platform/Clock.h"

#include <QHash>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

// Every moment and span is held within +-2^53 ms (about 285,000 years) before it takes part in
// arithmetic, so that sums of a handful of them can never overflow, whatever a file holds.
constexpr int64_t kFar = int64_t(1) << 53;

constexpr TDateTime kNoStopSpan = OneDay * 800; // the schedule's end when the stop bound is off

// A run window holds at most about 63 candidates (an Hourly rule every minute plus the extra
// hour); the bound only guards against data no editor writes.
constexpr int64_t kMaxPasses = 4096;
// The next-run walk visits one run window after another; two days of one-minute windows at most.
constexpr int kMaxWindows = 3000;

TDateTime bounded(TDateTime t) { return TDateTime(std::clamp(t.ms, -kFar, kFar)); }

// count units of unitMs milliseconds, saturated at the limit.
TDateTime span(int64_t count, int64_t unitMs) {
  const int64_t limit = kFar / unitMs;
  return TDateTime(std::clamp(count, -limit, limit) * unitMs);
}

int64_t floorMod(int64_t a, int64_t b) {
  const int64_t r = a % b;
  return r < 0 ? r + b : r;
}

TDateTime clockNow() { return bounded(currentClock().now()); }

TDateTime hourFloor(TDateTime t) {
  return DateOf(t) + TDateTime(TimeOfDayMs(t) / OneHour.ms * OneHour.ms);
}

int minuteOfHour(TDateTime t) { return static_cast<int>(TimeOfDayMs(t) / OneMinute.ms % 60); }

bool isRepeating(TRepeatType t) {
  return static_cast<int>(t) >= static_cast<int>(TRepeatType::Minutely) &&
         static_cast<int>(t) <= static_cast<int>(TRepeatType::Annually);
}

bool isKnownType(TRepeatType t) { return t == TRepeatType::Once || isRepeating(t); }

// A duration that is switched on but not longer than zero counts as off: its due window would
// be empty, so the reminder could never fire, and a firing would end at once.
bool durationCounts(const TDurationRec &d) {
  return d.enable && MeasureToDays(d.value1) + MeasureToDays(d.value2) > TDateTime();
}

} // namespace

// --- Lengths, bounds and day lists ------------------------------------------------------------

TDateTime MeasureToDays(const TValueRec &v) {
  switch (v.measure) {
  case TMeasure::Minute:
    return span(v.value, OneMinute.ms);
  case TMeasure::Hour:
    return span(v.value, OneHour.ms);
  case TMeasure::Day:
    return span(v.value, MsPerDay);
  case TMeasure::Week:
    return span(int64_t(v.value) * 7, MsPerDay);
  case TMeasure::Month: {
    const DateParts today = DecodeDate(clockNow());
    return span(int64_t(v.value) * DaysInAMonth(today.year, today.month), MsPerDay);
  }
  case TMeasure::Year:
    return span(int64_t(v.value) * DaysInAYear(DecodeDate(clockNow()).year), MsPerDay);
  default:
    return {};
  }
}

TDateTime GetRepeatInterval(const TMainRepeatRec &repeat) {
  switch (repeat.value1.measure) {
  case TMeasure::Minute:
  case TMeasure::Hour:
  case TMeasure::Day:
    return MeasureToDays(repeat.value1);
  case TMeasure::Week:
  case TMeasure::Month:
  case TMeasure::Year:
    return OneDay;
  default:
    return {};
  }
}

TDateTime GetDurationDays(const TDurationRec &duration) {
  if (!durationCounts(duration))
    return OneSecond;
  return MeasureToDays(duration.value1) + MeasureToDays(duration.value2);
}

TDateTime GetStartBoundTime(const TStartBoundRec &startBound, TDateTime m) {
  m = bounded(m);
  switch (startBound.type) {
  case TStartBoundType::AfterDefinedTime:
    return DateOf(m) + TimeOf(bounded(startBound.dt));
  case TStartBoundType::AfterDefinedDateTime:
    return bounded(startBound.dt);
  case TStartBoundType::AfterWindowsStart:
    return TruncateToMinute(bounded(currentClock().systemStartTime()));
  default:
    return {};
  }
}

TDateTime GetStopBoundTime(const TStartBoundRec &startBound, const TStopBoundRec &stopBound,
                           TDateTime m) {
  m = bounded(m);
  const TDateTime s = GetStartBoundTime(startBound, m);
  if (!stopBound.enable) {
    // Counted from the later of the start and m: counted from a fixed start date alone, a
    // reminder would stop firing for good 800 days after that date.
    return std::max(s, m) + kNoStopSpan;
  }
  switch (stopBound.type) {
  case TStopBoundType::UntilDefinedTime:
    return DateOf(m) + TimeOf(bounded(stopBound.dt)); // on m's date, not the start's
  case TStopBoundType::UntilDefinedDateTime:
    return bounded(stopBound.dt);
  case TStopBoundType::WithinHourlyLimits:
  case TStopBoundType::WithinDailyLimits:
    return s + MeasureToDays(stopBound.value);
  case TStopBoundType::UntilHourEnd:
    return hourFloor(s) + OneHour;
  case TStopBoundType::UntilMidnight:
    return DateOf(s) + OneDay;
  case TStopBoundType::UntilWeekEnd:
    return DateOf(s) + OneDay * (8 - DayOfTheWeek(s));
  case TStopBoundType::UntilMonthEnd: {
    const DateParts d = DecodeDate(s);
    return DateOf(s) + OneDay * (DaysInAMonth(d.year, d.month) - d.day + 1);
  }
  case TStopBoundType::UntilYearEnd:
    return DateOf(s) + OneDay * (DaysInAYear(DecodeDate(s).year) - DayOfTheYear(s) + 1);
  default:
    return {};
  }
}

TDateTime TruncateToMinute(TDateTime m) {
  m = bounded(m);
  return DateOf(m) + TDateTime(TimeOfDayMs(m) / OneMinute.ms * OneMinute.ms);
}

bool DayListContains(const QString &list, int64_t day) {
  char digits[24];
  const int len = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(day));
  const qsizetype size = list.size();
  for (qsizetype i = 0; i + len + 1 < size; ++i) {
    if (list[i] != u'(' || list[i + len + 1] != u')')
      continue;
    bool same = true;
    for (int k = 0; k < len && same; ++k)
      same = list[i + 1 + k] == QLatin1Char(digits[k]);
    if (same)
      return true;
  }
  return false;
}

TDaySet ParseDayList(const QString &list) {
  // "(n)" occurs exactly where a "(" is followed by the plain decimal digits of n and a ")":
  // the digit run after the "(" must be all of it, without leading zeros.
  TDaySet days;
  const qsizetype size = list.size();
  for (qsizetype i = 0; i < size; ++i) {
    if (list[i] != u'(')
      continue;
    qsizetype j = i + 1;
    int64_t n = 0;
    while (j < size && list[j] >= u'0' && list[j] <= u'9' && j - i <= 4) {
      n = n * 10 + (list[j].unicode() - u'0');
      ++j;
    }
    const qsizetype len = j - i - 1;
    const bool canonical = len == 1 || (len > 1 && list[i + 1] != u'0');
    if (len >= 1 && canonical && j < size && list[j] == u')' && n < int64_t(days.size()))
      days.set(static_cast<std::size_t>(n));
  }
  return days;
}

// --- The schedule of one reminder -------------------------------------------------------------

namespace {

TDateTime startOf(const TDataObject &r, TDateTime m) { return GetStartBoundTime(r.startBound, m); }

TDateTime stopOf(const TDataObject &r, TDateTime m) {
  return GetStopBoundTime(r.startBound, r.stopBound, m);
}

bool insideBounds(const TDataObject &r, TDateTime m) {
  return m >= startOf(r, m) && (!r.stopBound.enable || m <= stopOf(r, m));
}

bool mayFire(const TDataObject &r, const QString &editingId) {
  return r.enable && r.state == TReminderState::Active && !r.IsEditing(editingId);
}

// How long the current firing has lasted since its due moment: on the monotonic clock when it
// noted its tick (a wall clock set back an hour kept a firing open an hour too long), else on
// the wall clock.
TDateTime firingAge(const TFiringState &f, TDateTime m) {
  if (f.fireTick)
    return TDateTime(static_cast<uint32_t>(currentClock().tickCount() - *f.fireTick));
  return m - bounded(f.fireTime);
}

// Whether a firing shows something the user can close. One that does not (a program or a mail
// alone) would last until a close nobody can give: it ends with its due second instead.
bool closable(const TDataObject &r) { return r.sticker.enable || r.tray; }

// Whether the current firing has lasted its time: its duration, or without one its second when
// nothing of it can be closed.
bool firingOver(const TDataObject &r, const TFiringState &f, TDateTime m) {
  if (durationCounts(r.duration))
    return firingAge(f, m) >= GetDurationDays(r.duration);
  return !closable(r) && firingAge(f, m) >= OneSecond;
}

// "Daily every N days" with a start "after defined time": that start is re-anchored at every
// date, so the run window never spans more than one day and the rule would fire every day. The
// N days are counted from the start bound's date instead. 0 when the rule is not of this kind.
int64_t dailySpacing(const TDataObject &r, TDateTime interval) {
  if (r.repeat.type != TRepeatType::Daily ||
      r.startBound.type != TStartBoundType::AfterDefinedTime || interval <= OneDay ||
      interval.ms % MsPerDay != 0)
    return 0;
  return interval.ms / MsPerDay;
}

bool onSpacedDay(const TDataObject &r, TDateTime c, int64_t spacing) {
  return spacing == 0 || floorMod(DayNumber(c) - DayNumber(bounded(r.startBound.dt)), spacing) == 0;
}

// The part of the due test that depends on the moment alone: the minute of an Hourly rule, the
// time of day of the day-based rules. Checked first because it rules out nearly every tick.
bool timeAccepts(const TDataObject &r, TDateTime m) {
  switch (r.repeat.type) {
  case TRepeatType::Minutely:
    return true;
  case TRepeatType::Hourly:
    // A minute outside 0..59 (from a file) never matches: such a rule is never due.
    return minuteOfHour(m) == r.repeat.value2.value;
  case TRepeatType::Daily:
  case TRepeatType::Weekly:
  case TRepeatType::Monthly:
  case TRepeatType::Annually:
    return TimeOfDayMs(m) >= TimeOfDayMs(bounded(r.repeat.dt));
  default:
    return false;
  }
}

bool dayAccepts(const TDataObject &r, TDateTime c, TDateTime m, int64_t spacing) {
  switch (r.repeat.type) {
  case TRepeatType::Daily:
    return onSpacedDay(r, c, spacing);
  case TRepeatType::Weekly:
    return DayListContains(r.repeat.days, DayOfTheWeek(m));
  case TRepeatType::Monthly:
    return DayListContains(r.repeat.days, DecodeDate(m).day);
  case TRepeatType::Annually:
    // Days of the year as numbered in m's own year; no leap shift here.
    return DayListContains(r.repeat.days, DayOfTheYear(m));
  default:
    return true;
  }
}

// The candidate moment that an interval boundary occ of the run window at m stands for.
TDateTime candidateAt(const TDataObject &r, TDateTime occ, TDateTime m) {
  switch (r.repeat.type) {
  case TRepeatType::Minutely:
    return occ;
  case TRepeatType::Hourly:
    // Composed arithmetically, so that a minute outside 0..59 cannot raise.
    return hourFloor(occ) + span(r.repeat.value2.value, OneMinute.ms) +
           TDateTime(TimeOfDayMs(occ) % OneMinute.ms);
  case TRepeatType::Daily:
    return DateOf(occ) + TimeOf(bounded(r.repeat.dt));
  default: // Weekly, Monthly, Annually: the same candidate in every pass
    return DateOf(m) + TimeOf(bounded(r.repeat.dt));
  }
}

// Whether the record of firings and user closes is consulted.
enum class Guards { Recorded, Ignored };

// The due test of a repeating rule at m:
//  1. the run window [start, stop) around m; n whole intervals fit in it;
//  2. for k = 0..n the boundary start + k*I stands for a candidate c; a candidate at or after
//     stop ends the search;
//  3. c is due when m lies in its window [c, c + D), neither a firing nor a user close already
//     lies in that window, and m (or c) matches the rule's minute, time of day or day list.
// With `only` set, just that candidate may answer: the next-run search uses this to ask whether
// a moment is an occurrence in its own right.
std::optional<TDateTime> dueCandidate(const TDataObject &r, const TFiringState &f, TDateTime m,
                                      Guards guards, std::optional<TDateTime> only = std::nullopt) {
  const TDateTime interval = GetRepeatInterval(r.repeat);
  // An interval of zero or less (from a file) is never due; nothing may divide by it.
  if (interval <= TDateTime() || !isRepeating(r.repeat.type) || !timeAccepts(r, m))
    return std::nullopt;
  const TRunWindow w = r.GetRunWindow(m);
  int64_t n = (w.stop - w.start).ms / interval.ms;
  if (n < 0)
    return std::nullopt;
  const bool sameEveryPass = r.repeat.type == TRepeatType::Weekly ||
                             r.repeat.type == TRepeatType::Monthly ||
                             r.repeat.type == TRepeatType::Annually;
  n = sameEveryPass ? 0 : std::min(n, kMaxPasses);
  const TDateTime d = GetDurationDays(r.duration);
  const TDateTime fired = bounded(f.fireTime);
  const TDateTime ran = bounded(r.LastRunDue);
  const TDateTime closed = bounded(r.lastCloseByUserDt);
  const int64_t spacing = dailySpacing(r, interval);
  for (int64_t k = 0; k <= n; ++k) {
    const TDateTime c = candidateAt(r, w.start + interval * k, m);
    if (c >= w.stop)
      return std::nullopt;
    if (only && c != *only)
      continue;
    if (m < c || m >= c + d)
      continue;
    if (guards == Guards::Recorded && ((c <= fired && fired < c + d) || (c <= ran && ran < c + d) ||
                                       (c <= closed && closed < c + d)))
      continue;
    // The candidate itself must lie inside the bounds too, not only m: a window that opened
    // before the start bound would otherwise be joined late, at a run the next-run
    // computation never lists.
    if (dayAccepts(r, c, m, spacing) && insideBounds(r, c))
      return c;
  }
  return std::nullopt;
}

// Whether the due test, meeting c with nothing fired or closed yet, would fire c at c itself.
bool isOccurrence(const TDataObject &r, TDateTime c) {
  return dueCandidate(r, TFiringState(), c, Guards::Ignored, c).has_value();
}

// The earliest candidate that a run window starting at or after s can hold.
TDateTime earliestCandidateFrom(const TDataObject &r, TDateTime s) {
  switch (r.repeat.type) {
  case TRepeatType::Hourly:
    return hourFloor(s);
  case TRepeatType::Daily:
    return DateOf(s);
  default:
    return s;
  }
}

// The next run of a Minutely, Hourly or Daily rule: the earliest candidate at or after m that
// the due test itself would fire.
//  1. Visit one run window after the other, from the window around m, and keep the earliest
//     candidate at or after m that is an occurrence in its own right.
//  2. The next window is one interval on. With a start "after defined time" the rhythm begins
//     afresh every day, so the next date's first window comes next when it is nearer (for
//     "every N days", the next date of that rhythm). A re-anchored window can hold a run before
//     one already found in the window before it, hence step 3.
//     A stop "until defined time" lies on the date of the moment asked about, so one interval
//     seen from a later date holds more of its runs: the walk also visits the next midnight.
//  3. An empty window (the stop not after the start) holds nothing, but a later one may: the
//     walk goes on past it. Stopping there left "every 3 days, until the start's time of day"
//     without a next run for two days after each run.
//  4. Stop when no later window can hold an earlier candidate, or when the walk gets beyond
//     reach (one interval, at least a day, plus a day): then there is no run, or the schedule
//     stopped first.
TDateTime nextByWalk(const TDataObject &r, TDateTime m, TDateTime interval, TRunWindow w) {
  const bool dailyStart = r.startBound.type == TStartBoundType::AfterDefinedTime;
  const bool dailyStop = r.stopBound.enable && r.stopBound.type == TStopBoundType::UntilDefinedTime;
  const int64_t spacing = dailySpacing(r, interval);
  const TDateTime reach = std::max(m, w.start) + std::max(interval, OneDay) + OneDay;
  std::optional<TDateTime> best;
  TDateTime x = m;
  for (int step = 0; step < kMaxWindows; ++step) {
    if (step > 0)
      w = r.GetRunWindow(x);
    const int64_t n =
        w.stop > w.start ? std::min((w.stop - w.start).ms / interval.ms, kMaxPasses) : -1;
    for (int64_t k = 0; k <= n; ++k) {
      // Candidates of one window never decrease with k: the first occurrence is its earliest.
      const TDateTime c = candidateAt(r, w.start + interval * k, x);
      if (c >= w.stop || (best && c >= *best))
        break;
      if (c >= m && isOccurrence(r, c)) {
        best = c;
        break;
      }
    }
    TDateTime next = std::max(w.start + interval, x + OneMillisecond);
    if (dailyStop)
      next = std::min(next, DateOf(x) + OneDay);
    if (dailyStart) {
      const int64_t day = DayNumber(x) + 1;
      const int64_t skip =
          spacing > 0 ? floorMod(DayNumber(bounded(r.startBound.dt)) - day, spacing) : 0;
      next = std::min(next, OneDay * (day + skip));
    }
    if (next <= x || next > reach || (best && earliestCandidateFrom(r, next) > *best))
      break;
    x = next;
  }
  return best.value_or(TDateTime());
}

// The next run of a Weekly, Monthly or Annually rule: the first day of the list, from the run
// window's start date on, whose run time lies at or after m and inside the bounds.
TDateTime nextByDayList(const TDataObject &r, TDateTime m, TDateTime start) {
  const TDaySet days = ParseDayList(r.repeat.days);
  if (days.none())
    return {};
  const TDateTime runTime = TimeOf(bounded(r.repeat.dt));
  int searchDays = 7;
  int shift = 0;
  if (r.repeat.type == TRepeatType::Monthly) {
    searchDays = 61;
  } else if (r.repeat.type == TRepeatType::Annually) {
    searchDays = 366;
    // The list numbers the days of the current year; for a moment in another year, a leap
    // current year moves every day from 29 February on by one.
    const int64_t thisYear = DecodeDate(clockNow()).year;
    if (thisYear != DecodeDate(m).year && IsLeapYear(thisYear))
      shift = 1;
  }
  // Step the calendar by hand: decoding every one of up to 367 days would cost more than the
  // whole due test.
  TDateTime d = DateOf(start);
  DateParts date = DecodeDate(d);
  int weekDay = DayOfTheWeek(d);
  int yearDay = DayOfTheYear(d);
  for (int i = 0; i <= searchDays; ++i) {
    int key = weekDay;
    if (r.repeat.type == TRepeatType::Monthly)
      key = date.day;
    else if (r.repeat.type == TRepeatType::Annually)
      key = yearDay >= 60 ? yearDay + shift : yearDay;
    if (days.test(static_cast<std::size_t>(key))) {
      TDateTime c = d + runTime;
      if (c < m)
        c = TDateTime();
      const TDateTime at = r.GetRunAt(c);
      if (at > TDateTime())
        return at;
    }
    d += OneDay;
    weekDay = weekDay % 7 + 1;
    ++yearDay;
    if (++date.day > DaysInAMonth(date.year, date.month)) {
      date.day = 1;
      if (++date.month > 12) {
        date.month = 1;
        ++date.year;
        yearDay = 1;
      }
    }
  }
  return {};
}

// The next run at or after m of the schedule alone (without the remind-again window).
TDateTime nextRun(const TDataObject &o, TDateTime m) {
  const TMainRepeatRec &repeat = o.repeat;
  const TStopBoundRec &stopBound = o.stopBound;
  TDateTime r;
  const TDateTime interval = GetRepeatInterval(repeat);
  if (repeat.type == TRepeatType::Once) {
    if (m <= bounded(repeat.dt))
      r = bounded(repeat.dt);
  } else if (interval > TDateTime()) {
    const TRunWindow w = o.GetRunWindow(m);
    const bool walks = repeat.type == TRepeatType::Minutely || repeat.type == TRepeatType::Hourly ||
                       repeat.type == TRepeatType::Daily;
    // No run in an empty window: GetNextRunTime then falls back to a pending remind-again start,
    // as for any schedule without a run, where stopping short would show no next run at all.
    if (!walks && stopBound.enable && w.start >= w.stop)
      return {};
    switch (repeat.type) {
    case TRepeatType::Minutely:
    case TRepeatType::Hourly:
    case TRepeatType::Daily:
      r = nextByWalk(o, m, interval, w);
      break;
    case TRepeatType::Weekly:
    case TRepeatType::Monthly:
    case TRepeatType::Annually:
      r = nextByDayList(o, m, w.start);
      break;
    default:
      break;
    }
    // A run in the last second before the stop does not count.
    if (r > TDateTime() && stopBound.enable && stopOf(o, r) - OneSecond < r)
      r = TDateTime();
  }
  return r != TDateTime() ? o.GetRunAt(r) : r;
}

// Whether "no run" found at m still holds at a later moment of the same run window and day.
// A day-list rule searches the same days from the window's start, only fewer of them lie ahead;
// a one-time reminder has its one fixed run; a schedule whose stop is a fixed moment has no run
// once that has passed. A walk of a rhythm reaches a span from the moment asked about, so a later
// moment may reach one more run.
bool noRunHolds(const TDataObject &o, TDateTime m) {
  switch (o.repeat.type) {
  case TRepeatType::Once:
  case TRepeatType::Weekly:
  case TRepeatType::Monthly:
  case TRepeatType::Annually:
    return true;
  default:
    break;
  }
  if (!o.stopBound.enable)
    return false;
  const bool fixedStop = o.stopBound.type == TStopBoundType::UntilDefinedDateTime ||
                         (o.stopBound.type != TStopBoundType::UntilDefinedTime &&
                          o.startBound.type != TStartBoundType::AfterDefinedTime);
  return fixedStop && m > stopOf(o, m);
}

// The next run at m: the schedule's own, else the start of a remind-again window still ahead.
TDateTime withRemindAgain(const TDataObject &o, TDateTime m, TDateTime scheduled) {
  if (scheduled.isSet() || !o.remindAfter.enable)
    return scheduled;
  return bounded(o.remindAfter.dtStart) >= m ? bounded(o.remindAfter.dtStart) : TDateTime();
}

// The latest run r with from < r <= limit, or 0. Searched back from the limit in growing spans,
// then forward run by run inside the first span that holds one: bounded however long the span
// between from and limit (a week asleep with a one-minute rhythm).
TDateTime latestRunIn(const TDataObject &o, TDateTime from, TDateTime limit) {
  constexpr int kMaxSteps = 2000;
  for (const TDateTime span :
       {OneMinute, OneHour, OneDay, OneDay * 8, OneDay * 32, OneDay * 367, kNoStopSpan}) {
    const TDateTime s = std::max(from, limit - span);
    TDateTime found = nextRun(o, s + OneMillisecond);
    if (found != TDateTime() && found <= limit) {
      for (int step = 0; step < kMaxSteps; ++step) {
        const TDateTime later = nextRun(o, found + OneMillisecond);
        if (later == TDateTime() || later > limit || later <= found)
          break;
        found = later;
      }
      return found;
    }
    if (s == from)
      break;
  }
  return {};
}

// The searches GetNextRunTime has made, and the epoch ForgetNextRuns moves on.
uint64_t nextRunSearches = 0;
uint32_t scheduleEpoch = 0;

// One step of a 64-bit hash (splitmix64's finaliser over the running value and the word).
uint64_t mix(uint64_t h, uint64_t word) {
  uint64_t z = h ^ (word + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2));
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

uint64_t pair(const TValueRec &v) {
  return (uint64_t(uint32_t(v.value)) << 8) | uint64_t(static_cast<uint8_t>(v.measure));
}

// Everything the schedule's next run at m depends on besides m itself: the fields of the
// schedule, the dates of m and of the clock (month and year lengths, the annual list's leap shift),
// the minute the system started when the schedule starts with it, and the epoch.
uint64_t memoKey(const TDataObject &r, TDateTime m) {
  uint64_t h = mix(scheduleEpoch, uint64_t(DayNumber(m)));
  h = mix(h, uint64_t(DayNumber(clockNow())));
  h = mix(h, (uint64_t(static_cast<uint8_t>(r.repeat.type)) << 16) |
                 (uint64_t(static_cast<uint8_t>(r.startBound.type)) << 8) |
                 (uint64_t(static_cast<uint8_t>(r.stopBound.type)) << 1) | r.stopBound.enable);
  h = mix(h, pair(r.repeat.value1));
  h = mix(h, pair(r.repeat.value2));
  h = mix(h, uint64_t(r.repeat.dt.ms));
  h = mix(h, uint64_t(r.startBound.dt.ms));
  h = mix(h, uint64_t(r.stopBound.dt.ms));
  h = mix(h, pair(r.stopBound.value));
  if (r.startBound.type == TStartBoundType::AfterWindowsStart)
    h = mix(h, uint64_t(TruncateToMinute(bounded(currentClock().systemStartTime())).ms));
  if (!r.repeat.days.isEmpty())
    h = mix(h, qHash(r.repeat.days));
  return h;
}

} // namespace

TRunWindow TDataObject::GetRunWindow(TDateTime m) const {
  m = bounded(m);
  const TDateTime interval = GetRepeatInterval(repeat);
  TRunWindow w{startOf(*this, m), stopOf(*this, m)};
  // Move the start to the last interval boundary at or before m. At exactly one interval the
  // boundary is m itself: with "more than" the first boundary after the start was cut off.
  if (interval > TDateTime() && isKnownType(repeat.type) && m - w.start >= interval)
    w.start += interval * ((m - w.start).ms / interval.ms);
  if (w.stop - m > interval)
    w.stop = w.start + interval;
  if (repeat.type == TRepeatType::Hourly)
    w.stop += OneHour;
  return w;
}

bool TDataObject::IsEditing(const QString &editingId) const {
  return !editingId.isEmpty() && editingId == Id;
}

TCheckResult TDataObject::CheckRun(const TFiringState &f, TDateTime m, bool demo,
                                   const QString &editingId) const {
  m = bounded(m);
  TCheckResult result;
  if (f.firing) {
    // The stop ends only a firing whose run lay before it: a run at the stop itself (a Once
    // reminder "until" its own time) lasts like any other.
    const bool stopped =
        stopBound.enable && m > stopOf(*this, m) && bounded(f.fireTime) < stopOf(*this, m);
    const bool keep = mayFire(*this, editingId) && m >= startOf(*this, m) && !stopped &&
                      !firingOver(*this, f, m) && (!f.firedInDemo || demo);
    result.close = !keep;
    return result;
  }
  if (!mayFire(*this, editingId))
    return result;
  if (demo) {
    result.fire = true;
    result.due = repeat.dt;
    return result;
  }
  if (repeat.type == TRepeatType::Once) {
    // A run inside the bounds is due in its own second even when that second reaches past the
    // stop: the tick comes a little after the second begins, and a run the next-run
    // computation announces (and warns of) must fire.
    const TDateTime t = bounded(repeat.dt);
    const TDateTime end = t + GetDurationDays(duration);
    const TDateTime fired = bounded(f.fireTime);
    const TDateTime ran = bounded(LastRunDue);
    if (m < t || m >= end || (fired >= t && fired < end) || (ran >= t && ran < end) ||
        bounded(lastCloseByUserDt) > t || !insideBounds(*this, t) ||
        (!insideBounds(*this, m) && m >= t + OneSecond))
      return result;
    result.fire = true;
    result.due = t;
    return result;
  }
  // Only inside the bounds: a firing outside them would send its mail and start its program,
  // only to be closed by the next tick.
  if (!insideBounds(*this, m))
    return result;
  if (const std::optional<TDateTime> c = dueCandidate(*this, f, m, Guards::Recorded)) {
    result.fire = true;
    result.due = *c;
  }
  return result;
}

TCheckResult TDataObject::CheckRemindBefore(const TFiringState &f, TDateTime m, bool demo,
                                            const QString &editingId, TNextRunMemo *memo) const {
  m = bounded(m);
  TCheckResult result;
  const auto nextRunAt = [&] { return memo ? GetNextRunTime(m, *memo) : GetNextRunTime(m); };
  if (f.firing) {
    // The warning ends no later than the tick one second before the event. Kept up to that
    // moment inclusive, it would be closed only by the tick at the event itself, and that tick
    // is spent closing it: an event without duration (one second long) would be lost.
    // It ends with its own run too: once no tick landed in that run's second (a late tick, a
    // suspend, the hour spring skips), the next run names the following occurrence, and the
    // warning stayed on screen for a day while its run never fired.
    const TDateTime next = nextRunAt();
    const TDateTime warned = bounded(WarnedRun);
    const bool runAhead = !warned.isSet() || m < warned - OneSecond;
    result.close = !(mayFire(*this, editingId) && m < next - OneSecond && runAhead &&
                     (!f.firedInDemo || demo) && (closable(*this) || firingAge(f, m) < OneSecond));
    return result;
  }
  if (!mayFire(*this, editingId) || demo)
    return result;
  const TDateTime next = nextRunAt();
  // A run warned of, or fired, already (the clock repeating an hour brings both back).
  if (next == bounded(WarnedRun) || next == bounded(LastRunDue))
    return result;
  const TDateTime warn = next - MeasureToDays(remindBefore.value);
  if (m > warn && bounded(lastCloseByUserRemindBeforeDt) < warn && m < next - OneSecond &&
      warn < next - OneSecond) {
    result.fire = true;
    result.due = warn;
  }
  return result;
}

// The main event is tested before the warning. Both can be due in one tick only for different
// runs (the warning is always for a run after m, the event for one at or before it): when the
// day's last gap equals the warning, the warning for midnight falls due in the tick of the day's
// last run, and testing it first lost that run. The warning comes at a later tick instead.
TCheckResult TDataObject::CheckDue(const TFiringState &f, TDateTime m, bool demo,
                                   const QString &editingId, TNextRunMemo *memo) const {
  if (f.firing) {
    TCheckResult result = f.kind == TFireKind::RemindBefore
                              ? CheckRemindBefore(f, m, demo, editingId, memo)
                              : CheckRun(f, m, demo, editingId);
    result.kind = f.kind;
    return result;
  }
  const TCheckResult run = CheckRun(f, m, demo, editingId);
  if (run.fire || demo || !remindBefore.enable)
    return run;
  TCheckResult warning = CheckRemindBefore(f, m, demo, editingId, memo);
  warning.kind = TFireKind::RemindBefore;
  return warning;
}

// A run that began between the two checks was seen by neither as it began. Only the latest one
// fires: after a long sleep, one firing per reminder, not one per missed run. Its window may
// still be open at m: the due test accepts an Hourly run only inside its minute, so a run whose
// minute fell in the gap was neither due nor, with the window's whole length asked for, missed.
TCheckResult TDataObject::CheckMissed(const TFiringState &f, TDateTime from, TDateTime m, bool demo,
                                      const QString &editingId) const {
  TCheckResult result;
  from = bounded(from);
  m = bounded(m);
  if (f.firing || demo || !mayFire(*this, editingId) || m <= from)
    return result;
  const TDateTime d = GetDurationDays(duration);
  const TDateTime c = latestRunIn(*this, from, m);
  if (c == TDateTime())
    return result;
  const auto inWindow = [&](TDateTime t) { return c <= t && t < c + d; };
  if (inWindow(bounded(f.fireTime)) || inWindow(bounded(LastRunDue)) ||
      inWindow(bounded(lastCloseByUserDt)) ||
      (repeat.type == TRepeatType::Once && bounded(lastCloseByUserDt) > c))
    return result;
  result.fire = true;
  result.due = c;
  return result;
}

void TDataObject::BeginFiring(TFiringState &f, TFireKind kind, TDateTime due, TDateTime m,
                              bool demo) {
  f.firing = true;
  f.kind = kind;
  f.firedInDemo = demo;
  f.fireTime = due.isSet() ? due : m;
  // The duration counts from the due moment; a firing that starts after its window is over (a
  // missed run, a demonstration) counts it from now.
  const TDateTime late = m - f.fireTime;
  const TDateTime counted =
      late >= TDateTime() && late < GetDurationDays(duration) ? late : TDateTime();
  f.fireTick = currentClock().tickCount() - static_cast<uint32_t>(counted.ms);
  if (demo)
    return;
  if (kind == TFireKind::Main)
    LastRunDue = f.fireTime;
  else if (kind == TFireKind::RemindBefore)
    WarnedRun = GetNextRunTime(m);
}

TDateTime TDataObject::GetRunAt(TDateTime m) const {
  m = bounded(m);
  return insideBounds(*this, m) ? m : TDateTime();
}

TDateTime TDataObject::GetNextRunTime(TDateTime m) const {
  m = bounded(m);
  ++nextRunSearches;
  return withRemindAgain(*this, m, nextRun(*this, m));
}

TDateTime TDataObject::GetNextRunTime(TDateTime m, TNextRunMemo &memo) const {
  m = bounded(m);
  const uint64_t key = memoKey(*this, m);
  // The search starts from the run window around m, and the window moves with m (its start to
  // the last boundary, its stop with the stop bound): the run found holds while the window is the
  // same, up to the run itself, for a later moment finds no earlier run from there. That there is
  // no run holds where noRunHolds says so, else for its moment alone. Only the schedule's own run
  // is kept; the remind-again start is taken afresh.
  const TRunWindow window = isRepeating(repeat.type) ? GetRunWindow(m) : TRunWindow{};
  if (!(memo.valid && memo.key == key && memo.from <= m && memo.window.start == window.start &&
        memo.window.stop == window.stop &&
        (memo.next.isSet() ? m <= memo.next : m == memo.from || noRunHolds(*this, memo.from)))) {
    ++nextRunSearches;
    memo = {key, m, nextRun(*this, m), window, true};
  }
  return withRemindAgain(*this, m, memo.next);
}

void ForgetNextRuns() { ++scheduleEpoch; }

uint64_t NextRunSearches() { return nextRunSearches; }

TDataObject::TUnclosed TDataObject::UnclosedRunAt(TDateTime m, const QString &editingId) const {
  m = bounded(m);
  const TDateTime c = bounded(LastRunDue);
  if (!c.isSet() || c == bounded(LastRunClosed) || bounded(lastCloseByUserDt) >= c ||
      IsEditing(editingId))
    return TUnclosed::None;
  // A one-time reminder given another moment since is not this firing's any more.
  if (repeat.type == TRepeatType::Once && c != bounded(repeat.dt))
    return TUnclosed::None;
  if (!mayFire(*this, editingId) || !insideBounds(*this, m))
    return TUnclosed::Over;
  // How long the firing would last: its duration; without one, until the user closes it (for a
  // repeating rule, no longer than its next run), or its second when nothing of it can be closed.
  std::optional<TDateTime> lasts;
  if (durationCounts(duration)) {
    lasts = GetDurationDays(duration);
  } else if (!closable(*this)) {
    lasts = OneSecond;
  } else if (repeat.type != TRepeatType::Once) {
    if (const TDateTime next = nextRun(*this, c + OneMillisecond); next.isSet())
      lasts = next - c;
  }
  return !lasts || m - c < *lasts ? TUnclosed::Open : TUnclosed::Over;
}

void TDataObject::SetDefaultSchedule(TRepeatType type) {
  const TDateTime now = clockNow();
  const TDateTime today = DateOf(now);
  repeat.type = type;
  if (type == TRepeatType::Once)
    repeat.dt = TruncateToMinute(now) + OneMinute;
  if (type == TRepeatType::Hourly) {
    repeat.value1 = {1, TMeasure::Hour};
    duration.enable = true;
    duration.value1 = {0, TMeasure::Hour};
    duration.value2 = {10, TMeasure::Minute};
  }
  startBound.type = TStartBoundType::AfterDefinedTime;
  startBound.dt = today;
  stopBound.enable = false;
  stopBound.type = TStopBoundType::UntilDefinedTime;
  stopBound.dt = today + OneHour * 23 + OneMinute * 59;
}
