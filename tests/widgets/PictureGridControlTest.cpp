#include "widgets/PictureGridControl.h"

#include "imaging/Graphic.h"
#include "tests/widgets/WidgetTestSupport.h"

#include <QIODevice>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// A 4 x 4 picture that counts how often any copy of it is drawn.
class CountingGraphic final : public TGraphic {
public:
  static int &draws() {
    static int n = 0;
    return n;
  }
  [[nodiscard]] QString className() const override { return QStringLiteral("Counting"); }
  void loadFromStream(QIODevice &) override {}
  void saveToStream(QIODevice &) const override {}
  [[nodiscard]] bool empty() const override { return false; }
  [[nodiscard]] int width() const override { return 4; }
  [[nodiscard]] int height() const override { return 4; }
  void draw(QPainter &, const QRect &) const override { ++draws(); }
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override {
    return std::make_unique<CountingGraphic>();
  }
};

// A shown 5 x 1 grid of 20 x 20 cells.
struct Grid {
  TPictureGridControl grid;
  QSignalSpy changed{&grid, &TPictureGridControl::changed};
  Grid() {
    grid.setColumnCount(5);
    grid.setRowCount(1);
    grid.resize(100, 20);
    grid.show();
  }
  void press(QPoint p) {
    sendMouse(&grid, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
  }
  void move(QPoint p) { sendMouse(&grid, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
  void release(QPoint p) {
    sendMouse(&grid, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
  }
  [[nodiscard]] QString row() const {
    QString s;
    for (int c = 0; c < grid.columnCount(); ++c)
      s += QString::number(grid.cell(c, 0));
    return s;
  }
};

} // namespace

TEST(PictureGrid, AClickTogglesItsCellOnceAlsoWithAMoveInside) {
  Grid g;
  g.grid.setCell(3, 0, 5);
  g.press({25, 5});
  g.release({25, 5});
  g.press({65, 5});
  g.move({66, 6});
  g.move({67, 7});
  g.release({67, 7});
  EXPECT_EQ(g.row(), QStringLiteral("01010"));
  EXPECT_EQ(g.changed.count(), 2);
  g.press({25, 5});
  g.release({25, 5});
  EXPECT_EQ(g.row(), QStringLiteral("00010"));
}

TEST(PictureGrid, ADragTogglesEachCellItEntersOnce) {
  Grid g;
  g.press({5, 5});
  for (int x = 5; x < 60; x += 3)
    g.move({x, 10});
  g.move({45, 10}); // back over the last cell toggled: nothing
  g.release({45, 10});
  EXPECT_EQ(g.row(), QStringLiteral("11100"));
  EXPECT_EQ(g.changed.count(), 3);
}

TEST(PictureGrid, ADragLeftOfOrAboveTheControlTogglesNothing) {
  Grid g;
  g.press({5, 5});
  g.move({-3, 5});
  g.move({-15, -2});
  g.move({5, -4});
  g.release({-3, 5});
  EXPECT_EQ(g.row(), QStringLiteral("00000"));
  EXPECT_EQ(g.changed.count(), 0);
}

TEST(PictureGrid, PaintsOnlyItsRealCells) {
  CountingGraphic picture;
  TPicture holder;
  holder.setGraphic(&picture);
  TPictureGridControl grid;
  grid.setPictureOn(&holder);
  grid.setPictureOff(&holder);
  grid.setColumnCount(31);
  grid.setRowCount(1);
  grid.resize(100, 10);
  grid.show();
  EXPECT_EQ(grid.cellWidth(), 3);
  CountingGraphic::draws() = 0;
  (void)grid.grab();
  EXPECT_EQ(CountingGraphic::draws(), 31);
}

TEST(PictureGrid, AControlSmallerThanItsCountsNeitherHangsNorDividesByZero) {
  Grid g;
  CountingGraphic picture;
  TPicture holder;
  holder.setGraphic(&picture);
  g.grid.setPictureOn(&holder);
  g.grid.setGridEnabled(true);
  g.grid.setColumnCount(200);
  g.grid.setRowCount(0);
  EXPECT_EQ(g.grid.columnCount(), TPictureGridControl::MaxCount);
  EXPECT_EQ(g.grid.rowCount(), 1);
  // A form may lift the minimum size the counts set.
  g.grid.setMinimumSize(0, 0);
  g.grid.resize(50, 10);
  EXPECT_EQ(g.grid.cellWidth(), 0);
  (void)g.grid.grab();
  g.press({10, 5});
  g.move({20, 5});
  g.release({20, 5});
  EXPECT_EQ(g.changed.count(), 0);
}
