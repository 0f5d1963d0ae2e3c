#include "widgets/GridLabels.h"

#include "widgets/PictureGridControl.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>

#include <gtest/gtest.h>

TEST(GridLabels, EachLabelTakesItsCellsExtentAndFollowsTheGrid) {
  QWidget window;
  auto *layout = new QGridLayout(&window);
  auto *grid = new TPictureGridControl;
  grid->setColumnCount(7);
  grid->setRowCount(3);
  auto *columns = new TGridLabels(grid, Qt::Horizontal);
  auto *rows = new TGridLabels(grid, Qt::Vertical);
  layout->addWidget(columns, 0, 1);
  layout->addWidget(rows, 1, 0);
  layout->addWidget(grid, 1, 1);
  columns->setTexts({"a", "b", "c", "d", "e", "f", "g"});
  rows->setTexts({"one", "two", "three"});
  window.resize(300, 200);
  window.show();
  for (const int width : {300, 333, 451}) {
    window.resize(width, 200);
    QCoreApplication::processEvents();
    ASSERT_GT(grid->cellWidth(), 0);
    for (int c = 0; c < 7; ++c) {
      const QLabel *label = columns->labels()[c];
      const QPoint at = label->mapTo(&window, QPoint(0, 0));
      EXPECT_EQ(at.x(), grid->mapTo(&window, QPoint(c * grid->cellWidth(), 0)).x()) << width;
      EXPECT_EQ(label->width(), grid->cellWidth());
    }
    for (int r = 0; r < 3; ++r) {
      const QLabel *label = rows->labels()[r];
      EXPECT_EQ(label->mapTo(&window, QPoint(0, 0)).y(),
                grid->mapTo(&window, QPoint(0, r * grid->cellHeight())).y());
      EXPECT_EQ(label->height(), grid->cellHeight());
    }
  }
  // The row labels are as wide as their longest text.
  EXPECT_GE(rows->width(), rows->labels()[2]->sizeHint().width());
}

TEST(GridLabels, NewTextsReplaceTheLabelsOneForOne) {
  TPictureGridControl grid;
  TGridLabels labels(&grid, Qt::Horizontal);
  labels.setTexts({"1", "2", "3"});
  ASSERT_EQ(labels.labels().size(), 3);
  labels.setTexts({"x"});
  ASSERT_EQ(labels.labels().size(), 1);
  EXPECT_EQ(labels.labels()[0]->text(), "x");
  EXPECT_EQ(labels.findChildren<QLabel *>().size(), 1);
  EXPECT_TRUE(labels.labels()[0]->objectName().isEmpty()); // no language-file key
}
