#include "widgets/ThreadTimer.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimerEvent>

#include <chrono>

namespace {

// Set when the application starts to quit; the worker stops ticking from then on.
std::atomic<bool> g_applicationTerminating{false};

void watchApplicationQuit() {
  static std::once_flag once;
  QCoreApplication *app = QCoreApplication::instance();
  if (app == nullptr)
    return;
  std::call_once(once, [app] {
    QObject::connect(app, &QCoreApplication::aboutToQuit, [] { g_applicationTerminating = true; });
  });
}

bool onGuiThread() {
  const QCoreApplication *app = QCoreApplication::instance();
  return app == nullptr || QThread::currentThread() == app->thread();
}

QThread::Priority toQt(TThreadPriority p) {
  switch (p) {
  case TThreadPriority::tpIdle:
    return QThread::IdlePriority;
  case TThreadPriority::tpLowest:
    return QThread::LowestPriority;
  case TThreadPriority::tpLower:
    return QThread::LowPriority;
  case TThreadPriority::tpNormal:
    return QThread::NormalPriority;
  case TThreadPriority::tpHigher:
    return QThread::HighPriority;
  case TThreadPriority::tpHighest:
    return QThread::HighestPriority;
  case TThreadPriority::tpTimeCritical:
    return QThread::TimeCriticalPriority;
  }
  return QThread::NormalPriority;
}

class SteadySleeper final : public TTimerSleeper {
public:
  bool sleep(uint32_t ms) override {
    std::unique_lock lk(m_lock);
    const bool interrupted =
        m_wake.wait_for(lk, std::chrono::milliseconds(ms), [this] { return m_interrupted; });
    m_interrupted = false;
    return !interrupted;
  }
  void interrupt() override {
    {
      std::lock_guard lk(m_lock);
      m_interrupted = true;
    }
    m_wake.notify_all();
  }

private:
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_interrupted = false;
};

// Hands an exception caught on the worker to the GUI thread's exception handler, without
// waiting: the handler may show a message, and widgets belong to the GUI thread.
void reportFromWorker(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort &) {
    return;
  } catch (...) {
  }
  auto report = [error = std::move(error)] {
    errors::guardedCall([&error] { std::rethrow_exception(error); });
  };
  if (QCoreApplication *app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, report, Qt::QueuedConnection);
  else
    report();
}

} // namespace

// The worker: sleeps the interval and ticks, until its timer ends it.
class TTimerThread final : public QThread {
public:
  explicit TTimerThread(TThreadTimer *owner) : m_owner(owner) {}
  void run() override { m_owner->workerLoop(); }

private:
  TThreadTimer *m_owner;
};

// The non-threaded mode's timer: a GUI-thread object whose timer events tick.
class TThreadTimer::Window final : public QObject {
public:
  explicit Window(TThreadTimer *owner) : m_owner(owner) {}

protected:
  void timerEvent(QTimerEvent *e) override {
    if (e->timerId() != m_owner->m_windowTimerId)
      return;
    QPointer<TThreadTimer> alive(m_owner);
    ++m_owner->m_guiCallDepth;
    errors::guardedCall([this] { m_owner->fireTimer(); });
    if (alive)
      --alive->m_guiCallDepth;
  }

private:
  TThreadTimer *m_owner;
};

struct TThreadTimer::HandOff {
  enum class State { Pending, Running, Done, Cancelled };

  std::function<void()> method;
  // true: an exception is reported on the GUI thread; false: it goes back to the caller.
  bool reportOnGuiThread = false;
  std::mutex lock;
  std::condition_variable changed;
  State state = State::Pending;
  std::exception_ptr error;

  void finish(State to) {
    {
      std::lock_guard lk(lock);
      if (state == State::Pending || state == State::Running)
        state = to;
    }
    changed.notify_all();
  }
};

TThreadTimer::TThreadTimer(QObject *owner, std::shared_ptr<TTimerSleeper> sleeper)
    : QObject(owner), m_sleeper(sleeper ? std::move(sleeper) : std::make_shared<SteadySleeper>()),
      m_receiver(std::make_unique<QObject>()) {
  watchApplicationQuit();
}

