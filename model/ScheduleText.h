#pragma once

#include "model/ReminderRecords.h"

#include <QString>

// Short English phrases that describe a reminder's schedule, for the reminder list, the editor's
// labels and the hint of a warning. Every word passes through the language table on its own
// (TranslateText); times, dates and numbers use the process-wide format settings: T the long
// time, D the short date, DT date and time. A code outside its table has no word: it gives an
// empty word (or, for the repeat type, an empty text), never a crash.

// The unit word of the measure: singular for a value of 0 or 1, plural otherwise.
[[nodiscard]] QString MeasureUnitText(const TValueRec &value);
// "running <name>" [+ " - " + T or DT].
[[nodiscard]] QString StartBoundText(const TStartBoundRec &bound);
// "disabled", or "run <name>" [+ " - " + T, DT, or the length with its unit].
[[nodiscard]] QString StopBoundText(const TStopBoundRec &bound);
// The lower-cased repeat-type name, " - ", and the description of the repeat.
[[nodiscard]] QString RepeatText(const TMainRepeatRec &repeat);
// "" when off; else "duration - <h> h <m> min" from the time of day of the whole length.
[[nodiscard]] QString DurationText(const TDurationRec &duration);
// "" when off; else "remind before for <n> <singular unit>".
[[nodiscard]] QString RemindBeforeText(const TRemindBeforeRec &remindBefore);
// "(1)(5)" -> "1,5".
[[nodiscard]] QString DayListText(const QString &days);
// The dates of the listed days of the year that lie after now, this year's first, then next
// year's, joined by ", ".
[[nodiscard]] QString YearDayListText(const QString &days);
