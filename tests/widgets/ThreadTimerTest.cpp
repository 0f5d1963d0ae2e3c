#include "widgets/ThreadTimer.h"

#include "platform/Errors.h"
#include "tests/widgets/ManualSleeper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace {

QThread *guiThread() { return QCoreApplication::instance()->thread(); }

// Waits without running the GUI thread's events, so a queued hand-off stays queued.
bool waitWithoutEvents(const std::function<bool()> &cond) {
  for (int i = 0; i < 5000; ++i) {
    if (cond())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// Collects what the exception handler is given, and on which thread.
struct ReportRecorder {
  struct Shared {
    std::mutex lock;
    QStringList messages;
    std::vector<QThread *> threads;
  };
  std::shared_ptr<Shared> shared = std::make_shared<Shared>();
  errors::ScopedExceptionHandler handler{[s = shared](const QString &m) {
    std::lock_guard lk(s->lock);
    s->messages << m;
    s->threads.push_back(QThread::currentThread());
  }};

  QStringList messages() const {
    std::lock_guard lk(shared->lock);
    return shared->messages;
  }
  std::vector<QThread *> threads() const {
    std::lock_guard lk(shared->lock);
    return shared->threads;
  }
};

class ThreadTimerTest : public ::testing::Test {
protected:
  std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>();
  std::unique_ptr<TThreadTimer> timer = std::make_unique<TThreadTimer>(nullptr, sleeper);
  std::atomic<int> ticks{0};
  std::atomic<QThread *> tickThread{nullptr};
  std::atomic<QObject *> lastSender{nullptr};

  void bind() {
    timer->setOnTimer([this](QObject *sender) {
      lastSender = sender;
      tickThread = QThread::currentThread();
      ++ticks;
    });
  }
  // Ends the current sleep and waits for the tick it gives.
  bool tick() {
    const int before = ticks;
    sleeper->release();
    return pumpUntil([&] { return ticks > before; });
  }
};

} // namespace

TEST_F(ThreadTimerTest, DefaultsAndNoWorkerUntilAHandlerIsBound) {
  EXPECT_TRUE(timer->enabled());
  EXPECT_EQ(timer->interval(), 1000u);
  EXPECT_TRUE(timer->threaded());
  EXPECT_TRUE(timer->syncEvent());
  EXPECT_EQ(timer->threadPriority(), TThreadPriority::tpNormal);
  EXPECT_FALSE(timer->hasOnTimer());
  timer->setInterval(200);
  timer->setEnabled(false);
  timer->setEnabled(true);
  EXPECT_FALSE(timer->hasWorker());
  EXPECT_FALSE(timer->workerRunnable());

  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  EXPECT_EQ(sleeper->requests().front(), 200u);
}

TEST_F(ThreadTimerTest, SynchronisedTicksRunOnTheGuiThreadAndTheWorkerWaitsForThem) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  EXPECT_EQ(sleeper->requests().front(), 1000u);
  sleeper->release();
  // The tick waits for the GUI thread, and the next sleep waits for the tick.
  ASSERT_TRUE(waitWithoutEvents([&] { return timer->pendingHandOffs() == 1; }));
  EXPECT_EQ(sleeper->requests().size(), 1u);
  ASSERT_TRUE(pumpUntil([&] { return ticks == 1; }));
  EXPECT_EQ(tickThread.load(), guiThread());
  EXPECT_EQ(lastSender.load(), timer.get());
  ASSERT_TRUE(sleeper->waitForSleep(2));
}

TEST_F(ThreadTimerTest, SyncEventOffRunsTheHandlerOnTheWorkerAndTakesEffectAtTheNextTick) {
  timer->setSyncEvent(false);
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(waitWithoutEvents([&] { return ticks == 1; }));
  EXPECT_NE(tickThread.load(), guiThread());
  EXPECT_NE(tickThread.load(), nullptr);

  ASSERT_TRUE(sleeper->waitForSleep(2));
  timer->setSyncEvent(true);
  ASSERT_TRUE(tick());
  EXPECT_EQ(tickThread.load(), guiThread());
}

