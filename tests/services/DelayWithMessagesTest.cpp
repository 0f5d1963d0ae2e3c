#include "services/DelayWithMessages.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

TEST(DelayWithMessages, DelayZeroRunsPendingEventsOnce) {
  int runs = 0;
  QTimer::singleShot(0, [&] { ++runs; });
  DelayWithMessages(0);
  EXPECT_EQ(runs, 1);
}

TEST(DelayWithMessages, DelayWaitsAtLeastTheTimeAndRunsEvents) {
  int runs = 0;
  QTimer::singleShot(10, [&] { ++runs; });
  QElapsedTimer t;
  t.start();
  DelayWithMessages(50);
  EXPECT_GE(t.elapsed(), 50);
  EXPECT_EQ(runs, 1);
}
