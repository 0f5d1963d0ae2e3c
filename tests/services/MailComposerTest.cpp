#include "services/MailComposer.h"
#include "services/MailAddress.h"
#include "services/MimeEncoding.h"

#include "tests/support/Sandbox.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const TDateTime kNow = EncodeDateTime(2024, 3, 5, 10, 0, 0, 0);

TComposedMail compose(const TMailMessage &m) { return ComposeMail(m, kNow, 3600); }

QByteArray headerBlock(const QByteArray &data) { return data.left(data.indexOf("\r\n\r\n") + 2); }

// The value of a header, folding undone; "" when absent.
QByteArray header(const QByteArray &data, const QByteArray &name) {
  QByteArray unfolded = headerBlock(data);
  unfolded.replace("\r\n ", " ");
  for (const QByteArray &line : unfolded.split('\n')) {
    if (line.startsWith(name + ": "))
      return line.mid(name.size() + 2).trimmed();
  }
  return {};
}

bool everyLineIsShort7Bit(const QByteArray &data) {
  for (const QByteArray &line : data.split('\n')) {
    if (line.size() > 79) // 78 and the CR
      return false;
    for (char c : line) {
      if (static_cast<unsigned char>(c) > 127)
        return false;
    }
  }
  return !data.contains("\r\r") && data.count('\n') == data.count("\r\n");
}

QByteArray decodeQuotedPrintable(const QByteArray &qp) {
  QByteArray out;
  for (qsizetype i = 0; i < qp.size(); ++i) {
    if (qp[i] != '=') {
      out += qp[i];
    } else if (qp.mid(i + 1, 2) == "\r\n") {
      i += 2;
    } else {
      out += static_cast<char>(qp.mid(i + 1, 2).toInt(nullptr, 16));
      i += 2;
    }
  }
  return out;
}

TMailMessage basic() {
  TMailMessage m;
  m.subject = QStringLiteral("Meeting");
  m.body = QStringLiteral("Line one\nLine two\r\nLine three\rEnd\r\n");
  m.from = QStringLiteral("Anna <anna@example.org>");
  m.to = QStringLiteral("bob@example.org, \"Doe, J\" <j@example.org>");
  return m;
}

} // namespace

TEST(MailAddress, CommasInQuotesDoNotSplit) {
  const QList<TMailAddress> list =
      ParseAddressList(QStringLiteral("\"Doe, J\" <j@x>, k@y ,, (Kim) kim@z")).addresses;
  ASSERT_EQ(list.size(), 3);
  EXPECT_EQ(list[0].name, QStringLiteral("Doe, J"));
  EXPECT_EQ(list[0].address, QStringLiteral("j@x"));
  EXPECT_EQ(list[1].address, QStringLiteral("k@y"));
  EXPECT_EQ(list[1].name, QString());
  EXPECT_EQ(list[2].address, QStringLiteral("kim@z"));
  EXPECT_EQ(list[2].name, QStringLiteral("Kim"));
  EXPECT_TRUE(ParseAddressList(QStringLiteral(" , ")).ok());
  EXPECT_TRUE(ParseAddressList(QStringLiteral(" , ")).addresses.isEmpty());
  EXPECT_EQ(FormatAddress(list[0]), QByteArray("\"Doe, J\" <j@x>"));
  EXPECT_EQ(FormatAddress({QStringLiteral("Jörg"), QStringLiteral("j@x")}),
            QByteArray("=?UTF-8?B?SsO2cmc=?= <j@x>"));
}

TEST(MailAddress, WellFormedAddressesOfEveryKindParse) {
  const TAddressList list = ParseAddressList(QString::fromUtf8(
      "\"john doe\"@example.org, user+tag@[127.0.0.1], Jörg Müller <jörg@exämple.org>\n"
      "J. R. \"Bob\" Doe <b.doe@x.example> (work)\r\n<bare@x>"));
  ASSERT_TRUE(list.ok()) << list.reason.toStdString();
  QStringList addresses, names;
  for (const TMailAddress &a : list.addresses) {
    addresses << a.address;
    names << a.name;
  }
  EXPECT_EQ(addresses,
            (QStringList{"\"john doe\"@example.org", "user+tag@[127.0.0.1]",
                         QString::fromUtf8("jörg@exämple.org"), "b.doe@x.example", "bare@x"}));
  EXPECT_EQ(names, (QStringList{"", "", QString::fromUtf8("Jörg Müller"), "J. R. Bob Doe", ""}));
}

