#include "ui/ReminderSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const TDateTime Day = EncodeDate(2026, 3, 1);
const TDateTime Empty = Day + OneDay * 1095; // what an empty "Next run" stands for

TReminderSortKey key(const char *subject, TDateTime nextRun, TDateTime created,
                     const char *mail = "") {
  TReminderSortKey k;
  k.texts[ColumnSubject] = QString::fromLatin1(subject);
  k.texts[ColumnMail] = QString::fromLatin1(mail);
  k.nextRun = nextRun;
  k.created = created;
  return k;
}

// The subjects in the order the code sorts the rows into (ties keep their order).
QString sorted(std::vector<TReminderSortKey> rows, int code) {
  std::stable_sort(rows.begin(), rows.end(), [code](const auto &a, const auto &b) {
    return CompareReminderRows(a, b, code, Empty) < 0;
  });
  QString order;
  for (const TReminderSortKey &row : rows)
    order += row.texts[ColumnSubject] + QLatin1Char(' ');
  return order.trimmed();
}

} // namespace

TEST(ReminderSort, EachCodeOrdersTheRowsAsTheListShowsThem) {
  const std::vector<TReminderSortKey> rows = {
      key("b", Day + OneHour * 2, Day - OneDay * 2, "Enable"),
      key("none", TDateTime(), Day - OneDay * 3),
      key("A", Day + OneDay * 9, Day - OneDay * 1, "Enable"),
      key("a", Day + OneHour, Day - OneDay * 4),
      key("far", Day + OneDay * 2000, Day - OneDay * 5),
  };
  const struct {
    int code;
    const char *order;
  } table[] = {
      // Next run: later first, an empty cell as three years ahead (so before nearer dates).
      {ColumnNextRun, "far none A b a"},
      {ColumnNextRun + DescendingSortCode, "a b A none far"},
      // Subjects with ASCII case folded; equal ones oldest first, in both directions.
      {ColumnSubject, "a A b far none"},
      {ColumnSubject + DescendingSortCode, "none far b a A"},
      // Created: the newest first when ascending.
      {ColumnCreated, "A b none a far"},
      // Other columns by their text; ties keep their order.
      {ColumnMail, "none a far b A"},
      // A stored code that names no column sorts by subject.
      {55, "a A b far none"},
      {-1, "a A b far none"},
      {110, "a A b far none"},
  };
  for (const auto &row : table)
    EXPECT_EQ(sorted(rows, row.code), QString::fromLatin1(row.order)) << "code " << row.code;
}

TEST(ReminderSort, AClickOnTheSortColumnTurnsItsOrderAndAnyOtherSortsAscending) {
  EXPECT_EQ(NextReminderSortCode(ColumnType, ColumnType), ColumnType + DescendingSortCode);
  EXPECT_EQ(NextReminderSortCode(ColumnType + DescendingSortCode, ColumnType), ColumnType);
  EXPECT_EQ(NextReminderSortCode(ColumnType + DescendingSortCode, ColumnText), ColumnText);
  EXPECT_EQ(NextReminderSortCode(ColumnType, ColumnSubject), ColumnSubject);
  EXPECT_EQ(NormalizeReminderSortCode(109), 109);
  EXPECT_EQ(NormalizeReminderSortCode(10), 0);
}
