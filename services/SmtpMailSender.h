#pragma once

#include "services/MailSender.h"

#include <chrono>

// How long a mail may take. The send runs on the GUI thread inside the reminder check, so a
// silent or slow server must end in an error, never in a frozen program.
struct TSmtpTimeouts {
  std::chrono::milliseconds connect{30'000};
  std::chrono::milliseconds total{120'000};
};

// Sends over SMTP with libcurl: smtp:// (smtps:// on port 465), STARTTLS whenever the server
// offers it, login when a user name is set.
class TSmtpMailSender final : public TMailSender {
public:
  explicit TSmtpMailSender(TSmtpTimeouts timeouts = {});

  void send(const TMailMessage &message, const TSmtpServer &server) override;

  // The SMTP dialogue for a composed mail. Raises EMailError with curl's text and, when the
  // server refused something, the server's own reply.
  void transmit(const TComposedMail &mail, const TSmtpServer &server) const;

private:
  TSmtpTimeouts m_timeouts;
};
