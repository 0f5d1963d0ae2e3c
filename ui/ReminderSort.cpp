#include "ui/ReminderSort.h"

#include "services/TextHelpers.h"

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

int compareDates(TDateTime a, TDateTime b) { return a < b ? -1 : (a == b ? 0 : 1); }

} // namespace

int NormalizeReminderSortCode(int code) {
  const bool ascending = code >= 0 && code < ReminderColumnCount;
  const bool descending =
      code >= DescendingSortCode && code < DescendingSortCode + ReminderColumnCount;
  return ascending || descending ? code : ColumnSubject;
}

int NextReminderSortCode(int code, int clickedColumn) {
  return clickedColumn == code && code < DescendingSortCode ? clickedColumn + DescendingSortCode
                                                            : clickedColumn;
}

int CompareReminderRows(const TReminderSortKey &a, const TReminderSortKey &b, int code,
                        TDateTime emptyDate) {
  code = NormalizeReminderSortCode(code);
  const int column = code % DescendingSortCode;
  int result = 0;
  switch (column) {
  case ColumnNextRun: {
    const auto shown = [emptyDate](TDateTime t) { return t == TDateTime() ? emptyDate : t; };
    result = compareDates(shown(b.nextRun), shown(a.nextRun));
    break;
  }
  case ColumnCreated:
    result = compareDates(b.created, a.created);
    break;
  default:
    result = sign(CompareText(a.texts[column], b.texts[column]));
    break;
  }
  if (code >= DescendingSortCode)
    result = -result;
  // The tie-break compares the creation moments rather than their texts: a short date without
  // leading zeros ("10/1/26" before "9/1/26") would put the texts out of date order.
  if (result == 0 && column == ColumnSubject)
    result = compareDates(a.created, b.created);
  return result;
}
