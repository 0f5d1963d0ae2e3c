#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// An event handler that is told who raised it.
using TNotifyEvent = std::function<void(QObject *sender)>;

// Priorities of the timer's worker thread. On Linux only tpIdle changes anything for an ordinary
// user; the others are applied as far as the system allows.
enum class TThreadPriority {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// How the worker waits out one interval. The default sleeps on the monotonic clock; tests put in
// one they drive by hand.
class TTimerSleeper {
public:
  virtual ~TTimerSleeper() = default;
  // Blocks for up to ms milliseconds; gives true only when the whole time passed. An interrupt()
  // that came before the sleep began ends it at once.
  virtual bool sleep(uint32_t ms) = 0;
  // Ends the current (or the next) sleep early.
  virtual void interrupt() = 0;
};

class TTimerThread;

// A timer that calls OnTimer every Interval milliseconds while Enabled is on and a handler is
// bound. Threaded (the default): a worker thread of its own sleeps the interval; with SyncEvent on
// (the default) it hands each tick to the GUI thread and waits until the handler has run, with
// SyncEvent off the handler runs on the worker. Not threaded: a timer on the GUI thread.
//
// Writers belong to the GUI thread; a handler that runs on the worker may write Enabled and
// Interval. Destroy the timer on the GUI thread: that stops and joins the worker, and a tick
// already queued for the GUI thread is dropped.
class TThreadTimer : public QObject {
public:
  explicit TThreadTimer(QObject *owner = nullptr, std::shared_ptr<TTimerSleeper> sleeper = {});
  ~TThreadTimer() override;
  TThreadTimer(const TThreadTimer &) = delete;
  TThreadTimer &operator=(const TThreadTimer &) = delete;

  [[nodiscard]] bool enabled() const { return m_enabled; }
  void setEnabled(bool value);
  [[nodiscard]] uint32_t interval() const { return m_interval; }
  // A new interval governs the next sleep; the current one is not cut short.
  void setInterval(uint32_t value);
  [[nodiscard]] bool threaded() const { return m_threaded; }
  void setThreaded(bool value);
  // Read by the worker at each tick.
  [[nodiscard]] bool syncEvent() const { return m_syncEvent; }
  void setSyncEvent(bool value) { m_syncEvent = value; }
  [[nodiscard]] TThreadPriority threadPriority() const { return m_priority; }
  void setThreadPriority(TThreadPriority value);
  [[nodiscard]] bool hasOnTimer() const;
  // Replacing one bound handler by another leaves the running worker alone.
  void setOnTimer(TNotifyEvent handler);

  // Runs method on the GUI thread and waits for it when called from the worker (or from another
  // thread while the worker runs); on the GUI thread, or while no worker runs, at once. An
  // exception from method is raised again here; a call that the timer's destruction cancels
  // raises EAbort.
  void callSynchronized(const std::function<void()> &method);

  // For tests: how often the running state was re-evaluated, the priority last given to the
  // worker, whether a worker thread exists, whether it may run, and how many hand-offs wait for
  // the GUI thread.
  [[nodiscard]] int updateCount() const { return m_updateCount; }
  [[nodiscard]] std::optional<TThreadPriority> appliedPriority() const;
  [[nodiscard]] bool hasWorker() const { return m_thread != nullptr; }
  [[nodiscard]] bool workerRunnable() const;
  [[nodiscard]] int pendingHandOffs() const;

protected:
  // Calls OnTimer with the timer as sender while Enabled is on, a handler is bound and the timer
  // is not being destroyed.
  virtual void fireTimer();

private:
  friend class TTimerThread;
  class Window;
  struct HandOff;

  void updateTimer();
  void updateThreaded();
  void updateWindowTimer();
  void releaseWindow();
  void workerLoop();
  [[nodiscard]] bool workerClosed() const;
  // Hands f to the GUI thread and waits. Gives false when the hand-off was cancelled.
  bool handOff(const std::shared_ptr<HandOff> &h);
  void runHandOff(const std::shared_ptr<HandOff> &h);
  void cancelHandOffs();

  std::atomic<bool> m_enabled{true};
  std::atomic<uint32_t> m_interval{1000};
  std::atomic<bool> m_syncEvent{true};
  std::atomic<bool> m_threaded{true};
  std::atomic<TThreadPriority> m_priority{TThreadPriority::tpNormal};
  std::atomic<bool> m_destroying{false};
  std::atomic<int> m_updateCount{0};

  // Serialises updateTimer between the GUI thread and a handler running on the worker.
  std::mutex m_updateLock;

  // The worker's gate and everything it shares with the GUI thread.
  mutable std::mutex m_lock;
  std::condition_variable m_wake;
  TNotifyEvent m_handler;
  bool m_wantRun = false;  // threaded, Interval > 0, Enabled and a handler bound
  uint64_t m_runEpoch = 0; // counts the stops, so a restart sleeps a fresh interval
  uint32_t m_workerInterval = 1000;
  bool m_stopping = false;
  std::vector<std::shared_ptr<HandOff>> m_pending;
  std::optional<TThreadPriority> m_appliedPriority;

  std::shared_ptr<TTimerSleeper> m_sleeper;
  std::unique_ptr<TTimerThread> m_thread;
  // Receives queued hand-offs on the GUI thread; deleting it drops the ones not yet run.
  std::unique_ptr<QObject> m_receiver;
  // The non-threaded mode's timer.
  std::unique_ptr<Window> m_window;
  int m_windowTimerId = 0;
  // Set while this timer's code runs a handler on the GUI thread, so destruction from inside the
  // handler leaves the object that is delivering the event to Qt.
  int m_guiCallDepth = 0;
};
