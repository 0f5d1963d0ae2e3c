#include "runtime/Ticker.h"
#include "platform/Clock.h"
#include "runtime/SignalBridge.h"

#include <QCoreApplication>
#include <QTest>

#include <csignal>

#include <gtest/gtest.h>

namespace {

TDateTime at(int second, int ms) { return EncodeDate(2025, 3, 20) + EncodeTime(9, 0, second, ms); }

TEST(PreciseTicker, WaitsForTheNextSecondPlusItsOffset) {
  EXPECT_EQ(TPreciseTicker::DelayToNextTick(at(5, 0)), 100);
  EXPECT_EQ(TPreciseTicker::DelayToNextTick(at(5, 99)), 1);
  EXPECT_EQ(TPreciseTicker::DelayToNextTick(at(5, 100)), 1000);
  EXPECT_EQ(TPreciseTicker::DelayToNextTick(at(5, 101)), 999);
  EXPECT_EQ(TPreciseTicker::DelayToNextTick(at(5, 999)), 101);
}

TEST(PreciseTicker, TicksOnceInEverySecond) {
  ManualClock clock(at(5, 100));
  ScopedClock scoped(clock);
  TPreciseTicker ticker;
  int ticks = 0;
  ticker.OnTimer = [&] { ++ticks; };
  EXPECT_EQ(ticker.TickAt(at(5, 100)), 1000);
  EXPECT_EQ(ticks, 1);
  // A timer that wakes early, or twice, in the same second gives no second tick.
  clock.set(at(5, 990));
  EXPECT_EQ(ticker.TickAt(at(5, 990)), 110);
  EXPECT_EQ(ticks, 1);
  // A late wake (the GUI thread was busy) still ticks its own second once, and the wait after
  // it is measured from the clock again.
  clock.set(at(6, 850));
  EXPECT_EQ(ticker.TickAt(at(6, 850)), 250);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(ticker.TickAt(at(6, 851)), 250);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(ticker.TickAt(at(8, 100)), 250);
  EXPECT_EQ(ticks, 3);
}

TEST(PreciseTicker, TicksOnlyWhileEnabled) {
  TPreciseTicker ticker;
  EXPECT_FALSE(ticker.Enabled());
  ticker.SetEnabled(true);
  EXPECT_TRUE(ticker.Enabled());
  ticker.SetEnabled(false);
  EXPECT_FALSE(ticker.Enabled());

  TManualTicker manual(false);
  int ticks = 0;
  manual.OnTimer = [&] { ++ticks; };
  manual.Tick();
  manual.SetEnabled(true);
  manual.Tick();
  EXPECT_EQ(ticks, 1);
}

TEST(SignalBridge, DeliversTerminationSignalsOnTheEventLoop) {
  QList<int> got;
  {
    TSignalBridge bridge;
    ASSERT_TRUE(bridge.Installed());
    bridge.OnSignal = [&](int s) { got << s; };
    ::raise(SIGTERM);
    ::raise(SIGHUP);
    EXPECT_TRUE(got.isEmpty()); // not inside the signal handler
    EXPECT_TRUE(QTest::qWaitFor([&] { return got.size() == 2; }, 5000));
    // A second bridge does not take the signals from the first.
    TSignalBridge second;
    EXPECT_FALSE(second.Installed());
  }
  EXPECT_EQ(got, (QList<int>{SIGTERM, SIGHUP}));
  struct sigaction current {};
  ::sigaction(SIGTERM, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

} // namespace