// The loose reading sent "<evil>@x" to "evil", and a line break inside a quoted name made a
// recipient "\"Name>" of its own. What does not parse is refused with the entry and the reason.
TEST(MailAddress, WhatIsNoAddressIsRefusedWithTheEntryAndTheReason) {
  struct Case {
    const char *list, *entry, *reason;
  };
  const Case cases[] = {
      {"ok@x, <evil>@x", "<evil>@x", "Text follows the closing"},
      {"\"Na\r\nme\" <a@x>", "\"Na", "line break"},
      {"Name <a@x\n>", "Name <a@x", "line break"},
      {"(Kim\r\n) k@x", "(Kim", "line break"},
      {"a@x, bob", "bob", "no \"@\""},
      {"@x", "@x", "Nothing comes before"},
      {"a@", "a@", "Nothing comes after"},
      {"a b@x", "a b@x", "blank"},
      {"a..b@x", "a..b@x", "before the \"@\""},
      {"a@x..org", "a@x..org", "no domain name"},
      {"a@x@y", "a@x@y", "no domain name"},
      {"Doe, J <j@x>", "Doe", "no \"@\""},
      {"J@D <j@x>", "J@D <j@x>", "double quotes"},
      {"<a@x> <b@y>", "<a@x> <b@y>", "more than one"},
      {"a@x>", "a@x>", "without its"},
      {"\"open <a@x>", "\"open <a@x>", "quote is not closed"},
      {"(c a@x", "(c a@x", "\"(\" is not closed"},
      {"<a@x", "<a@x", "\"<\" is not closed"},
      {"a\x01b@x", "a\x01b@x", "control character"},
      {"Bcc: victim@evil.example", "Bcc: victim@evil.example", "blank"},
      {"<>", "<>", "no address"},
  };
  for (const Case &c : cases) {
    const TAddressList list = ParseAddressList(QString::fromUtf8(c.list));
    EXPECT_FALSE(list.ok()) << c.list;
    EXPECT_TRUE(list.addresses.isEmpty()) << c.list;
    EXPECT_EQ(list.badEntry, QString::fromUtf8(c.entry)) << c.list;
    EXPECT_TRUE(list.reason.contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive))
        << c.list << ": " << list.reason.toStdString();
  }
}

TEST(MailComposer, HeadersEnvelopeAndBody) {
  TMailMessage m = basic();
  m.cc = QStringLiteral("carl@example.org");
  m.bcc = QStringLiteral("hidden@example.org, other@example.org");
  const TComposedMail mail = compose(m);

  EXPECT_EQ(mail.envelopeFrom, QStringLiteral("anna@example.org"));
  EXPECT_EQ(mail.recipients,
            (QStringList{QStringLiteral("bob@example.org"), QStringLiteral("j@example.org"),
                         QStringLiteral("carl@example.org"), QStringLiteral("hidden@example.org"),
                         QStringLiteral("other@example.org")}));
  EXPECT_EQ(header(mail.data, "Date"), QByteArray("Tue, 05 Mar 2024 10:00:00 +0100"));
  EXPECT_EQ(header(mail.data, "From"), QByteArray("Anna <anna@example.org>"));
  EXPECT_EQ(header(mail.data, "Reply-To"), header(mail.data, "From"));
  EXPECT_EQ(header(mail.data, "To"), QByteArray("bob@example.org, \"Doe, J\" <j@example.org>"));
  EXPECT_EQ(header(mail.data, "Cc"), QByteArray("carl@example.org"));
  EXPECT_EQ(header(mail.data, "Subject"), QByteArray("Meeting"));
  EXPECT_EQ(header(mail.data, "MIME-Version"), QByteArray("1.0"));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^<[0-9A-F]{32}@example\\.org>$"))
                  .match(QString::fromLatin1(header(mail.data, "Message-ID")))
                  .hasMatch());
  EXPECT_FALSE(mail.data.contains("hidden@")) << "Bcc must stay out of the message";
  EXPECT_FALSE(headerBlock(mail.data).contains("Bcc"));
  EXPECT_FALSE(headerBlock(mail.data).contains("Disposition-Notification-To"));
  EXPECT_EQ(header(mail.data, "Content-Type"), QByteArray("text/plain; charset=UTF-8"));

  const QByteArray body = mail.data.mid(mail.data.indexOf("\r\n\r\n") + 4);
  EXPECT_EQ(body, QByteArray("Line one\r\nLine two\r\nLine three\r\nEnd\r\n"));
  EXPECT_TRUE(everyLineIsShort7Bit(mail.data));
}

