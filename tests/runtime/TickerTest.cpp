#include "runtime/Ticker.h"
#include "runtime/ManualTicker.h"

#include "platform/Clock.h"

#include <QTest>
#include <gtest/gtest.h>

#include <random>

namespace {

TDateTime at(int hour, int minute, int second, int msec) {
  return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
}

TEST(PreciseTicker, AimsJustPastTheNextWallClockSecond) {
  EXPECT_EQ(TPreciseTicker::msUntilNextTick(at(9, 0, 0, 0)), 1100);
  EXPECT_EQ(TPreciseTicker::msUntilNextTick(at(9, 0, 0, 300)), 800);
  EXPECT_EQ(TPreciseTicker::msUntilNextTick(at(9, 0, 0, 999)), 101);
  // A tick that came a little early still moves on to the next second, not the same one.
  EXPECT_EQ(TPreciseTicker::msUntilNextTick(at(9, 0, 0, 95)), 1005);
  // Before the epoch of TDateTime the seconds align the same way.
  EXPECT_EQ(TPreciseTicker::msUntilNextTick(TDateTime(-1'300)), 400); // to -0.900 s
}

// Whatever the delay with which each shot actually arrives (up to most of a second), every
// wall-clock second gets exactly one tick: none is skipped, none is doubled.
TEST(PreciseTicker, EverySecondGetsExactlyOneTickDespiteLateShots) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> lateness(0, 850);
  TDateTime t = at(8, 59, 58, 417);
  int64_t previousSecond = t.ms / 1000;
  for (int i = 0; i < 5000; ++i) {
    t.ms += TPreciseTicker::msUntilNextTick(t) + lateness(random);
    const int64_t second = t.ms / 1000;
    ASSERT_EQ(second, previousSecond + 1) << "tick " << i;
    previousSecond = second;
  }
}

TEST(PreciseTicker, ArmsFromTheClockAndStopsWhenDisabled) {
  ManualClock clock(at(12, 0, 0, 300));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  EXPECT_FALSE(ticker.isEnabled());
  EXPECT_EQ(ticker.armedDelayMs(), -1);
  ticker.setEnabled(true);
  EXPECT_TRUE(ticker.isEnabled());
  EXPECT_EQ(ticker.armedDelayMs(), 800);
  ticker.setEnabled(false);
  EXPECT_EQ(ticker.armedDelayMs(), -1);
}

TEST(PreciseTicker, TicksAndRearmsFromTheClockAfterTheHandler) {
  ManualClock clock(at(12, 0, 0, 980)); // the first shot is due in 120 ms
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  int ticks = 0;
  ticker.setHandler([&] {
    ++ticks;
    clock.set(at(12, 0, 1, 150)); // the handler took a while
  });
  ticker.setEnabled(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(ticker.armedDelayMs(), 950);
}

TEST(PreciseTicker, AHandlerThatPausesIsNotRearmed) {
  ManualClock clock(at(12, 0, 0, 990));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  int ticks = 0;
  ticker.setHandler([&] {
    ++ticks;
    ticker.setEnabled(false);
  });
  ticker.setEnabled(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
  EXPECT_FALSE(ticker.isEnabled());
  EXPECT_EQ(ticker.armedDelayMs(), -1);
}

TEST(ManualTicker, FiresOnlyWhileEnabled) {
  TManualTicker ticker;
  int ticks = 0;
  ticker.setHandler([&] { ++ticks; });
  EXPECT_FALSE(ticker.fire());
  ticker.setEnabled(true);
  EXPECT_TRUE(ticker.fire());
  EXPECT_TRUE(ticker.fire());
  ticker.setEnabled(false);
  EXPECT_FALSE(ticker.fire());
  EXPECT_EQ(ticks, 2);
}

} // namespace