TEST_F(ThreadTimerTest, ANewIntervalGovernsTheNextSleepWithoutCuttingTheCurrentOne) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  timer->setInterval(300);
  EXPECT_TRUE(sleeper->sleeping());
  EXPECT_EQ(sleeper->interruptions(), 0);
  ASSERT_TRUE(tick());
  ASSERT_TRUE(sleeper->waitForSleep(2));
  EXPECT_EQ(sleeper->requests(), (std::vector<uint32_t>{1000, 300}));
}

TEST_F(ThreadTimerTest, IntervalZeroStopsTicksButLeavesEnabledOn) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  timer->setInterval(0);
  EXPECT_TRUE(timer->enabled());
  EXPECT_FALSE(timer->workerRunnable());
  ASSERT_TRUE(pumpUntil([&] { return sleeper->interruptions() == 1; }));
  EXPECT_EQ(ticks, 0);

  timer->setInterval(250);
  ASSERT_TRUE(sleeper->waitForSleep(2));
  EXPECT_EQ(sleeper->requests().back(), 250u);
  ASSERT_TRUE(tick());
}

TEST_F(ThreadTimerTest, ARestartAfterAStopSleepsAFreshInterval) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  timer->setEnabled(false);
  ASSERT_TRUE(pumpUntil([&] { return sleeper->interruptions() == 1; }));
  timer->setEnabled(true);
  ASSERT_TRUE(sleeper->waitForSleep(2));
  ASSERT_TRUE(tick());
  EXPECT_EQ(ticks, 1);
}

TEST_F(ThreadTimerTest, SameValueWritesAndHandlerSwapsLeaveTheWorkerAlone) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  const int updates = timer->updateCount();
  timer->setEnabled(true);
  timer->setInterval(1000);
  timer->setThreaded(true);
  timer->setThreadPriority(TThreadPriority::tpNormal);
  std::atomic<int> other{0};
  timer->setOnTimer([&](QObject *) { ++other; });
  EXPECT_EQ(timer->updateCount(), updates);
  EXPECT_EQ(sleeper->interruptions(), 0);

  sleeper->release();
  ASSERT_TRUE(pumpUntil([&] { return other == 1; }));
  EXPECT_EQ(ticks, 0);
}

TEST_F(ThreadTimerTest, APrioritySetWhileNotThreadedIsAppliedWhenThreadedReturns) {
  bind();
  ASSERT_TRUE(sleeper->waitForSleep(1));
  EXPECT_EQ(timer->appliedPriority(), TThreadPriority::tpNormal);
  timer->setThreaded(false);
  const int updates = timer->updateCount();
  timer->setThreadPriority(TThreadPriority::tpLowest);
  EXPECT_EQ(timer->updateCount(), updates);
  EXPECT_EQ(timer->threadPriority(), TThreadPriority::tpLowest);
  EXPECT_EQ(timer->appliedPriority(), TThreadPriority::tpNormal);
  timer->setThreaded(true);
  EXPECT_EQ(timer->appliedPriority(), TThreadPriority::tpLowest);
  timer->setThreadPriority(TThreadPriority::tpIdle);
  EXPECT_EQ(timer->updateCount(), updates + 2);
  EXPECT_EQ(timer->appliedPriority(), TThreadPriority::tpIdle);
}

TEST_F(ThreadTimerTest, NotThreadedTicksComeFromAGuiTimerAndThreadedTakesThemBack) {
  timer->setThreaded(false);
  timer->setInterval(5);
  bind();
  ASSERT_TRUE(pumpUntil([&] { return ticks >= 2; }));
  EXPECT_EQ(tickThread.load(), guiThread());
  EXPECT_FALSE(timer->hasWorker());
  EXPECT_TRUE(sleeper->requests().empty());

  timer->setThreaded(true);
  ASSERT_TRUE(sleeper->waitForSleep(1));
  const int before = ticks;
  ASSERT_TRUE(tick());
  EXPECT_EQ(ticks, before + 1);
}

