#pragma once

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

#include <QString>

#include <vector>

// The dates of the log page: the list of recent days offered beside the log, and the two date
// boxes of the range filter.

// One day of the day list.
struct TLogDay {
  TDateTime day; // its midnight
  QString caption;
  int icon = -1; // 38 on a Sunday, 37 on a Saturday, else none
};

// The days the list offers: today first, then one day back at a time, `periodDays` of them but
// never more than 30. Each reads as the long day name, "  ( ", the short date and " )".
[[nodiscard]] std::vector<TLogDay> LogDayList(TDateTime today, int periodDays,
                                              const FormatSettings &fs = formatSettings());

// The input mask of a date box: three two-digit fields in the short date format's order,
// separated by its date separator, each digit optional ("00.00.00;_" for dd.mm.yy).
[[nodiscard]] QString LogDateMask(const FormatSettings &fs = formatSettings());
// The date as the box shows it: day, month and two-digit year, zero-padded, in the mask's order.
[[nodiscard]] QString LogDateText(TDateTime date, const FormatSettings &fs = formatSettings());
// The midnight of the date a box holds; 0 ("no bound") for an empty or unreadable text. A
// two-digit year goes through the century window.
[[nodiscard]] TDateTime LogDateBound(const QString &text,
                                     const FormatSettings &fs = formatSettings());
