#include "tests/support/SmtpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

quint16 freePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0))
    return 0;
  const quint16 p = probe.serverPort();
  probe.close();
  return p;
}

bool accepts(quint16 port) {
  QTcpSocket s;
  s.connectToHost(QHostAddress::LocalHost, port);
  const bool ok = s.waitForConnected(200);
  s.abort();
  return ok;
}

const QString kBegin = QStringLiteral("---------- MESSAGE FOLLOWS ----------");
const QString kEnd = QStringLiteral("------------ END MESSAGE ------------");

} // namespace

LocalSmtpServer::~LocalSmtpServer() { stop(); }

bool LocalSmtpServer::start() {
  m_port = freePort();
  if (m_port == 0) {
    m_error = QStringLiteral("no free port");
    return false;
  }
  // Debian's interpreter, which has python3-aiosmtpd, whatever python3 comes first on PATH.
  m_process.setProgram(QStringLiteral("/usr/bin/python3"));
  m_process.setArguments({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("aiosmtpd"),
                          QStringLiteral("-n"), QStringLiteral("-l"),
                          QStringLiteral("127.0.0.1:%1").arg(m_port)});
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.start();
  if (!m_process.waitForStarted(5000)) {
    m_error = m_process.errorString();
    return false;
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 10000) {
    if (accepts(m_port))
      return true;
    if (m_process.state() == QProcess::NotRunning)
      break;
    QThread::msleep(50);
  }
  m_error = QStringLiteral("server did not start: ") + QString::fromUtf8(m_process.readAll());
  stop();
  return false;
}

void LocalSmtpServer::stop() {
  if (m_process.state() != QProcess::NotRunning) {
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
      m_process.kill();
      m_process.waitForFinished(3000);
    }
  }
}

QStringList LocalSmtpServer::messages(int atLeast, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  QStringList result;
  for (;;) {
    m_process.waitForReadyRead(100);
    m_output += QString::fromUtf8(m_process.readAll());
    result.clear();
    qsizetype pos = 0;
    for (;;) {
      const qsizetype b = m_output.indexOf(kBegin, pos);
      if (b < 0)
        break;
      const qsizetype e = m_output.indexOf(kEnd, b);
      if (e < 0)
        break;
      result << m_output.mid(b + kBegin.size(), e - b - kBegin.size()).trimmed();
      pos = e + kEnd.size();
    }
    if (result.size() >= atLeast || t.elapsed() > timeoutMs)
      return result;
  }
}
