#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Writes whole files (WriteFileAtomic, platform/AtomicFile.h) one after another on a thread of
// its own, so that the thread that queues them (the GUI thread) never waits for the disk. The
// writes are made in the order they were queued. Each write's outcome comes back on the thread
// that made the queue, through the event loop.
class TFileWriteQueue {
public:
  // Makes the bytes of a write on the worker: it must use only what it holds itself. None: there
  // is nothing to write after all. What it raises fails the write.
  using Producer = std::function<std::optional<QByteArray>()>;
  enum class TOutcome { Written, Failed, NothingToWrite };
  // Called on the queue's own thread, with the error text of a failed write.
  using Done = std::function<void(TOutcome outcome, const QString &error)>;

  TFileWriteQueue();
  // Makes every queued write first (their outcomes are dropped: call WaitIdle to hear of them).
  ~TFileWriteQueue();
  TFileWriteQueue(const TFileWriteQueue &) = delete;
  TFileWriteQueue &operator=(const TFileWriteQueue &) = delete;

  void Write(const QString &path, Producer bytes, Done done);

  // Waits up to `limit` for every queued write to end, then hands the outcomes over. True when
  // nothing is left.
  bool WaitIdle(std::chrono::milliseconds limit);

private:
  struct Job {
    QString path;
    Producer bytes;
    Done done;
  };
  struct Outcome {
    Done done;
    TOutcome outcome;
    QString error;
  };

  void run();
  // Runs the outcomes that arrived (queue's thread).
  void deliver();

  std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<Job> m_jobs;
  bool m_writing = false;
  bool m_stopping = false;
  std::vector<Outcome> m_outcomes;
  // Lives on the queue's thread; outcomes reach that thread as calls queued on it.
  std::unique_ptr<QObject> m_context;
  std::thread m_worker;
};
