#include "services/SmtpMailSender.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>

#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL *c) const { curl_easy_cleanup(c); }
};
struct SlistDeleter {
  void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};

// Feeds the message to curl.
struct Upload {
  const QByteArray *data = nullptr;
  qsizetype offset = 0;
};

size_t readChunk(char *buffer, size_t size, size_t count, void *userData) {
  auto *up = static_cast<Upload *>(userData);
  const size_t room = size * count;
  const auto left = static_cast<size_t>(up->data->size() - up->offset);
  const size_t n = left < room ? left : room;
  std::memcpy(buffer, up->data->constData() + up->offset, n);
  up->offset += static_cast<qsizetype>(n);
  return n;
}

// Keeps the last error reply of the server (4xx or 5xx), which says more than curl's own text.
int watchReplies(CURL *, curl_infotype type, char *data, size_t size, void *userData) {
  if (type != CURLINFO_HEADER_IN)
    return 0;
  const QByteArray line = QByteArray(data, static_cast<qsizetype>(size)).trimmed();
  if (line.size() >= 3 && (line[0] == '4' || line[0] == '5'))
    *static_cast<QString *>(userData) = QString::fromUtf8(line);
  return 0;
}

// The name the client greets the server with: this machine's name when it is a plain host name.
QByteArray greetingName() {
  static const QRegularExpression plain(
      QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$"));
  const QString name = QHostInfo::localHostName();
  return plain.match(name).hasMatch() ? name.toLatin1() : QByteArrayLiteral("localhost");
}

QByteArray serverUrl(const TSmtpServer &server) {
  QString host = server.host.trimmed();
  if (host.contains(u':') && !host.startsWith(u'['))
    host = u'[' + host + u']';
  const char *scheme = server.port == 465 ? "smtps://" : "smtp://";
  return scheme + host.toUtf8() + ':' + QByteArray::number(server.port) + '/' + greetingName();
}

// What the progress callback watches: the abort switch and the end of the mail's whole time.
struct Watch {
  const std::atomic<bool> *aborted = nullptr;
  std::chrono::steady_clock::time_point deadline;
  bool timedOut = false;
};

// Called by curl about once a second while it waits, in every phase: a non-zero result cuts the
// transfer off. curl's own total time-out does not hold for the QUIT it sends as it closes the
// connection: after a server stalled after DATA, the wait for that reply took the server reply
// time-out (two minutes) on top of the total, and every mail queued behind it waited as long.
int checkAbort(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto *watch = static_cast<Watch *>(userData);
  if (watch->aborted->load())
    return 1;
  if (std::chrono::steady_clock::now() >= watch->deadline) {
    watch->timedOut = true;
    return 1;
  }
  return 0;
}

// A server on this machine: a login to it never crosses a network.
bool isLoopback(const QString &host) {
  return host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0 ||
         QHostAddress(host).isLoopback();
}

QByteArray angle(const QString &address) { return '<' + address.toUtf8() + '>'; }

} // namespace

TSmtpMailSender::TSmtpMailSender(TSmtpTimeouts timeouts) : m_timeouts(timeouts) {}

void TSmtpMailSender::send(const TMailMessage &message, const TSmtpServer &server) {
  transmit(ComposeMail(message), server);
}

void TSmtpMailSender::transmit(const TComposedMail &mail, const TSmtpServer &server) const {
  const QString host = server.host.trimmed();
  if (host.isEmpty())
    throw EMailError(QStringLiteral("No SMTP server given"));
  // The host goes into a URL: nothing in it may add a user, a path or a query.
  static const QRegularExpression notHost(QStringLiteral("[\\s/@?#%\\\\]"));
  if (host.contains(notHost))
    throw EMailError(QStringLiteral("Invalid SMTP server name: %1").arg(host.simplified()));
  if (server.port <= 0 || server.port > 65535)
    throw EMailError(QStringLiteral("Invalid SMTP port: %1").arg(server.port));
  if (mail.recipients.isEmpty())
    throw EMailError(QStringLiteral("No recipient given"));
  for (const QString &a : mail.recipients + QStringList{mail.envelopeFrom}) {
    if (a.contains(u'\r') || a.contains(u'\n'))
      throw EMailError(QStringLiteral("Invalid address: %1").arg(a.simplified()));
  }
  if (m_aborted.load())
    throw EMailError(QStringLiteral("Sending was cut off"));
  initCurlOnce();
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl)
    throw EMailError(QStringLiteral("Can't start the mail client"));
  CURL *c = curl.get();

  std::unique_ptr<curl_slist, SlistDeleter> recipients;
  for (const QString &a : mail.recipients) {
    curl_slist *next = curl_slist_append(recipients.get(), angle(a).constData());
    if (!next)
      throw EMailError(QStringLiteral("Out of memory"));
    (void)recipients.release();
    recipients.reset(next);
  }

  const QByteArray url = serverUrl(server);
  const QByteArray from = angle(mail.envelopeFrom);
  const QByteArray user = server.user.toUtf8();
  const QByteArray password = server.password.toUtf8();
  Upload upload{&mail.data, 0};
  char errorText[CURL_ERROR_SIZE] = {};
  QString serverReply;

  curl_easy_setopt(c, CURLOPT_URL, url.constData());
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connect.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeouts.total.count()));
  // A password never goes out in clear: with a user name the connection must be encrypted
  // (port 465 or STARTTLS), except to a relay on this machine. Without one, plain relays work.
  const bool mustEncrypt = !user.isEmpty() && !isLoopback(host);
  curl_easy_setopt(c, CURLOPT_USE_SSL,
                   static_cast<long>(mustEncrypt ? CURLUSESSL_ALL : CURLUSESSL_TRY));
  if (!user.isEmpty()) {
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
  }
  curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
  curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
  curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c, CURLOPT_READFUNCTION, readChunk);
  curl_easy_setopt(c, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(mail.data.size()));
  // The debug hook sees the server's replies; with it installed nothing goes to stderr.
  curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, watchReplies);
  curl_easy_setopt(c, CURLOPT_DEBUGDATA, &serverReply);
  curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
  Watch watch{&m_aborted, std::chrono::steady_clock::now() + m_timeouts.total};
  // Closed with this handle, under the watch above: a connection kept for reuse is closed by
  // curl's own handle at the clean-up, which waits for the QUIT reply without any total.
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkAbort);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &watch);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

  const CURLcode rc = curl_easy_perform(c);
  if (rc == CURLE_OK)
    return;
  if (watch.timedOut)
    throw EMailError(QStringLiteral("The mail timed out after %1 seconds")
                         .arg(static_cast<double>(m_timeouts.total.count()) / 1000.0));
  if (rc == CURLE_USE_SSL_FAILED && mustEncrypt)
    throw EMailError(QStringLiteral("The server %1 offers no encrypted connection, so the login "
                                    "is not sent (use port 465 or a server with STARTTLS)")
                         .arg(host));
  QString text = QString::fromUtf8(errorText).trimmed();
  if (text.isEmpty())
    text = QString::fromUtf8(curl_easy_strerror(rc));
  if (!serverReply.isEmpty() && !text.contains(serverReply))
    text += QStringLiteral(" (") + serverReply + u')';
  throw EMailError(text);
}
