#include "services/FileWriteQueue.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QMetaObject>

TFileWriteQueue::TFileWriteQueue() : m_context(std::make_unique<QObject>()) {
  m_worker = std::thread([this] { run(); });
}

TFileWriteQueue::~TFileWriteQueue() {
  {
    std::lock_guard guard(m_lock);
    m_stopping = true;
    m_changed.notify_all();
  }
  if (m_worker.joinable())
    m_worker.join();
}

void TFileWriteQueue::Write(const QString &path, Producer bytes, Done done) {
  std::lock_guard guard(m_lock);
  m_jobs.push_back(Job{path, std::move(bytes), std::move(done)});
  m_changed.notify_all();
}

bool TFileWriteQueue::WaitIdle(std::chrono::milliseconds limit) {
  bool idle = false;
  {
    std::unique_lock guard(m_lock);
    idle = m_changed.wait_for(guard, limit, [this] { return m_jobs.empty() && !m_writing; });
  }
  deliver();
  return idle;
}

// A stop waits for the jobs queued before it: a file the program was told to write is written.
void TFileWriteQueue::run() {
  std::unique_lock guard(m_lock);
  for (;;) {
    m_changed.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_jobs.empty())
      return;
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_writing = true;
    guard.unlock();
    TOutcome outcome = TOutcome::NothingToWrite;
    QString error;
    try {
      if (const std::optional<QByteArray> bytes = job.bytes()) {
        WriteFileAtomic(job.path, *bytes);
        outcome = TOutcome::Written;
      }
    } catch (...) {
      outcome = TOutcome::Failed;
      error = errors::describeCurrentException();
    }
    job.bytes = nullptr;
    guard.lock();
    m_writing = false;
    m_outcomes.push_back(Outcome{std::move(job.done), outcome, error});
    m_changed.notify_all();
    QMetaObject::invokeMethod(
        m_context.get(), [this] { deliver(); }, Qt::QueuedConnection);
  }
}

void TFileWriteQueue::deliver() {
  std::vector<Outcome> ready;
  {
    std::lock_guard guard(m_lock);
    ready.swap(m_outcomes);
  }
  for (Outcome &o : ready) {
    if (o.done)
      o.done(o.outcome, o.error);
  }
}
