#pragma once

#include "platform/DateTime.h"
#include "platform/Errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A mail could not be composed or sent; the text says why, for the log line or the user.
class EMailError : public ETolvaneError {
public:
  using ETolvaneError::ETolvaneError;
};

// What a reminder or the compose dialog hands over for one mail.
struct TMailMessage {
  QString subject;
  QString body; // plain text; any kind of line break
  QString from; // the sender, also the reply-to address
  QString to;   // comma-separated address lists
  QString cc;
  QString bcc;     // reaches the envelope only, never a header
  QString files;   // comma text of file names to attach; missing files are skipped
  QString receipt; // the disposition-notification address, or ""
};

// The message ready for the SMTP dialogue.
struct TComposedMail {
  QString envelopeFrom;   // bare sender address
  QStringList recipients; // bare addresses of to, cc and bcc, in that order
  QByteArray data;        // the whole message, CR LF line ends, 7-bit
};

// Builds the message: text/plain UTF-8 quoted-printable, or multipart/mixed with one base64 part
// per existing attached file. `now` and `utcOffsetSeconds` give the Date header. Raises
// EMailError when an address list does not parse (ParseAddressList; the sender and the receipt
// address take one address at most), naming the field, the entry and the reason, and when an
// attached file exists but cannot be read.
[[nodiscard]] TComposedMail ComposeMail(const TMailMessage &message, TDateTime now,
                                        int utcOffsetSeconds);

// The same at the clock's current moment and the local time zone's offset.
[[nodiscard]] TComposedMail ComposeMail(const TMailMessage &message);

// The body's text lines, each ended by CR LF; a final line break adds no empty line.
[[nodiscard]] QByteArray BodyLines(const QString &body);

// "Tue, 05 Mar 2024 10:00:00 +0100"
[[nodiscard]] QByteArray MailDateText(TDateTime t, int utcOffsetSeconds);
