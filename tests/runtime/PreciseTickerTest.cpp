#include "runtime/Ticker.h"

#include "platform/Clock.h"

#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

TDateTime at(int hour, int minute, int second, int msec) {
  return EncodeDate(2024, 3, 5) + EncodeTime(hour, minute, second, msec);
}

// However late each shot arrives (up to most of a second) and however early a timer wakes, every
// wall-clock second gets exactly one tick: none is skipped, none is doubled.
TEST(PreciseTickerTiming, EverySecondGetsExactlyOneTickWhateverTheShotsDo) {
  ManualClock clock(at(8, 59, 58, 417));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  std::map<int64_t, int> ticksPerSecond;
  ticker.OnTimer = [&] { ++ticksPerSecond[clock.now().ms / 1000]; };
  std::mt19937 random(7);
  std::uniform_int_distribution<int> jitter(-3, 850);
  const int64_t first = clock.now().ms / 1000;
  int wait = TPreciseTicker::DelayToNextTick(clock.now());
  for (int i = 0; i < 5000; ++i) {
    clock.advanceMs(std::max(0, wait + jitter(random)));
    wait = ticker.TickAt(clock.now());
  }
  const int64_t last = clock.now().ms / 1000;
  for (int64_t s = first + 1; s < last; ++s)
    ASSERT_EQ(ticksPerSecond[s], 1) << "second " << s - first;
}

TEST(PreciseTickerTiming, ArmsFromTheClockAndStopsWhenDisabled) {
  ManualClock clock(at(12, 0, 0, 300));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  EXPECT_FALSE(ticker.Enabled());
  EXPECT_EQ(ticker.ArmedDelayMs(), -1);
  ticker.SetEnabled(true);
  EXPECT_TRUE(ticker.Enabled());
  EXPECT_EQ(ticker.ArmedDelayMs(), 800);
  ticker.SetEnabled(false);
  EXPECT_EQ(ticker.ArmedDelayMs(), -1);
}

TEST(PreciseTickerTiming, TicksAndRearmsFromTheClockAfterTheHandler) {
  ManualClock clock(at(12, 0, 0, 980)); // the first shot is due in 120 ms
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  int ticks = 0;
  ticker.OnTimer = [&] {
    ++ticks;
    clock.set(at(12, 0, 1, 150)); // the handler took a while
  };
  ticker.SetEnabled(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(ticker.ArmedDelayMs(), 950);
}

TEST(PreciseTickerTiming, AHandlerThatPausesIsNotRearmed) {
  ManualClock clock(at(12, 0, 0, 990));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  int ticks = 0;
  ticker.OnTimer = [&] {
    ++ticks;
    ticker.SetEnabled(false);
  };
  ticker.SetEnabled(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
  EXPECT_FALSE(ticker.Enabled());
  EXPECT_EQ(ticker.ArmedDelayMs(), -1);
}

} // namespace
