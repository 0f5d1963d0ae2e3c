#pragma once

#include "platform/DateTime.h"

#include <QString>

#include <array>

// The order of the reminder list. Its sort code is a column index for ascending order on that
// column, or the index plus 100 for descending order.

enum TReminderColumn {
  ColumnSubject,
  ColumnType,
  ColumnNextRun,
  ColumnSticker,
  ColumnIco,
  ColumnSound,
  ColumnMail,
  ColumnProgram,
  ColumnText,
  ColumnCreated,
  ReminderColumnCount
};

inline constexpr int DescendingSortCode = 100;

// What the order reads of one row: the texts the row shows (texts[0] is the subject) and the
// moments behind the two date columns.
struct TReminderSortKey {
  std::array<QString, ReminderColumnCount> texts;
  TDateTime nextRun; // 0: the cell is empty
  TDateTime created;
};

// The code itself when it names a column (0..9, 100..109), else 0: a bad stored value must not
// pick a column the list does not have.
[[nodiscard]] int NormalizeReminderSortCode(int code);

// The code after a click on a column header: the sort column clicked while ascending turns
// descending; any other click sorts ascending on the clicked column.
[[nodiscard]] int NextReminderSortCode(int code, int clickedColumn);

// Negative when row a goes before row b, positive when after, 0 for a tie.
//  1. Subject: the subjects as text, ASCII letters folded.
//  2. "Next run" and "Created": the dates, later first (b compared with a); an empty cell stands
//     for emptyDate, so ascending order shows empty cells before the latest dates.
//  3. Any other column: the cells as text, ASCII letters folded.
//  4. Descending codes negate that result.
//  5. Equal subjects are then ordered by their creation, oldest first, in both directions.
[[nodiscard]] int CompareReminderRows(const TReminderSortKey &a, const TReminderSortKey &b,
                                      int code, TDateTime emptyDate);
