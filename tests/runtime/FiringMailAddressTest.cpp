// A firing's mail through the real SMTP sender: an address list that does not parse is an error
// in the firing's log line, and the server hears nothing.

#include "RuntimeFixture.h"

#include "services/SmtpMailSender.h"
#include "tests/support/SmtpServer.h"

namespace runtimetest {
namespace {

using FiringMailAddress = RuntimeTest;

TEST_F(FiringMailAddress, AMailToAnAddressThatDoesNotParseIsLoggedAndNeverSent) {
  LocalSmtpServer server;
  ASSERT_TRUE(server.start()) << server.errorText().toStdString();
  TSmtpMailSender smtp;
  ScopedMailSender smtpScope(smtp);
  mainSettings.writeString(QStringLiteral("Mail"), QStringLiteral("Host"),
                           QStringLiteral("127.0.0.1"));
  mainSettings.writeInteger(QStringLiteral("Mail"), QStringLiteral("Port"), server.port());
  TDataObject &r = list.add(once(at(9, 0)));
  r.mail.enable = true;
  r.mail.to = QStringLiteral("<evil>@x");
  r.mail.from = QStringLiteral("anna@example.org");
  tickAfter(1000);
  EXPECT_TRUE(firing(r).firing);
  ASSERT_TRUE(runtime->WaitForMail(std::chrono::seconds(10)));
  ASSERT_EQ(logLines().size(), 1);
  EXPECT_EQ(fields(logLines()[0]).value(10),
            QStringLiteral("Sorry, email was not sent! Error: Invalid address in To: \"<evil>@x\": "
                           "Text follows the closing \">\"."));
  EXPECT_TRUE(server.messages(0, 0).empty());
}

} // namespace
} // namespace runtimetest
