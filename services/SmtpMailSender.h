#pragma once

#include "services/MailSender.h"

#include <atomic>
#include <chrono>

// How long a mail may take: a silent or slow server ends in an error, never in a mail that
// waits for ever.
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
  void abort() override { m_aborted.store(true); }
  [[nodiscard]] bool aborted() const override { return m_aborted.load(); }

  // The SMTP dialogue for a composed mail. Raises EMailError with curl's text and, when the
  // server refused something, the server's own reply.
  void transmit(const TComposedMail &mail, const TSmtpServer &server) const;

private:
  TSmtpTimeouts m_timeouts;
  std::atomic<bool> m_aborted{false};
};
