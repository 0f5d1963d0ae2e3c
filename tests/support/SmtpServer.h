#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A real SMTP server on 127.0.0.1 for mail tests: python3-aiosmtpd with its debugging handler,
// which prints every message it takes. Started on a free port, stopped with the object.
class LocalSmtpServer {
public:
  LocalSmtpServer() = default;
  ~LocalSmtpServer();
  LocalSmtpServer(const LocalSmtpServer &) = delete;
  LocalSmtpServer &operator=(const LocalSmtpServer &) = delete;

  // Starts the server and waits until it takes connections. Gives false (with errorText) when
  // it could not start.
  bool start();
  void stop();

  [[nodiscard]] quint16 port() const { return m_port; }
  [[nodiscard]] QString errorText() const { return m_error; }

  // The messages received so far, each as the server printed it (headers, blank line, body).
  // Waits up to timeoutMs for at least `atLeast` messages.
  [[nodiscard]] QStringList messages(int atLeast = 1, int timeoutMs = 5000);

private:
  QProcess m_process;
  quint16 m_port = 0;
  QString m_error;
  QString m_output;
};
