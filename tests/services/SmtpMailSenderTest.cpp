#include "services/SmtpMailSender.h"

#include "platform/Clock.h"
#include "tests/support/Sandbox.h"
#include "tests/support/SilentListener.h"
#include "tests/support/SmtpServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkInterface>

#include <gtest/gtest.h>

namespace {

QByteArray headerBlock(const QByteArray &data) { return data.left(data.indexOf("\r\n\r\n") + 2); }

// The decoded body of the attachment part whose file name is given.
QByteArray attachmentBytes(const QByteArray &data, const QByteArray &fileName) {
  const QByteArray marker = "filename=\"" + fileName + "\"\r\n\r\n";
  const qsizetype start = data.indexOf(marker);
  if (start < 0)
    return {};
  const qsizetype from = start + marker.size();
  const qsizetype end = data.indexOf("\r\n--", from);
  return QByteArray::fromBase64(data.mid(from, end - from));
}

TSmtpServer local(int port) {
  TSmtpServer s;
  s.host = QStringLiteral("127.0.0.1");
  s.port = port;
  return s;
}

} // namespace

TEST(SmtpMailSender, DeliversMessageWithCopiesAndAttachments) {
  LocalSmtpServer server;
  ASSERT_TRUE(server.start()) << server.errorText().toStdString();

  const QString dir = sandbox::makeTempDir(QStringLiteral("smtp"));
  QByteArray binary;
  for (int i = 0; i < 70000; ++i)
    binary += static_cast<char>((i * 131) ^ (i >> 8));
  const QByteArray text = "first line\r\n.dot line\r\nlast";
  {
    QFile a(dir + QStringLiteral("/data.bin"));
    ASSERT_TRUE(a.open(QIODevice::WriteOnly));
    a.write(binary);
    QFile b(dir + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write(text);
  }

  TMailMessage m;
  m.subject = QStringLiteral("Reminder: Grüße");
  m.body = QStringLiteral("Hello\n.\n.starts with a dot\nBye");
  m.from = QStringLiteral("Tolvane <me@example.org>");
  m.to = QStringLiteral("to@example.org");
  m.cc = QStringLiteral("\"Copy, C\" <cc@example.org>");
  m.bcc = QStringLiteral("blind@example.org");
  m.files = QStringLiteral("%1/data.bin,%1/notes.txt").arg(dir);
  TSmtpMailSender sender;
  ASSERT_NO_THROW(sender.send(m, local(server.port())));

  const auto received = server.messages(1);
  ASSERT_EQ(received.size(), 1u);
  const LocalSmtpServer::Received &r = received.front();
  EXPECT_EQ(r.mailFrom, QStringLiteral("me@example.org"));
  EXPECT_EQ(r.recipients,
            (QStringList{QStringLiteral("to@example.org"), QStringLiteral("cc@example.org"),
                         QStringLiteral("blind@example.org")}));
  EXPECT_EQ(r.login, QString());
  const QByteArray headers = headerBlock(r.data);
  EXPECT_TRUE(headers.contains("\r\nCc: \"Copy, C\" <cc@example.org>\r\n"));
  EXPECT_FALSE(r.data.contains("blind@")) << "Bcc must not reach the message";
  EXPECT_TRUE(headers.contains("Subject: =?UTF-8?B?"));
  // The body's lone dot and leading dots survive the SMTP transparency rule.
  EXPECT_TRUE(r.data.contains("Hello\r\n.\r\n.starts with a dot\r\nBye\r\n"));
  EXPECT_EQ(attachmentBytes(r.data, "data.bin"), binary);
  EXPECT_EQ(attachmentBytes(r.data, "notes.txt"), text);
}

TEST(SmtpMailSender, LogsInWhenUserIsSet) {
  LocalSmtpServer server;
  LocalSmtpServer::Options o;
  o.user = QStringLiteral("anna");
  o.password = QStringLiteral("s3cret");
  ASSERT_TRUE(server.start(o)) << server.errorText().toStdString();
  TMailMessage m;
  m.from = QStringLiteral("anna@example.org");
  m.to = QStringLiteral("bob@example.org");
  m.subject = QStringLiteral("hi");
  TSmtpServer s = local(server.port());
  TSmtpMailSender sender;

  s.user = QStringLiteral("anna");
  s.password = QStringLiteral("wrong");
  try {
    sender.send(m, s);
    FAIL() << "a wrong password must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("535"))) << e.message().toStdString();
  }

  s.password = QStringLiteral("s3cret");
  ASSERT_NO_THROW(sender.send(m, s));
  const auto received = server.messages(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received.front().login, QStringLiteral("anna"));
}

TEST(SmtpMailSender, NeverLogsInWithoutEncryptionToAServerElsewhere) {
  QString address;
  for (const QHostAddress &a : QNetworkInterface::allAddresses())
    if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
      address = a.toString();
  if (address.isEmpty())
    GTEST_SKIP() << "no address besides the loopback";
  LocalSmtpServer server;
  LocalSmtpServer::Options o;
  o.user = QStringLiteral("anna");
  o.password = QStringLiteral("s3cret");
  o.address = address;
  ASSERT_TRUE(server.start(o)) << server.errorText().toStdString();
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  TSmtpServer s = local(server.port());
  s.host = address;
  s.user = o.user;
  s.password = o.password;
  TSmtpMailSender sender;
  try {
    sender.send(m, s);
    FAIL() << "a login without encryption must not happen";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("no encrypted connection")))
        << e.message().toStdString();
  }
  EXPECT_TRUE(server.messages(0, 0).empty());
}

