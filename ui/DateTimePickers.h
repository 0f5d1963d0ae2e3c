#pragma once

#include "platform/DateTime.h"

class QDateEdit;
class QTimeEdit;

// The date and time pickers of the schedule controls. Time pickers show seconds: a one-time
// reminder is due only within one second of its moment, so a picker that dropped them would turn
// "now + 2 seconds" into a minute already past. Date pickers show the locale's long date. In both
// a click (or Left, Right, Home, End) selects the section at the cursor, so typed digits replace
// it.
void SetUpTimePicker(QTimeEdit *picker);
void SetUpDatePicker(QDateEdit *picker);

// The picker's time of day (milliseconds kept) and the midnight of its date.
[[nodiscard]] TDateTime PickerTime(const QTimeEdit *picker);
[[nodiscard]] TDateTime PickerDate(const QDateEdit *picker);
void SetPickerTime(QTimeEdit *picker, TDateTime t);
void SetPickerDate(QDateEdit *picker, TDateTime t);
