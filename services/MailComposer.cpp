#include "services/MailComposer.h"

#include "platform/Clock.h"
#include "platform/Guid.h"
#include "services/CommaText.h"
#include "services/MailAddress.h"
#include "services/MimeEncoding.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QTimeZone>

namespace {

constexpr int kFoldColumn = 76;

// Header values come from reminders that may have been imported from other people's files: a
// list that does not parse stops the mail, so it never goes to an address guessed from it. The
// parser lets no line break or control character into an address or name; flattening stays as a
// second guard that nothing can add a header of its own.
QList<TMailAddress> addressesOf(const QString &text, const char *field, bool single = false) {
  TAddressList list = ParseAddressList(text, single);
  if (!list.ok())
    throw EMailError(QStringLiteral("Invalid address in %1: \"%2\": %3")
                         .arg(QLatin1String(field), FlattenHeaderText(list.badEntry), list.reason));
  for (TMailAddress &a : list.addresses) {
    a.name = FlattenHeaderText(a.name);
    a.address = FlattenHeaderText(a.address);
  }
  return list.addresses;
}

QByteArray addressHeader(const QByteArray &name, const QList<TMailAddress> &list) {
  QByteArray out = name + ": ";
  int column = static_cast<int>(out.size());
  for (qsizetype i = 0; i < list.size(); ++i) {
    const QByteArray one = FormatAddress(list[i]);
    if (i > 0) {
      if (column + 2 + one.size() > kFoldColumn) {
        out += ",\r\n ";
        column = 1;
      } else {
        out += ", ";
        column += 2;
      }
    }
    out += one;
    const qsizetype lastBreak = one.lastIndexOf('\n');
    column = lastBreak >= 0 ? static_cast<int>(one.size() - lastBreak - 1)
                            : column + static_cast<int>(one.size());
  }
  return out + "\r\n";
}

QByteArray subjectHeader(const QString &subject) {
  const QString flat = FlattenHeaderText(subject);
  // Long plain subjects are encoded too, which folds them below the line limit.
  if (IsPrintableAscii(flat) && flat.size() <= 900)
    return "Subject: " + flat.toLatin1() + "\r\n";
  return "Subject: " + EncodeHeaderWords(flat, 9) + "\r\n";
}

QString bareGuid() {
  QString g = CreateGuidText();
  g.remove(u'{').remove(u'}').remove(u'-');
  return g;
}

QByteArray messageIdDomain(const QList<TMailAddress> &from) {
  if (!from.isEmpty()) {
    const QString a = from.first().address;
    const qsizetype at = a.lastIndexOf(u'@');
    const QString domain = at >= 0 ? a.mid(at + 1) : QString();
    if (!domain.isEmpty() && IsPrintableAscii(domain) && !domain.contains(u' ') &&
        !domain.contains(u'>'))
      return domain.toLatin1();
  }
  return "localhost";
}

struct Attachment {
  QString fileName;
  QByteArray mimeType;
  QByteArray data;
};

QList<Attachment> readAttachments(const QString &files) {
  QList<Attachment> result;
  QMimeDatabase mimeTypes;
  for (const QString &name : CommaTextToList(files)) {
    const QFileInfo info(name);
    if (name.isEmpty() || !info.isFile())
      continue; // missing files are skipped without notice
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
      throw EMailError(QStringLiteral("Can't read file %1: %2").arg(name, f.errorString()));
    Attachment a;
    a.fileName = FlattenHeaderText(info.fileName());
    a.mimeType = mimeTypes.mimeTypeForFile(info, QMimeDatabase::MatchExtension).name().toLatin1();
    if (a.mimeType.isEmpty() || a.mimeType.contains('"'))
      a.mimeType = "application/octet-stream";
    a.data = f.readAll();
    if (f.error() != QFileDevice::NoError)
      throw EMailError(QStringLiteral("Can't read file %1: %2").arg(name, f.errorString()));
    result << a;
  }
  return result;
}

QStringList bareAddresses(const QList<TMailAddress> &list) {
  QStringList out;
  for (const TMailAddress &a : list)
    out << a.address;
  return out;
}

} // namespace

