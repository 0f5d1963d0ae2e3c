#include "services/MailSender.h"

#include <gtest/gtest.h>

namespace {

class RecordingSender final : public TMailSender {
public:
  void send(const TMailMessage &message, const TSmtpServer &server) override {
    messages.push_back(message);
    servers.push_back(server);
  }
  std::vector<TMailMessage> messages;
  std::vector<TSmtpServer> servers;
};

} // namespace

TEST(MailSender, SendMailMessageGoesThroughTheInstalledSender) {
  RecordingSender fake;
  {
    ScopedMailSender scope(fake);
    SendMailMessage(QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("f@x"),
                    QStringLiteral("t@x"), QStringLiteral("c@x"), QStringLiteral("bc@x"),
                    QStringLiteral("a.txt"), QStringLiteral("smtp.x"), 587, QStringLiteral("u"),
                    QStringLiteral("p"), QStringLiteral("r@x"));
    EXPECT_EQ(&mailSender(), &fake);
  }
  EXPECT_NE(&mailSender(), &fake);
  ASSERT_EQ(fake.messages.size(), 1u);
  const TMailMessage &m = fake.messages.front();
  EXPECT_EQ(m.subject, QStringLiteral("s"));
  EXPECT_EQ(m.body, QStringLiteral("b"));
  EXPECT_EQ(m.from, QStringLiteral("f@x"));
  EXPECT_EQ(m.to, QStringLiteral("t@x"));
  EXPECT_EQ(m.cc, QStringLiteral("c@x"));
  EXPECT_EQ(m.bcc, QStringLiteral("bc@x"));
  EXPECT_EQ(m.files, QStringLiteral("a.txt"));
  EXPECT_EQ(m.receipt, QStringLiteral("r@x"));
  const TSmtpServer &s = fake.servers.front();
  EXPECT_EQ(s.host, QStringLiteral("smtp.x"));
  EXPECT_EQ(s.port, 587);
  EXPECT_EQ(s.user, QStringLiteral("u"));
  EXPECT_EQ(s.password, QStringLiteral("p"));
}