TEST_F(ThreadTimerTest, AnIntervalSetInsideASynchronisedHandlerGovernsTheNextGap) {
  timer->setOnTimer([this](QObject *) {
    timer->setInterval(timer->interval() == 30 ? 150 : 30);
    ++ticks;
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  ASSERT_TRUE(tick());
  ASSERT_TRUE(sleeper->waitForSleep(2));
  ASSERT_TRUE(tick());
  ASSERT_TRUE(sleeper->waitForSleep(3));
  EXPECT_EQ(sleeper->requests(), (std::vector<uint32_t>{1000, 30, 150}));
}

TEST_F(ThreadTimerTest, WorkerSideExceptionsAreReportedOnTheGuiThreadAndAbortsAreSilent) {
  ReportRecorder reports;
  timer->setSyncEvent(false);
  timer->setOnTimer([this](QObject *) {
    if (++ticks == 1)
      throw EAbort();
    throw EInvalidGraphic(QStringLiteral("bad frame"));
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(sleeper->waitForSleep(2));
  sleeper->release();
  ASSERT_TRUE(sleeper->waitForSleep(3)); // the worker survived both
  ASSERT_TRUE(pumpUntil([&] { return reports.messages().size() == 1; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(reports.messages(), QStringList{QStringLiteral("bad frame")});
  EXPECT_EQ(reports.threads().front(), guiThread());
}

TEST_F(ThreadTimerTest, AnExceptionInASynchronisedHandlerIsReportedAndTheWorkerGoesOn) {
  ReportRecorder reports;
  timer->setOnTimer([this](QObject *) {
    ++ticks;
    throw EInvalidGraphic(QStringLiteral("handler failed"));
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  ASSERT_TRUE(tick());
  ASSERT_TRUE(sleeper->waitForSleep(2));
  ASSERT_TRUE(tick());
  EXPECT_EQ(reports.messages().size(), 2);
  EXPECT_EQ(reports.threads().back(), guiThread());
}

TEST_F(ThreadTimerTest, DestroyingWhileATickIsQueuedDropsTheTickWithoutDeadlock) {
  auto late = std::make_shared<std::atomic<int>>(0);
  timer->setOnTimer([late](QObject *) { ++*late; });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(waitWithoutEvents([&] { return timer->pendingHandOffs() == 1; }));
  timer.reset(); // the worker waits for this thread: the hand-off must be cancelled, then joined
  for (int i = 0; i < 20; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(*late, 0);
}

TEST_F(ThreadTimerTest, TheTimerMayBeDestroyedFromItsOwnHandler) {
  timer->setOnTimer([this](QObject *) {
    ++ticks;
    timer.reset();
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(pumpUntil([&] { return timer == nullptr; }));
  EXPECT_EQ(ticks, 1);

  timer = std::make_unique<TThreadTimer>(nullptr, sleeper);
  timer->setThreaded(false);
  timer->setInterval(1);
  timer->setOnTimer([this](QObject *) {
    ++ticks;
    timer.reset();
  });
  ASSERT_TRUE(pumpUntil([&] { return timer == nullptr; }));
  EXPECT_EQ(ticks, 2);
  for (int i = 0; i < 5; ++i)
    QCoreApplication::processEvents(); // the deferred deletes
}

TEST_F(ThreadTimerTest, CallSynchronizedRunsOnTheGuiThreadFromTheWorkerAndAtOnceElsewhere) {
  bool ranHere = false;
  timer->callSynchronized([&] { ranHere = true; }); // no worker yet
  EXPECT_TRUE(ranHere);

  std::atomic<QThread *> syncThread{nullptr};
  std::atomic<bool> waited{false};
  std::atomic<bool> errorCameBack{false};
  timer->setSyncEvent(false);
  timer->setOnTimer([&](QObject *) {
    timer->callSynchronized([&] { syncThread = QThread::currentThread(); });
    waited = syncThread.load() != nullptr;
    try {
      timer->callSynchronized([] { throw EInvalidGraphic(QStringLiteral("in sync")); });
    } catch (const EInvalidGraphic &e) {
      errorCameBack = e.message() == QStringLiteral("in sync");
    }
    ++ticks;
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  // On the GUI thread it runs at once, also while the worker runs.
  ranHere = false;
  timer->callSynchronized([&] { ranHere = true; });
  EXPECT_TRUE(ranHere);

  sleeper->release();
  ASSERT_TRUE(pumpUntil([&] { return ticks == 1; }));
  EXPECT_EQ(syncThread.load(), guiThread());
  EXPECT_TRUE(waited);
  EXPECT_TRUE(errorCameBack);
}

TEST_F(ThreadTimerTest, ACallFromTheWorkerGoesToTheGuiThreadAlsoAfterTheTimerStopped) {
  std::atomic<bool> entered{false};
  std::atomic<bool> proceed{false};
  std::atomic<QThread *> ranOn{nullptr};
  timer->setSyncEvent(false);
  timer->setOnTimer([&](QObject *) {
    entered = true;
    waitWithoutEvents([&] { return proceed.load(); });
    timer->callSynchronized([&] { ranOn = QThread::currentThread(); });
    ++ticks;
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(waitWithoutEvents([&] { return entered.load(); }));
  timer->setEnabled(false);
  proceed = true;
  ASSERT_TRUE(pumpUntil([&] { return ticks == 1; }));
  EXPECT_EQ(ranOn.load(), guiThread());
}

TEST_F(ThreadTimerTest, ASynchronisedCallCancelledByDestructionAbortsTheHandler) {
  std::atomic<bool> aborted{false};
  timer->setSyncEvent(false);
  timer->setOnTimer([&](QObject *) {
    try {
      timer->callSynchronized([] {});
    } catch (const EAbort &) {
      aborted = true;
      throw;
    }
  });
  ASSERT_TRUE(sleeper->waitForSleep(1));
  sleeper->release();
  ASSERT_TRUE(waitWithoutEvents([&] { return timer->pendingHandOffs() == 1; }));
  timer.reset();
  EXPECT_TRUE(aborted);
}

// The one test on the real clock: ticks arrive, and a worker asleep in a long interval is woken
// and joined when its timer goes.
TEST(ThreadTimerRealClock, TicksArriveAndDestructionWakesALongSleep) {
  auto timer = std::make_unique<TThreadTimer>();
  auto ticks = std::make_shared<std::atomic<int>>(0);
  timer->setInterval(10);
  timer->setOnTimer([ticks](QObject *) { ++*ticks; });
  ASSERT_TRUE(pumpUntil([&] { return *ticks >= 3; }));
  timer->setInterval(5000);
  // Let a 10 ms cycle still under way end; then the worker sleeps 5000 ms.
  QElapsedTimer settle;
  settle.start();
  pumpUntil([&] { return settle.elapsed() > 100; });
  QElapsedTimer t;
  t.start();
  timer.reset();
  EXPECT_LT(t.elapsed(), 2500);
}

// Property writes from the GUI thread racing ticks on the worker, and timers destroyed at random
// moments of their cycle. Meant for the sanitizer builds.
TEST(ThreadTimerStress, WritesRacingTicksAndDestructionStaySafe) {
  auto ticks = std::make_shared<std::atomic<int>>(0);
  for (int round = 0; round < 40; ++round) {
    auto timer = std::make_unique<TThreadTimer>();
    TThreadTimer *raw = timer.get();
    timer->setSyncEvent(round % 2 == 0);
    timer->setInterval(1);
    timer->setOnTimer([ticks, raw](QObject *) {
      ++*ticks;
      raw->setInterval(raw->interval() == 1 ? 2 : 1);
    });
    for (int i = 0; i < 50; ++i) {
      timer->setEnabled(i % 3 != 0);
      timer->setInterval(1 + i % 2);
      if (i % 7 == 0)
        timer->setSyncEvent(!timer->syncEvent());
      QCoreApplication::processEvents();
    }
    timer->setEnabled(true);
    const int before = *ticks;
    ASSERT_TRUE(pumpUntil([&] { return *ticks > before; }));
    timer->setInterval(1 + round % 2); // and destroyed at some point of its next cycle
    timer.reset();
  }
  const int after = *ticks;
  for (int i = 0; i < 20; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(*ticks, after);
  EXPECT_GT(after, 0);
}