TEST(MailComposer, EmptyCcAndBccAddNoRecipientsAndReceiptOnlyWhenGiven) {
  TMailMessage m = basic();
  m.cc = QStringLiteral("  ");
  const TComposedMail plain = compose(m);
  EXPECT_EQ(plain.recipients.size(), 2);
  EXPECT_FALSE(headerBlock(plain.data).contains("Cc:"));

  m.receipt = QStringLiteral("anna@example.org");
  EXPECT_EQ(header(compose(m).data, "Disposition-Notification-To"), QByteArray("anna@example.org"));
}

// People put one address per line in the editor; each line is a recipient of its own.
TEST(MailComposer, AddressListsSplitAtLineBreaksAsAtCommas) {
  TMailMessage m = basic();
  m.to = QStringLiteral("a@x.org\r\nb@y.org, c@z.org\n\"Doe, J\" <j@w.org>\r\n\r\n");
  const TComposedMail mail = compose(m);
  EXPECT_EQ(mail.recipients, QStringList({"a@x.org", "b@y.org", "c@z.org", "j@w.org"}));
  EXPECT_EQ(header(mail.data, "To"), QByteArray("a@x.org, b@y.org, c@z.org, \"Doe, J\" <j@w.org>"));
}

// A list that does not parse stops the mail: it never goes to an address guessed from it.
TEST(MailComposer, AnAddressListThatDoesNotParseStopsTheMailWithTheReason) {
  auto refusal = [](TMailMessage m) {
    try {
      (void)compose(m);
    } catch (const EMailError &e) {
      return e.message();
    }
    return QStringLiteral("<composed>");
  };
  TMailMessage m = basic();
  m.cc = QStringLiteral("Kim <k@x.org\r\nl@y.org");
  EXPECT_EQ(refusal(m), QStringLiteral("Invalid address in CC: \"Kim <k@x.org\": A line break "
                                       "comes before the closing quote, \">\" or \")\"."));
  m = basic();
  m.to = QStringLiteral("bob@example.org\r\nBcc: victim@evil.example");
  EXPECT_TRUE(refusal(m).startsWith(QStringLiteral("Invalid address in To: \"Bcc: victim@")));
  m = basic();
  m.from = QStringLiteral("anna@example.org\nX-Other: 2");
  EXPECT_TRUE(refusal(m).startsWith(QStringLiteral("Invalid address in From: \"X-Other: 2\"")));
  m = basic();
  m.from = QStringLiteral("anna@example.org, bob@example.org");
  EXPECT_TRUE(refusal(m).contains(QStringLiteral("more than one address")));
  m = basic();
  m.bcc = QStringLiteral("<evil>@x");
  EXPECT_TRUE(refusal(m).startsWith(QStringLiteral("Invalid address in BCC: \"<evil>@x\"")));
}

TEST(MailComposer, LineBreaksCannotInjectHeaders) {
  TMailMessage m = basic();
  m.subject = QStringLiteral("Hello\r\nBcc: victim@evil.example\nX-Evil: 1");
  const TComposedMail mail = compose(m);
  const QByteArray headers = headerBlock(mail.data);
  for (const QByteArray &line : headers.split('\n')) {
    EXPECT_FALSE(line.startsWith("Bcc")) << line.constData();
    EXPECT_FALSE(line.startsWith("X-")) << line.constData();
  }
  EXPECT_EQ(header(mail.data, "Subject"), QByteArray("Hello  Bcc: victim@evil.example X-Evil: 1"));
}