TThreadTimer::~TThreadTimer() {
  m_destroying = true;
  m_enabled = false;
  {
    std::lock_guard lk(m_lock);
    m_handler = nullptr;
    m_wantRun = false;
    m_stopping = true;
  }
  m_wake.notify_all();
  // Wake the worker out of its sleep and out of a hand-off that waits for the GUI thread (this
  // thread), then join it; a tick still queued for the GUI thread dies with m_receiver.
  m_sleeper->interrupt();
  cancelHandOffs();
  if (m_thread) {
    Q_ASSERT_X(QThread::currentThread() != m_thread.get(), "TThreadTimer",
               "destroyed on its own worker");
    m_thread->wait();
    m_thread.reset();
  }
  releaseWindow();
  if (m_guiCallDepth > 0)
    m_receiver.release()->deleteLater(); // it is delivering the call we are inside
  else
    m_receiver.reset();
}

void TThreadTimer::setEnabled(bool value) {
  if (m_enabled == value)
    return;
  m_enabled = value;
  updateTimer();
}

void TThreadTimer::setInterval(uint32_t value) {
  if (m_interval == value)
    return;
  m_interval = value;
  updateTimer();
}

void TThreadTimer::setThreaded(bool value) {
  if (m_threaded == value)
    return;
  m_threaded = value;
  updateTimer();
}

void TThreadTimer::setThreadPriority(TThreadPriority value) {
  if (m_priority == value)
    return;
  m_priority = value;
  if (m_threaded)
    updateTimer();
}

bool TThreadTimer::hasOnTimer() const {
  std::lock_guard lk(m_lock);
  return bool(m_handler);
}

void TThreadTimer::setOnTimer(TNotifyEvent handler) {
  bool wasBound = false;
  {
    std::lock_guard lk(m_lock);
    wasBound = bool(m_handler);
    m_handler = std::move(handler);
  }
  if (wasBound != hasOnTimer())
    updateTimer();
}

std::optional<TThreadPriority> TThreadTimer::appliedPriority() const {
  std::lock_guard lk(m_lock);
  return m_appliedPriority;
}

bool TThreadTimer::workerRunnable() const {
  std::lock_guard lk(m_lock);
  return m_wantRun;
}

int TThreadTimer::pendingHandOffs() const {
  std::lock_guard lk(m_lock);
  return int(m_pending.size());
}

void TThreadTimer::fireTimer() {
  if (!m_enabled || m_destroying)
    return;
  TNotifyEvent handler;
  {
    std::lock_guard lk(m_lock);
    handler = m_handler;
  }
  // Called through a copy, so a handler that unbinds itself (or destroys the timer) keeps
  // running on valid state.
  if (handler)
    handler(this);
}

void TThreadTimer::updateTimer() {
  if (m_destroying)
    return;
  // The GUI timer of the non-threaded mode belongs to the GUI thread: a handler still running on
  // the worker when that mode was chosen leaves the update to the GUI thread.
  if (!m_threaded && !onGuiThread()) {
    QMetaObject::invokeMethod(
        m_receiver.get(), [this] { updateTimer(); }, Qt::QueuedConnection);
    return;
  }
  std::lock_guard serial(m_updateLock);
  ++m_updateCount;
  if (m_threaded) {
    if (onGuiThread())
      releaseWindow();
    updateThreaded();
  } else {
    updateThreaded(); // stops the worker
    updateWindowTimer();
  }
}

// The worker never gets suspended from outside: it waits at its gate while it should not run.
// A stop bumps the epoch, which ends the current sleep, so a restart sleeps a fresh interval;
// a new interval alone leaves the current sleep alone and governs the next one.
void TThreadTimer::updateThreaded() {
  bool stopped = false;
  bool run = false;
  TTimerThread *startWorker = nullptr;
  {
    std::lock_guard lk(m_lock);
    run = m_threaded && m_interval != 0 && m_enabled && bool(m_handler);
    stopped = m_wantRun && !run;
    if (stopped)
      ++m_runEpoch;
    m_wantRun = run;
    m_workerInterval = m_interval;
    if (run) {
      m_appliedPriority = m_priority.load();
      // Started lazily: an animator that never animates costs no thread.
      if (!m_thread) {
        m_thread = std::make_unique<TTimerThread>(this);
        startWorker = m_thread.get();
      }
    }
  }
  m_wake.notify_all();
  if (stopped)
    m_sleeper->interrupt();
  if (startWorker != nullptr)
    startWorker->start(toQt(m_priority));
  else if (run)
    m_thread->setPriority(toQt(m_priority));
}