QByteArray BodyLines(const QString &body) {
  QString text = body;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  if (text.endsWith(u'\n'))
    text.chop(1);
  if (body.isEmpty())
    return {};
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return text.toUtf8() + "\r\n";
}

QByteArray MailDateText(TDateTime t, int utcOffsetSeconds) {
  static const char *const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const DateParts d = DecodeDate(t);
  const TimeParts tp = DecodeTime(t);
  const int offsetMinutes = utcOffsetSeconds / 60;
  const int absOffset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
  return QString::asprintf("%s, %02d %s %04lld %02d:%02d:%02d %c%02d%02d", kDays[DayOfWeek(t) - 1],
                           d.day, kMonths[d.month - 1], static_cast<long long>(d.year), tp.hour,
                           tp.minute, tp.second, offsetMinutes < 0 ? '-' : '+', absOffset / 60,
                           absOffset % 60)
      .toLatin1();
}

TComposedMail ComposeMail(const TMailMessage &message, TDateTime now, int utcOffsetSeconds) {
  const QList<TMailAddress> from = addressesOf(message.from, "From", true);
  const QList<TMailAddress> to = addressesOf(message.to, "To");
  const QList<TMailAddress> cc = addressesOf(message.cc, "CC");
  const QList<TMailAddress> bcc = addressesOf(message.bcc, "BCC");
  const QList<TMailAddress> receipt = addressesOf(message.receipt, "the receipt address", true);
  const QList<Attachment> attachments = readAttachments(message.files);

  TComposedMail mail;
  mail.envelopeFrom = from.isEmpty() ? QString() : from.first().address;
  mail.recipients = bareAddresses(to) + bareAddresses(cc) + bareAddresses(bcc);

  QByteArray &out = mail.data;
  out += "Date: " + MailDateText(now, utcOffsetSeconds) + "\r\n";
  out += "Message-ID: <" + bareGuid().toLatin1() + "@" + messageIdDomain(from) + ">\r\n";
  if (!from.isEmpty()) {
    out += addressHeader("From", from);
    out += addressHeader("Reply-To", from);
  }
  if (!to.isEmpty())
    out += addressHeader("To", to);
  if (!cc.isEmpty())
    out += addressHeader("Cc", cc);
  out += subjectHeader(message.subject);
  out += "MIME-Version: 1.0\r\n";
  if (!receipt.isEmpty())
    out += addressHeader("Disposition-Notification-To", receipt);

  const QByteArray textHeaders = "Content-Type: text/plain; charset=UTF-8\r\n"
                                 "Content-Transfer-Encoding: quoted-printable\r\n";
  const QByteArray text = EncodeQuotedPrintable(BodyLines(message.body));
  if (attachments.isEmpty()) {
    out += textHeaders + "\r\n" + text;
    return mail;
  }
  // "=_" never occurs in quoted-printable or base64 text, so the boundary cannot appear in a part.
  const QByteArray boundary = "=_tolvane_" + bareGuid().toLatin1();
  out += "Content-Type: multipart/mixed;\r\n boundary=\"" + boundary + "\"\r\n\r\n";
  out += "--" + boundary + "\r\n" + textHeaders + "\r\n" + text;
  for (const Attachment &a : attachments) {
    out += "\r\n--" + boundary + "\r\n";
    out += "Content-Type: " + a.mimeType + "; " + EncodeParameter("name", a.fileName) + "\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "Content-Disposition: attachment; " + EncodeParameter("filename", a.fileName) + "\r\n";
    out += "\r\n" + EncodeBase64Lines(a.data);
  }
  out += "\r\n--" + boundary + "--\r\n";
  return mail;
}

TComposedMail ComposeMail(const TMailMessage &message) {
  const TDateTime now = currentClock().now();
  const DateParts d = DecodeDate(now);
  const TimeParts t = DecodeTime(now);
  // The clock gives local wall time; the zone's offset at that wall time completes the Date.
  const QDateTime local(QDate(static_cast<int>(d.year), d.month, d.day),
                        QTime(t.hour, t.minute, t.second), QTimeZone::systemTimeZone());
  return ComposeMail(message, now, local.isValid() ? local.offsetFromUtc() : 0);
}
