#pragma once

// Schedule arithmetic: lengths, bounds and day lists. The due tests and the next-run search are
// members of TDataObject (declared in model/DataObject.h, implemented in model/Schedule.cpp).
//
// Everything is exact integer arithmetic on TDateTime milliseconds, and total: no input raises,
// divides by zero, overflows or loops without end. Moments and spans far outside any calendar
// (beyond about 285,000 years) are held at that limit first.

#include "model/DataObject.h"
#include "model/ReminderRecords.h"
#include "platform/DateTime.h"

#include <QString>

#include <bitset>
#include <cstdint>

// The length of a value-and-unit pair. Month and year take the length of today's month and year
// (not of any reminder date). An unknown unit gives 0; a negative value a negative length.
[[nodiscard]] TDateTime MeasureToDays(const TValueRec &v);

// The repeat period, from value1 only: minutes, hours or days; a week, month or year unit gives
// one day (those types step day by day through their day list); an unknown unit gives 0.
[[nodiscard]] TDateTime GetRepeatInterval(const TMainRepeatRec &repeat);

// The length of a due window: the duration when it is on and longer than zero, else one second.
[[nodiscard]] TDateTime GetDurationDays(const TDurationRec &duration);

// The start of the schedule for moment m: today's start time, a fixed moment, or the minute the
// system started. An unknown bound type gives 0.
[[nodiscard]] TDateTime GetStartBoundTime(const TStartBoundRec &startBound, TDateTime m);

// The end of the schedule for moment m. With the stop bound off: 800 days after the later of
// the start and m.
[[nodiscard]] TDateTime GetStopBoundTime(const TStartBoundRec &startBound,
                                         const TStopBoundRec &stopBound, TDateTime m);

[[nodiscard]] TDateTime TruncateToMinute(TDateTime m);

// Whether "(" + day + ")" occurs anywhere in the list: "(1)(11)" holds 1 and 11, "(11)" not 1.
[[nodiscard]] bool DayListContains(const QString &list, int64_t day);

// The days 0..366 a list holds, by the same rule as DayListContains, read in one pass.
using TDaySet = std::bitset<368>;
[[nodiscard]] TDaySet ParseDayList(const QString &list);

// How many next-run searches (TDataObject::GetNextRunTime without a memo) this process has made:
// what tests and the benchmark count to see that the check keeps its next runs.
[[nodiscard]] uint64_t NextRunSearches();
