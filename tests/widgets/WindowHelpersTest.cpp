#include "widgets/WindowHelpers.h"

#include <QWidget>

#include <gtest/gtest.h>

TEST(WindowHelpers, BringWindowForwardRestoresOnlyEnabledVisibleWindows) {
  QWidget window;
  window.showMinimized();
  window.setEnabled(false);
  BringWindowForward(&window, true);
  EXPECT_TRUE(window.isMinimized());
  window.setEnabled(true);
  BringWindowForward(&window, false);
  EXPECT_TRUE(window.isMinimized());
  BringWindowForward(&window, true);
  EXPECT_FALSE(window.isMinimized());
  BringWindowForward(nullptr, true);
}
