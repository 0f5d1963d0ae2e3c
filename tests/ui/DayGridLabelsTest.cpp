// The captions of the day grids stand over (or beside) the cells they name, at any size of the
// dialog: a label spread over the control instead of over its cell lets the user click the day
// next to the one read.
#include "platform/Clock.h"
#include "tests/support/TestModel.h"
#include "ui/FormEditReminderYear.h"
#include "ui/TimetablePage.h"
#include "widgets/PictureGridControl.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

// The label showing exactly this text among the widget's descendants.
QLabel *labelWithText(const QWidget &root, const QString &text) {
  for (QLabel *label : root.findChildren<QLabel *>())
    if (label->text() == text && label->objectName().isEmpty())
      return label;
  return nullptr;
}

QRect globalRect(const QWidget *w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }

// The global rectangle of one cell of the grid.
QRect cellRect(const TPictureGridControl *grid, int column, int row) {
  return {grid->mapToGlobal(QPoint(column * grid->cellWidth(), row * grid->cellHeight())),
          QSize(grid->cellWidth(), grid->cellHeight())};
}

// The label is centred across the column (within a pixel), lies within its width and above it.
void expectOverColumn(const QLabel *label, const TPictureGridControl *grid, int column) {
  ASSERT_TRUE(label);
  const QRect l = globalRect(label);
  const QRect c = cellRect(grid, column, 0);
  EXPECT_LE(std::abs(l.center().x() - c.center().x()), 1)
      << label->text().toStdString() << ": label " << l.left() << ".." << l.right() << ", cell "
      << c.left() << ".." << c.right();
  EXPECT_GE(l.left(), c.left()) << label->text().toStdString();
  EXPECT_LE(l.right(), c.right()) << label->text().toStdString();
  EXPECT_LE(l.bottom(), c.top()) << label->text().toStdString();
}

// The label's middle lies on the row's middle (within a pixel), left of the grid.
void expectBesideRow(const QLabel *label, const TPictureGridControl *grid, int row) {
  ASSERT_TRUE(label);
  const QRect l = globalRect(label);
  const QRect c = cellRect(grid, 0, row);
  EXPECT_LE(std::abs(l.center().y() - c.center().y()), 1) << label->text().toStdString();
  EXPECT_LE(l.right(), c.left()) << label->text().toStdString();
}

// Whether the text, as drawn, fits its label with a gap to the next one.
void expectTextFits(const QLabel *label) {
  ASSERT_TRUE(label);
  EXPECT_LT(label->fontMetrics().horizontalAdvance(label->text()) + 2, label->width())
      << label->text().toStdString();
}

} // namespace

TEST(DayGridLabels, TheYearGridsDayNumbersAndMonthsStandOverTheirCellsAtEverySize) {
  TestModel model;
  ManualClock clock{EncodeDateTime(2025, 6, 2, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
  TFormEditReminderYear dialog(model.model);
  dialog.LoadReminder(QStringLiteral("{no such reminder}"));
  dialog.show();
  for (const int width : {720, 820, 1003}) {
    SCOPED_TRACE(width);
    dialog.resize(width, 400);
    QCoreApplication::processEvents();
    const TPictureGridControl *grid = dialog.Grid();
    // The widths that do not divide by 31 are the ones that went wrong.
    ASSERT_GT(grid->cellWidth(), 0);
    for (int d = 1; d <= TFormEditReminderYear::Days; ++d)
      expectOverColumn(labelWithText(dialog, QString::number(d)), grid, d - 1);
    expectBesideRow(labelWithText(dialog, QStringLiteral("January")), grid, 0);
    expectBesideRow(labelWithText(dialog, QStringLiteral("December")), grid, 11);
  }
}

TEST(DayGridLabels, TheMonthGridsNumbersStandApartOverTheirCells) {
  TestModel model;
  TTimetablePage page(model.model);
  page.LoadFromReminder(QStringLiteral("new"));
  page.findChild<QWidget *>(QStringLiteral("RadioButtonRepeatTypeMonthly"))
      ->setProperty("checked", true);
  page.resize(559, 340);
  page.show();
  QCoreApplication::processEvents();
  const QStringList names = {"PictureGridControlMonthDays1", "PictureGridControlMonthDays2",
                             "PictureGridControlMonthDays3"};
  for (int g = 0; g < 3; ++g) {
    const auto *grid = page.findChild<TPictureGridControl *>(names[g]);
    ASSERT_TRUE(grid);
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QLabel *label = labelWithText(page, QString::number(g * 10 + c + 1));
      expectOverColumn(label, grid, c);
      expectTextFits(label);
    }
  }
  const auto *week = page.findChild<TPictureGridControl *>("PictureGridControlWeekDays");
  page.findChild<QWidget *>(QStringLiteral("RadioButtonRepeatTypeWeekly"))
      ->setProperty("checked", true);
  QCoreApplication::processEvents();
  expectBesideRow(labelWithText(page, QStringLiteral("Monday")), week, 0);
  expectBesideRow(labelWithText(page, QStringLiteral("Sunday")), week, 6);
}
