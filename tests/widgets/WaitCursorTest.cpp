#include "widgets/WaitCursor.h"

#include <QApplication>

#include <gtest/gtest.h>

TEST(WaitCursor, HourglassIsOneSettingNotAStack) {
  SetHourglassCursor();
  SetHourglassCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
