// The editor's preview sticker came up in the middle of the screen, over the editor.
#include "ui/PlaceBeside.h"

#include <gtest/gtest.h>

TEST(PlaceBeside, TakesTheRightThenTheLeftThenBelowThenAboveAndStaysInTheArea) {
  const QRect area(0, 0, 1280, 800);
  const QSize sticker(200, 100);
  // Right of it, level with its top.
  EXPECT_EQ(PlaceBeside(QRect(100, 50, 600, 500), sticker, area, 8), QPoint(708, 50));
  // No room on the right: on the left.
  EXPECT_EQ(PlaceBeside(QRect(500, 50, 700, 500), sticker, area, 8), QPoint(292, 50));
  // A window as wide as the area: below it, then above it.
  EXPECT_EQ(PlaceBeside(QRect(0, 100, 1280, 500), sticker, area, 8), QPoint(0, 608));
  EXPECT_EQ(PlaceBeside(QRect(0, 300, 1280, 500), sticker, area, 8), QPoint(0, 192));
  // Level with the top as far as the area allows: a window low on the screen.
  EXPECT_EQ(PlaceBeside(QRect(100, 750, 600, 40), sticker, area, 8), QPoint(708, 700));
  // No side has room, or the window is larger than the area.
  EXPECT_EQ(PlaceBeside(QRect(0, 0, 1280, 800), sticker, area, 8), std::nullopt);
  EXPECT_EQ(PlaceBeside(QRect(0, 0, 10, 10), QSize(2000, 100), area, 8), std::nullopt);
  // The area's own origin counts (a second monitor, a panel on the left).
  EXPECT_EQ(PlaceBeside(QRect(1300, 40, 600, 500), sticker, QRect(1280, 30, 1024, 738), 8),
            QPoint(1908, 40));
}