TEST(SmtpMailSender, RefusedRecipientRaisesWithServerText) {
  LocalSmtpServer server;
  LocalSmtpServer::Options o;
  o.rejectRecipient = QStringLiteral("nobody@example.org");
  ASSERT_TRUE(server.start(o)) << server.errorText().toStdString();
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("nobody@example.org");
  TSmtpMailSender sender;
  try {
    sender.send(m, local(server.port()));
    FAIL() << "a refused recipient must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("Recipient address rejected")))
        << e.message().toStdString();
  }
  EXPECT_TRUE(server.messages(0, 0).empty());
}

// A firing's mail whose address does not parse raises before the server hears of it: it never
// goes to "evil", the guess the loose reading made of "<evil>@x".
TEST(SmtpMailSender, AnAddressThatDoesNotParseIsNeverSent) {
  LocalSmtpServer server;
  ASSERT_TRUE(server.start()) << server.errorText().toStdString();
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org, <evil>@x");
  TSmtpMailSender sender;
  try {
    sender.send(m, local(server.port()));
    FAIL() << "a mail to an address that does not parse must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().startsWith(QStringLiteral("Invalid address in To: \"<evil>@x\"")))
        << e.message().toStdString();
  }
  EXPECT_TRUE(server.messages(0, 0).empty());
}

TEST(SmtpMailSender, ClosedPortFailsFast) {
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  TSmtpMailSender sender;
  QElapsedTimer t;
  t.start();
  try {
    sender.send(m, local(closedLocalPort()));
    FAIL() << "a closed port must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << e.message().toStdString();
  }
  EXPECT_LT(t.elapsed(), 5000);
}

TEST(SmtpMailSender, SilentServerTimesOut) {
  SilentListener silent;
  ASSERT_NE(silent.port(), 0);
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  TSmtpTimeouts timeouts;
  timeouts.connect = std::chrono::milliseconds(1000);
  timeouts.total = std::chrono::milliseconds(1500);
  TSmtpMailSender sender(timeouts);
  QElapsedTimer t;
  t.start();
  try {
    sender.send(m, local(silent.port()));
    FAIL() << "a server that never answers must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("timed out"), Qt::CaseInsensitive))
        << e.message().toStdString();
  }
  EXPECT_LT(t.elapsed(), 10000);
}

// The total time-out holds for the whole mail, the wait for the reply to its end included: that
// wait had a time-out of its own on top, and a mail stalled after DATA took twice the total.
TEST(SmtpMailSender, AMailStalledAfterItsDataEndsWithinTheTotalTimeOut) {
  LocalSmtpServer server;
  LocalSmtpServer::Options options;
  options.stallAfterData = true;
  ASSERT_TRUE(server.start(options)) << server.errorText().toStdString();
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  m.body = QStringLiteral("Hello");
  TSmtpTimeouts timeouts;
  timeouts.total = std::chrono::milliseconds(1500);
  TSmtpMailSender sender(timeouts);
  QElapsedTimer t;
  t.start();
  try {
    sender.send(m, local(server.port()));
    FAIL() << "a server that never answers the mail's end must raise";
  } catch (const EMailError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("timed out"), Qt::CaseInsensitive))
        << e.message().toStdString();
  }
  // Well below the reply's own time-out (two minutes): the total ended it.
  EXPECT_LT(t.elapsed(), 30000);
}

TEST(SmtpMailSender, BadServerSettingsRaiseBeforeConnecting) {
  TMailMessage m;
  m.from = QStringLiteral("me@example.org");
  m.to = QStringLiteral("you@example.org");
  TSmtpMailSender sender;
  TSmtpServer s = local(25);
  s.host = QStringLiteral("user@evil.example/x");
  EXPECT_THROW(sender.send(m, s), EMailError);
  s.host = QString();
  EXPECT_THROW(sender.send(m, s), EMailError);
  m.to.clear();
  EXPECT_THROW(sender.send(m, local(25)), EMailError);
}
