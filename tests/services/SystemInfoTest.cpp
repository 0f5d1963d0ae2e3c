#include "services/SystemInfo.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(SystemInfo, VersionFamilies) {
  EXPECT_FALSE(isXPFamily(5, 0));
  EXPECT_TRUE(isXPFamily(5, 1));
  EXPECT_TRUE(isXPFamily(5, 2));
  EXPECT_FALSE(isXPFamily(6, 1));
  EXPECT_TRUE(isVistaFamily(6));
  EXPECT_FALSE(isVistaFamily(5));
  EXPECT_FALSE(IsWindowsXPFamily());
  EXPECT_TRUE(IsWindowsVistaFamily());
}

TEST(SystemInfo, SystemStartTimeComesFromTheClock) {
  ManualClock clock;
  clock.set(2024, 3, 1, 12);
  clock.setSystemStartTime(EncodeDateTime(2024, 2, 20, 8, 15, 0, 250));
  ScopedClock scope(clock);
  EXPECT_EQ(GetSystemStartTime(), EncodeDateTime(2024, 2, 20, 8, 15, 0, 250));
  clock.setSystemStartTime(EncodeDateTime(2024, 2, 20, 8, 15, 0, 500));
  EXPECT_EQ(GetSystemStartTime(), EncodeDateTime(2024, 2, 20, 8, 15, 0, 500));
}

TEST(SystemInfo, SystemStartTimeIsStableOnTheRealClock) {
  const TDateTime first = GetSystemStartTime();
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(GetSystemStartTime(), first);
  EXPECT_LE(first, currentClock().now());
  EXPECT_TRUE(first.isSet());
}