TEST(MailComposer, NonAsciiAndLongTextIsEncoded) {
  TMailMessage m = basic();
  m.subject = QStringLiteral("Grüße – ") + QString(60, u'ä');
  m.body = QStringLiteral("Süß = sweet, trailing blank \n") + QString(2000, u'x') + u'\n' +
           QStringLiteral(".leading dot");
  const TComposedMail mail = compose(m);
  EXPECT_TRUE(everyLineIsShort7Bit(mail.data));
  const QByteArray subject = header(mail.data, "Subject");
  EXPECT_TRUE(subject.startsWith("=?UTF-8?B?"));
  QByteArray decoded;
  for (const QByteArray &word : subject.split(' '))
    decoded += QByteArray::fromBase64(word.mid(10, word.size() - 12));
  EXPECT_EQ(QString::fromUtf8(decoded), m.subject);
  EXPECT_EQ(header(mail.data, "Content-Transfer-Encoding"), QByteArray("quoted-printable"));
  const QByteArray body = mail.data.mid(mail.data.indexOf("\r\n\r\n") + 4);
  EXPECT_TRUE(body.startsWith("S=C3=BC=C3=9F =3D sweet, trailing blank=20\r\n"));
  EXPECT_EQ(QString::fromUtf8(decodeQuotedPrintable(body)),
            QStringLiteral("Süß = sweet, trailing blank \r\n") + QString(2000, u'x') +
                QStringLiteral("\r\n.leading dot\r\n"));
}

TEST(MailComposer, AttachesExistingFilesOnly) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("attach"));
  const QString present = dir + QStringLiteral("/report 1.bin");
  QByteArray bytes;
  for (int i = 0; i < 1000; ++i)
    bytes += static_cast<char>(i * 7);
  QFile f(present);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();

  TMailMessage m = basic();
  m.files = QStringLiteral("\"%1\",%2/missing.txt,%2").arg(present, dir);
  const TComposedMail mail = compose(m);
  EXPECT_TRUE(everyLineIsShort7Bit(mail.data));
  const QByteArray type = header(mail.data, "Content-Type");
  ASSERT_TRUE(type.startsWith("multipart/mixed; boundary=\"")) << type.constData();
  const QByteArray boundary = type.mid(type.indexOf('"') + 1).chopped(1);
  EXPECT_EQ(mail.data.count("--" + boundary + "\r\n"), 2) << "text part and one attachment";
  EXPECT_TRUE(mail.data.endsWith("--" + boundary + "--\r\n"));
  EXPECT_TRUE(mail.data.contains("Content-Disposition: attachment; filename=\"report 1.bin\""));
  const qsizetype start = mail.data.indexOf("filename=\"report 1.bin\"\r\n\r\n") + 27;
  const qsizetype end = mail.data.indexOf("\r\n--" + boundary + "--");
  EXPECT_EQ(QByteArray::fromBase64(mail.data.mid(start, end - start)), bytes);
}

TEST(MailComposer, NoExistingFileGivesSinglePart) {
  TMailMessage m = basic();
  m.files = QString();
  EXPECT_EQ(header(compose(m).data, "Content-Type"), QByteArray("text/plain; charset=UTF-8"));
  // A folder is not a file to attach, and neither is a name that does not exist.
  m.files = sandbox::home() + QStringLiteral(",/no/such/file");
  EXPECT_EQ(header(compose(m).data, "Content-Type"), QByteArray("text/plain; charset=UTF-8"));
}

TEST(MimeEncoding, ParametersAndPhrases) {
  EXPECT_EQ(EncodeParameter("filename", QStringLiteral("a b.txt")),
            QByteArray("filename=\"a b.txt\""));
  EXPECT_EQ(EncodeParameter("filename", QStringLiteral("Bericht ä.pdf")),
            QByteArray("filename*=UTF-8''Bericht%20%C3%A4.pdf"));
  EXPECT_EQ(EncodePhrase(QStringLiteral("Ann Lee")), QByteArray("Ann Lee"));
  EXPECT_EQ(EncodePhrase(QStringLiteral("Lee, \"Ann\"")), QByteArray("\"Lee, \\\"Ann\\\"\""));
  EXPECT_EQ(FlattenHeaderText(QStringLiteral("a\rb\nc\vd\te")), QStringLiteral("a b c d\te"));
  // A character outside the basic plane is never cut between two encoded words.
  const QString emoji = QString(44, u'a') + QString::fromUtf8("\xF0\x9F\x98\x80");
  const QList<QByteArray> words = EncodeHeaderWords(emoji).split('\n');
  ASSERT_EQ(words.size(), 2);
  EXPECT_EQ(QByteArray::fromBase64(words[1].trimmed().mid(10).chopped(2)),
            QByteArray("\xF0\x9F\x98\x80"));
}

TEST(MailComposer, DateHeaderUsesWesternNamesAndOffset) {
  EXPECT_EQ(MailDateText(EncodeDateTime(2026, 12, 7, 14, 5, 9, 0), -(5 * 3600 + 30 * 60)),
            QByteArray("Mon, 07 Dec 2026 14:05:09 -0530"));
}
