#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// A real SMTP server (on 127.0.0.1 unless told otherwise) for mail tests: python3-aiosmtpd with a
// small handler that records each message with its envelope into a temporary folder. Started on a
// free port, stopped with the object.
class LocalSmtpServer {
public:
  struct Options {
    // RCPT TO for exactly this address is refused with a 550 reply.
    QString rejectRecipient;
    // When set, the server offers AUTH (without TLS) and takes only this user and password.
    QString user;
    QString password;
    // The address it listens on.
    QString address = QStringLiteral("127.0.0.1");
    // The server takes a mail's whole data and never answers its end.
    bool stallAfterData = false;
  };

  // One message as the server took it.
  struct Received {
    QString mailFrom;
    QStringList recipients; // the envelope's RCPT TO addresses, in order
    QString login;          // the user name the client logged in with, or ""
    QByteArray data;        // the message as sent, dot-stuffing undone, CR LF line ends
  };

  LocalSmtpServer() = default;
  ~LocalSmtpServer();
  LocalSmtpServer(const LocalSmtpServer &) = delete;
  LocalSmtpServer &operator=(const LocalSmtpServer &) = delete;

  // Starts the server and waits until it takes connections. Gives false (with errorText) when
  // it could not start.
  bool start(const Options &options);
  bool start() { return start(Options{}); }
  void stop();

  [[nodiscard]] quint16 port() const { return m_port; }
  [[nodiscard]] QString errorText() const { return m_error; }

  // The messages received so far. Waits up to timeoutMs for at least `atLeast` of them.
  [[nodiscard]] std::vector<Received> messages(int atLeast = 1, int timeoutMs = 5000);

private:
  void readMessages();

  QTemporaryDir m_folder;
  QProcess m_process;
  quint16 m_port = 0;
  QString m_error;
  QByteArray m_output;
  std::vector<Received> m_received;
};

// A port on 127.0.0.1 that nothing listens on (it was free a moment ago).
[[nodiscard]] quint16 closedLocalPort();
