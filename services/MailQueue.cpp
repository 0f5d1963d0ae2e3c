#include "services/MailQueue.h"

#include "platform/Errors.h"

#include <QMetaObject>

TMailQueue::TMailQueue() : m_context(std::make_unique<QObject>()) {
  m_worker = std::thread([this] { run(); });
}

TMailQueue::~TMailQueue() {
  {
    std::lock_guard guard(m_lock);
    if (m_sending) // never wait out a send time-out here
      m_sending->abort();
  }
  stopWorker();
}

void TMailQueue::Send(TMailSender &sender, TMailMessage message, TSmtpServer server, Done done) {
  {
    std::lock_guard guard(m_lock);
    if (!m_finished) {
      m_jobs.push_back(Job{&sender, std::move(message), std::move(server), std::move(done)});
      m_changed.notify_all();
      return;
    }
  }
  if (done)
    done(QString(), true);
}

bool TMailQueue::Busy() const {
  std::lock_guard guard(m_lock);
  return !m_jobs.empty() || m_sending;
}

bool TMailQueue::WaitIdle(std::chrono::milliseconds limit) {
  bool idle = false;
  {
    std::unique_lock guard(m_lock);
    idle = m_changed.wait_for(guard, limit, [this] { return m_jobs.empty() && !m_sending; });
  }
  deliver();
  return idle;
}

void TMailQueue::Finish(std::chrono::milliseconds grace) {
  std::deque<Job> dropped;
  {
    std::unique_lock guard(m_lock);
    m_finished = true;
    dropped.swap(m_jobs);
    // The mail under way may still go out within the grace; a server that keeps it longer is
    // cut off, so the end never waits for the full send time-out.
    if (!m_changed.wait_for(guard, grace, [this] { return !m_sending; }) && m_sending)
      m_sending->abort();
  }
  stopWorker();
  for (Job &job : dropped)
    m_outcomes.push_back(Outcome{std::move(job.done), QString(), true});
  deliver();
}

void TMailQueue::stopWorker() {
  {
    std::lock_guard guard(m_lock);
    m_stopping = true;
    m_changed.notify_all();
  }
  if (m_worker.joinable())
    m_worker.join();
}

void TMailQueue::run() {
  std::unique_lock guard(m_lock);
  for (;;) {
    m_changed.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
    if (m_stopping)
      return;
    Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    m_sending = job.sender;
    guard.unlock();
    QString error;
    try {
      job.sender->send(job.message, job.server);
    } catch (...) {
      error = errors::describeCurrentException();
    }
    const bool aborted = job.sender->aborted();
    guard.lock();
    m_sending = nullptr;
    m_outcomes.push_back(Outcome{std::move(job.done), error, aborted});
    m_changed.notify_all();
    QMetaObject::invokeMethod(
        m_context.get(), [this] { deliver(); }, Qt::QueuedConnection);
  }
}

void TMailQueue::deliver() {
  std::vector<Outcome> ready;
  {
    std::lock_guard guard(m_lock);
    ready.swap(m_outcomes);
  }
  for (Outcome &o : ready) {
    if (o.done)
      o.done(o.error, o.abandoned);
  }
}
