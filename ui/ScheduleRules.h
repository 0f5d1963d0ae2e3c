#pragma once

// The rules behind the editor's Timetable page and its two schedule dialogs, as plain functions:
// what each repeat type shows and allows, how the duration is held within the repeat interval,
// how chosen days become day lists, how the year grid numbers its days, and the next-run texts.
// The next runs always come from TDataObject::GetNextRunTime of a reminder that holds the page's
// schedule, so the editor shows what the scheduler will do.

#include "model/DataObject.h"
#include "model/ReminderRecords.h"
#include "model/Schedule.h"
#include "platform/DateTime.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

// --- The page by repeat type -------------------------------------------------------------------

// What the value line shows for a repeat type (a type outside the list shows nothing).
struct TScheduleLayout {
  bool onceDateTime = false; // "at" time "on" date (Once)
  bool every = false;        // "every" N unit (Minutely, Hourly, Daily)
  bool value2 = false;       // the minute of the hour (Hourly)
  bool time2 = false;        // the run time of the day-based types
  bool afterTime = false;    // "at" before value 2 or the run time, and the text after it
  bool weekDays = false;
  bool monthDays = false;
  bool yearDays = false;
  int value1Maximum = 1;
  // Whether "Get current date/time" has a picker to fill.
  [[nodiscard]] bool anyPicker() const { return onceDateTime || time2; }
};
[[nodiscard]] TScheduleLayout ScheduleLayout(int repeatType);

// Value 1 held within 1 .. the type's maximum (1440 minutes, 168 hours, 372 days; 1 otherwise).
[[nodiscard]] int ClampValue1(int repeatType, double value);
// The unit value 1 is stored with: minute, hour, day, week, month, year by type.
[[nodiscard]] TMeasure Value1Measure(TRepeatType type);

// The duration boxes after LimitDuration: their maxima, and the values they must show.
struct TDurationLimits {
  int hoursMaximum = 23;
  int minutesMaximum = 59;
  int hours = 0;
  int minutes = 0;
};
// A duration never outlasts the interval of a Minutely or Hourly reminder: the maxima become the
// interval's hours and remaining minutes, and a longer total is set to both maxima. Otherwise the
// maxima are 23 hours and 59 minutes and the values stay.
[[nodiscard]] TDurationLimits LimitDuration(int repeatType, bool durationOn, int value1, int hours,
                                            int minutes);

// --- Repeat record <-> controls ------------------------------------------------------------------

// What the page's repeat controls hold.
struct TRepeatControls {
  int type = -1; // the ticked type button, -1 for none
  int value1 = 1;
  int value2 = 0;
  TDateTime onceDate; // midnight of the date picker's date
  TDateTime onceTime; // the Once time picker's time of day
  TDateTime time2;    // the second time picker's time of day
  TDaySet weekDays;   // 1 Monday .. 7 Sunday
  TDaySet monthDays;  // 1 .. 31
  // The type the reminder had when the page was loaded, and the year dialog's list once the user
  // confirmed that dialog (nothing until then).
  int loadedType = -1;
  std::optional<QString> yearDays;
};
// Writes the controls into the repeat record by the ticked type; fields the type does not name
// keep their values. An annual list is only ever the year dialog's: a reminder switched to
// Annually without confirming that dialog gets an empty list, never its week or month days.
void StoreRepeat(const TRepeatControls &controls, TMainRepeatRec &repeat);

// "(n)" for every day of the set from 1 up, ascending: days 1, 3 and 5 give (1)(3)(5).
[[nodiscard]] QString FormatDayList(const TDaySet &days);

// The month grids: day d (1..31) lies in grid 0 (1-10), 1 (11-20) or 2 (21-31) at this column.
struct TMonthCell {
  int grid = 0;
  int column = 0;
};
[[nodiscard]] TMonthCell MonthDayCell(int day);

// --- The year grid (31 columns of days x 12 rows of months) ------------------------------------

// The number of the day in its year (1 January is 1), 0 when the year has no such day.
[[nodiscard]] int YearDayNumber(int64_t year, int month, int day);
// The hint of a cell: the date in the year, then on a line of its own the date in the next year,
// each only where the day exists; empty outside the grid.
[[nodiscard]] QString YearDayHint(int64_t year, int column, int row);

// --- Time bounds dialog --------------------------------------------------------------------------

// What the time-bounds dialog shows for a start and a stop kind.
struct TBoundsLayout {
  bool startTime = false;
  bool startDate = false;
  bool stopTime = false;
  bool stopDate = false;
  bool stopValue = false; // the length with its unit (hourly and daily limits)
};
[[nodiscard]] TBoundsLayout BoundsLayout(int startKind, int stopKind);
// The unit of the stop bound's length: hour for the hourly limits, day for the daily ones.
[[nodiscard]] TMeasure StopValueMeasure(int stopKind);

// --- Next-run texts ------------------------------------------------------------------------------

// "now, until <end>" when a run's window holds now (saving fires it at once; the end as a time,
// or a date and time on another day); else the next run at or after now as a local date and
// time, or "Never occurs". The schedule's run guards (LastRunDue, the user's last
// close) count, so a run that fired already is not announced again.
[[nodiscard]] QString NextRunText(const TDataObject &schedule, TDateTime now);
// The message behind the next-run link: "Next dates of run:", an empty line, up to ten dates (one
// for Once) each on its own line, and "..." when the list was cut there; "Never occurs" when there
// is none. Lines end with CRLF.
[[nodiscard]] QString NextDatesOfRunText(const TDataObject &schedule, TDateTime now);

// --- Pickers -------------------------------------------------------------------------------------

[[nodiscard]] QDate ToQDate(TDateTime t);
[[nodiscard]] QTime ToQTime(TDateTime t); // the time of day, milliseconds kept
[[nodiscard]] TDateTime FromQDate(const QDate &date);
[[nodiscard]] TDateTime FromQTime(const QTime &time);
