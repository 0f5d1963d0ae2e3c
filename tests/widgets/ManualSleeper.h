#pragma once

#include "widgets/ThreadTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// Runs the GUI thread's events until cond holds; false after the bound. The bound only stops a
// broken test from hanging: no test depends on how long anything takes.
inline bool pumpUntil(const std::function<bool()> &cond, int boundMs = 5000) {
  QElapsedTimer t;
  t.start();
  while (!cond()) {
    if (t.elapsed() > boundMs)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A sleeper the test ends by hand: the worker's sleeps are recorded and last until release().
class ManualSleeper final : public TTimerSleeper {
public:
  bool sleep(uint32_t ms) override {
    std::unique_lock lk(m_lock);
    m_requests.push_back(ms);
    m_sleeping = true;
    m_changed.notify_all();
    // The bound keeps a broken test from hanging; it counts as an interrupted sleep.
    m_changed.wait_for(lk, std::chrono::seconds(10),
                       [this] { return m_releases > 0 || m_interrupted; });
    m_sleeping = false;
    bool full = false;
    if (m_interrupted) {
      m_interrupted = false;
      ++m_interruptions;
    } else if (m_releases > 0) {
      --m_releases;
      full = true;
    }
    m_changed.notify_all();
    return full;
  }
  void interrupt() override {
    std::lock_guard lk(m_lock);
    m_interrupted = true;
    m_changed.notify_all();
  }

  // Waits until the worker sleeps its n-th sleep (1-based).
  bool waitForSleep(size_t n) {
    std::unique_lock lk(m_lock);
    return m_changed.wait_for(lk, std::chrono::seconds(5),
                              [&] { return m_requests.size() >= n && m_sleeping; });
  }
  // Lets the current sleep end as a full one.
  void release() {
    std::lock_guard lk(m_lock);
    ++m_releases;
    m_changed.notify_all();
  }
  [[nodiscard]] std::vector<uint32_t> requests() const {
    std::lock_guard lk(m_lock);
    return m_requests;
  }
  [[nodiscard]] int interruptions() const {
    std::lock_guard lk(m_lock);
    return m_interruptions;
  }
  [[nodiscard]] bool sleeping() const {
    std::lock_guard lk(m_lock);
    return m_sleeping;
  }

private:
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<uint32_t> m_requests;
  int m_releases = 0;
  int m_interruptions = 0;
  bool m_interrupted = false;
  bool m_sleeping = false;
};