void TThreadTimer::updateWindowTimer() {
  if (!m_window)
    m_window = std::make_unique<Window>(this);
  else if (m_windowTimerId != 0)
    m_window->killTimer(m_windowTimerId);
  m_windowTimerId = 0;
  if (m_interval != 0 && m_enabled && hasOnTimer()) {
    m_windowTimerId =
        m_window->startTimer(std::chrono::milliseconds(m_interval.load()), Qt::PreciseTimer);
    if (m_windowTimerId == 0)
      throw EOutOfResources(QStringLiteral("Not enough timers available"));
  }
}

void TThreadTimer::releaseWindow() {
  if (!m_window)
    return;
  if (m_windowTimerId != 0)
    m_window->killTimer(m_windowTimerId);
  m_windowTimerId = 0;
  if (m_guiCallDepth > 0)
    m_window.release()->deleteLater(); // it may be delivering the tick we are inside
  else
    m_window.reset();
}

bool TThreadTimer::workerClosed() const { return m_stopping || g_applicationTerminating; }

void TThreadTimer::workerLoop() {
  for (;;) {
    uint32_t ms = 0;
    uint64_t epoch = 0;
    {
      std::unique_lock lk(m_lock);
      m_wake.wait(lk, [this] { return m_stopping || m_wantRun; });
      if (m_stopping)
        return;
      ms = m_workerInterval;
      epoch = m_runEpoch;
    }
    // Only a full sleep counts.
    if (!m_sleeper->sleep(ms))
      continue;
    {
      std::lock_guard lk(m_lock);
      if (m_stopping)
        return;
      if (workerClosed() || !m_wantRun || m_runEpoch != epoch)
        continue;
    }
    if (!m_enabled)
      continue;
    if (m_syncEvent) {
      auto h = std::make_shared<HandOff>();
      h->method = [this] { fireTimer(); };
      h->reportOnGuiThread = true;
      if (!handOff(h))
        return;
    } else {
      try {
        fireTimer();
      } catch (...) {
        reportFromWorker(std::current_exception());
      }
    }
  }
}

void TThreadTimer::callSynchronized(const std::function<void()> &method) {
  if (onGuiThread()) {
    method();
    return;
  }
  bool callerIsWorker = false;
  bool workerActive = false;
  {
    std::lock_guard lk(m_lock);
    callerIsWorker = m_thread != nullptr && QThread::currentThread() == m_thread.get();
    workerActive = m_thread != nullptr && m_wantRun && !m_stopping;
  }
  // The worker itself always hands over, also when its timer was stopped while the tick ran:
  // running the method there would put GUI work on the worker.
  if (!callerIsWorker && !workerActive) {
    method();
    return;
  }
  auto h = std::make_shared<HandOff>();
  h->method = method;
  if (!handOff(h))
    throw EAbort();
  if (h->error)
    std::rethrow_exception(h->error);
}

bool TThreadTimer::handOff(const std::shared_ptr<HandOff> &h) {
  {
    std::lock_guard lk(m_lock);
    if (m_stopping)
      return false;
    m_pending.push_back(h);
  }
  QMetaObject::invokeMethod(
      m_receiver.get(), [this, h] { runHandOff(h); }, Qt::QueuedConnection);
  bool cancelled = false;
  {
    std::unique_lock lk(h->lock);
    h->changed.wait(lk, [&h] {
      return h->state == HandOff::State::Done || h->state == HandOff::State::Cancelled;
    });
    cancelled = h->state == HandOff::State::Cancelled;
  }
  std::lock_guard lk(m_lock);
  std::erase(m_pending, h);
  return !cancelled;
}

// Runs on the GUI thread. A cancelled hand-off means the timer is being destroyed: do nothing.
void TThreadTimer::runHandOff(const std::shared_ptr<HandOff> &h) {
  {
    std::lock_guard lk(h->lock);
    if (h->state != HandOff::State::Pending)
      return;
    h->state = HandOff::State::Running;
  }
  QPointer<TThreadTimer> alive(this);
  ++m_guiCallDepth;
  if (h->reportOnGuiThread) {
    // An exception stays here, on the GUI thread; the worker goes on ticking.
    errors::guardedCall(h->method);
  } else {
    try {
      h->method();
    } catch (...) {
      h->error = std::current_exception();
    }
  }
  if (alive)
    --alive->m_guiCallDepth;
  h->finish(HandOff::State::Done);
}

void TThreadTimer::cancelHandOffs() {
  std::vector<std::shared_ptr<HandOff>> pending;
  {
    std::lock_guard lk(m_lock);
    pending = m_pending;
  }
  for (const auto &h : pending)
    h->finish(HandOff::State::Cancelled);
}
