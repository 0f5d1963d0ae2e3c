#include "runtime/InstanceHandover.h"

#include "services/SingleInstance.h"
#include "services/UserIdentity.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <cstdio>

namespace {

constexpr qint64 MaxRequestLength = 16;

} // namespace

QString InstanceName() { return QStringLiteral("tolvane_") + GetLoginUserName(); }

QString HandoverSocketPath(const QString &instanceName) {
  const QString folder = InstanceRuntimeFolder();
  if (folder.isEmpty())
    return {};
  QString fileName = instanceName;
  fileName.replace(QLatin1Char('/'), QLatin1Char('_')); // as the lock file does
  return folder + QLatin1Char('/') + fileName + QStringLiteral(".socket");
}

THandoverServer::THandoverServer(QString socketPath, QObject *parent)
    : QObject(parent), m_path(std::move(socketPath)) {}

THandoverServer::~THandoverServer() {
  if (m_server)
    m_server->close(); // removes the socket file
}

bool THandoverServer::Listen() {
  if (m_path.isEmpty())
    return false;
  QLocalServer::removeServer(m_path);
  m_server = new QLocalServer(this);
  // Other users must not show or stop this user's instance.
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(m_server, &QLocalServer::newConnection, this, &THandoverServer::accept);
  return m_server->listen(m_path);
}

void THandoverServer::accept() {
  for (int i = 0; i < 64; ++i) { // bounded: pending connections are few
    QLocalSocket *socket = m_server->nextPendingConnection();
    if (!socket)
      return;
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QPointer<QLocalSocket> guard(socket);
    QTimer::singleShot(RequestTimeoutMs, socket, [guard] {
      if (guard && !guard->property("answered").toBool())
        guard->disconnectFromServer();
    });
  }
}

void THandoverServer::readRequest(QLocalSocket *socket) {
  if (socket->property("answered").toBool())
    return;
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > MaxRequestLength)
      socket->disconnectFromServer();
    return;
  }
  const QByteArray request = socket->readLine(MaxRequestLength + 1).trimmed();
  socket->setProperty("answered", true);
  QPointer<QLocalSocket> guard(socket);
  if (request == "SHOW") {
    if (OnShow)
      OnShow();
  } else if (request == "STOP") {
    if (OnStop)
      OnStop();
  } else {
    if (guard) {
      socket->write("ERR\n");
      socket->disconnectFromServer();
    }
    return;
  }
  if (!guard)
    return;
  socket->write("OK\n");
  socket->flush();
  // A stopping start waits for the end of this process: its connection stays open until then.
  if (request == "SHOW")
    socket->disconnectFromServer();
}

THandoverResult HandOver(const QString &socketPath, THandoverCommand command, int connectTimeoutMs,
                         int answerTimeoutMs, int endTimeoutMs) {
  if (socketPath.isEmpty())
    return THandoverResult::NoInstance;
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(connectTimeoutMs))
    return THandoverResult::NoInstance;
  socket.write(command == THandoverCommand::Stop ? "STOP\n" : "SHOW\n");
  if (!socket.waitForBytesWritten(connectTimeoutMs))
    return THandoverResult::NoAnswer;
  QByteArray answer;
  while (!answer.contains('\n') && answer.size() <= MaxRequestLength) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(answerTimeoutMs))
      return THandoverResult::NoAnswer;
    answer += socket.read(MaxRequestLength + 1);
  }
  if (answer.trimmed() != "OK")
    return THandoverResult::NoAnswer;
  if (command == THandoverCommand::Stop && socket.state() != QLocalSocket::UnconnectedState &&
      !socket.waitForDisconnected(endTimeoutMs))
    return THandoverResult::NoAnswer;
  return THandoverResult::Done;
}

int StopRunningInstance(const QString &instanceName, const TStopLimits &limits) {
  const QString socketPath = HandoverSocketPath(instanceName);
  // An instance listens once its master window exists; until then its lock says it is starting.
  // The probe of the lock never removes a lock file, so a start that comes at the same moment
  // finds the one lock file and at worst takes the probe for a running instance.
  QDeadlineTimer starting(limits.startMs);
  for (;;) {
    switch (HandOver(socketPath, THandoverCommand::Stop, limits.connectMs, limits.answerMs,
                     limits.endMs)) {
    case THandoverResult::Done:
      return 0;
    case THandoverResult::NoAnswer:
      if (!InstanceLockHeldElsewhere(instanceName))
        return 0; // it went away without answering
      std::fputs("tolvane: Tolvane was asked to end but is still running.\n", stderr);
      return 1;
    case THandoverResult::NoInstance:
      break;
    }
    if (!InstanceLockHeldElsewhere(instanceName))
      return 0; // it has ended, or its start failed: nothing runs
    if (starting.hasExpired()) {
      std::fputs("tolvane: Tolvane is still starting and did not answer; it is still running.\n",
                 stderr);
      return 1;
    }
    QThread::msleep(static_cast<unsigned long>(limits.retryMs));
  }
}
