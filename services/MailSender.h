#pragma once

#include "platform/ScopedOverride.h"
#include "services/MailComposer.h"

#include <QString>

// The SMTP server a mail goes through.
struct TSmtpServer {
  QString host;
  int port = 25;
  QString user; // the client logs in when this is not empty
  QString password;
};

// Sends one mail. Production sends over SMTP (TSmtpMailSender); tests install a fake with
// ScopedMailSender. Every failure raises EMailError with a readable text.
class TMailSender {
public:
  virtual ~TMailSender() = default;
  virtual void send(const TMailMessage &message, const TSmtpServer &server) = 0;
  // Cuts off the send under way and every later one (the program is ending); any thread.
  virtual void abort() {}
  [[nodiscard]] virtual bool aborted() const { return false; }
};

// The process-wide sender.
[[nodiscard]] TMailSender &mailSender();
// Where the process-wide sender is kept (SMTP unless replaced).
[[nodiscard]] OverrideSlot<TMailSender> &mailSenderSlot();
// Installs a sender for the lifetime of this object, then puts the previous one back.
using ScopedMailSender = ScopedOverride<&mailSenderSlot>;

// Composes and sends one plain-text message with the named files attached, through the
// process-wide sender. `files` is comma text; names of missing files are skipped. Raises
// EMailError on any failure; nothing is retried.
void SendMailMessage(const QString &subject, const QString &body, const QString &from,
                     const QString &to, const QString &cc, const QString &bcc, const QString &files,
                     const QString &host, int port, const QString &user, const QString &password,
                     const QString &receipt);
