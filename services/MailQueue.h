#pragma once

#include "services/MailSender.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Sends mails one after another on a worker thread, so that a slow or silent server never holds
// up the thread that queues them (the GUI thread: stickers, sounds and the tick go on). Each
// mail's outcome comes back on the thread that made the queue, through the event loop.
class TMailQueue {
public:
  // Called on the queue's own thread: "" when the mail went out, else the error text. A mail
  // abandoned at the end gets `abandoned` set and no error text.
  using Done = std::function<void(const QString &error, bool abandoned)>;

  TMailQueue();
  // Stops at once, cutting off the mail under way: mails not yet sent are dropped without a word
  // (call Finish first to hear of them).
  ~TMailQueue();
  TMailQueue(const TMailQueue &) = delete;
  TMailQueue &operator=(const TMailQueue &) = delete;

  // Queues a mail for `sender`, which must outlive the send. Never blocks on the network.
  void Send(TMailSender &sender, TMailMessage message, TSmtpServer server, Done done);

  // Waits up to `limit` for every queued mail to end, then hands the outcomes over. True when
  // nothing is left.
  bool WaitIdle(std::chrono::milliseconds limit);

  // The end: mails not yet started are abandoned; the one under way gets up to `grace` to end,
  // then is aborted. Every outcome, abandoned ones too, is handed over before this returns. Later
  // Sends are abandoned at once.
  void Finish(std::chrono::milliseconds grace);

  [[nodiscard]] bool Busy() const;

private:
  struct Job {
    TMailSender *sender = nullptr;
    TMailMessage message;
    TSmtpServer server;
    Done done;
  };
  struct Outcome {
    Done done;
    QString error;
    bool abandoned = false;
  };

  void run();
  void stopWorker();
  // Runs the outcomes that arrived (queue's thread).
  void deliver();

  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::deque<Job> m_jobs;
  TMailSender *m_sending = nullptr; // the sender of the mail under way
  bool m_stopping = false;
  bool m_finished = false;
  std::vector<Outcome> m_outcomes;
  // Lives on the queue's thread; outcomes reach that thread as calls queued on it.
  std::unique_ptr<QObject> m_context;
  std::thread m_worker;
};
