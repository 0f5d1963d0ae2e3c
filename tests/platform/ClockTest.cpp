#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, ScopedClockReplacesAndRestoresTheProcessClock) {
  const Clock *before = &currentClock();
  {
    ManualClock manual;
    manual.set(2026, 12, 8, 8, 59, 59, 600);
    ScopedClock scope(manual);
    EXPECT_EQ(&currentClock(), &manual);
    EXPECT_EQ(currentClock().now(), EncodeDateTime(2026, 12, 8, 8, 59, 59, 600));
    EXPECT_EQ(currentClock().today(), EncodeDate(2026, 12, 8));
    manual.advanceMs(1000);
    EXPECT_EQ(currentClock().now(), EncodeDateTime(2026, 12, 8, 9, 0, 0, 600));
  }
  EXPECT_EQ(&currentClock(), before);
}

TEST(Clock, AdvancePerReadMovesTheClockAfterEachRead) {
  ManualClock manual(EncodeDate(2025, 1, 1));
  manual.setAdvancePerRead(1);
  EXPECT_EQ(manual.now(), EncodeDate(2025, 1, 1));
  EXPECT_EQ(manual.now(), EncodeDate(2025, 1, 1) + OneMillisecond);
}

TEST(Clock, SystemClockGivesAPlausibleLocalTime) {
  SystemClock c;
  const TDateTime now = c.now();
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
  EXPECT_LT(now, EncodeDate(2200, 1, 1));
  EXPECT_LT(c.systemStartTime(), now);
  EXPECT_GT(c.systemStartTime(), now - OneDay * 3650);
}
