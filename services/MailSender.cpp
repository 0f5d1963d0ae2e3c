#include "services/MailSender.h"

#include "services/SmtpMailSender.h"

OverrideSlot<TMailSender> &mailSenderSlot() {
  static constinit OverrideSlot<TMailSender> slot{[]() -> TMailSender & {
    static TSmtpMailSender smtp;
    return smtp;
  }};
  return slot;
}

TMailSender &mailSender() { return mailSenderSlot().get(); }

void SendMailMessage(const QString &subject, const QString &body, const QString &from,
                     const QString &to, const QString &cc, const QString &bcc, const QString &files,
                     const QString &host, int port, const QString &user, const QString &password,
                     const QString &receipt) {
  TMailMessage m;
  m.subject = subject;
  m.body = body;
  m.from = from;
  m.to = to;
  m.cc = cc;
  m.bcc = bcc;
  m.files = files;
  m.receipt = receipt;
  TSmtpServer server;
  server.host = host;
  server.port = port;
  server.user = user;
  server.password = password;
  mailSender().send(m, server);
}
