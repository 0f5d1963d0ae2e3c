#include "services/MailQueue.h"

#include "services/SmtpMailSender.h"
#include "tests/support/SilentListener.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

struct Outcome {
  QString subject;
  QString error;
  bool abandoned = false;
};

TMailMessage mailAbout(const QString &subject) {
  TMailMessage m;
  m.subject = subject;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  return m;
}

} // namespace

// A stop while a silent server holds a mail: the stop cuts it off after its grace, not after the
// send time-outs, and names every mail it gives up.
TEST(MailQueue, FinishAbandonsTheMailUnderWayAndTheQueuedOnesWithinItsGrace) {
  SilentListener silent;
  ASSERT_NE(silent.port(), 0);
  TSmtpMailSender smtp(TSmtpTimeouts{std::chrono::seconds(60), std::chrono::seconds(120)});
  TSmtpServer server;
  server.host = QStringLiteral("127.0.0.1");
  server.port = silent.port();
  std::vector<Outcome> outcomes;
  TMailQueue queue;
  for (const QString &subject : {QStringLiteral("one"), QStringLiteral("two")})
    queue.Send(smtp, mailAbout(subject), server, [&outcomes, subject](const QString &e, bool a) {
      outcomes.push_back(Outcome{subject, e, a});
    });
  EXPECT_FALSE(queue.WaitIdle(std::chrono::milliseconds(300)));
  EXPECT_TRUE(outcomes.empty());
  QElapsedTimer wall;
  wall.start();
  queue.Finish(std::chrono::milliseconds(200));
  EXPECT_LT(wall.elapsed(), 3000);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].abandoned && outcomes[1].abandoned);
  EXPECT_EQ(outcomes[0].subject + outcomes[1].subject, QStringLiteral("onetwo"));
  EXPECT_FALSE(queue.Busy());
}
