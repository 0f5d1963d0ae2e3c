#include "tests/support/SmtpServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QThread>

namespace {

// The server: aiosmtpd's protocol class with a handler that writes each message as a JSON file
// into a folder (a pipe could fill up while the client under test blocks in its send).
// Arguments: port, refused recipient, user, password (empty texts for none), folder, address,
// "1" to stall after the mail's data (no reply to its end).
const char *const kServerScript = R"PY(
import asyncio, base64, json, os, sys
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword
port, reject, user, password, folder = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
address, stall = sys.argv[6], sys.argv[7] == "1"
count = 0
class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if reject and address == reject:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"
    async def handle_DATA(self, server, session, envelope):
        global count
        if stall:
            await asyncio.sleep(3600)
        auth = session.auth_data
        login = auth.login.decode("utf-8", "replace") if isinstance(auth, LoginPassword) else ""
        count += 1
        name = os.path.join(folder, "%06d.json" % count)
        with open(name + ".tmp", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos, "login": login,
                       "data": base64.b64encode(envelope.original_content).decode()}, f)
        os.rename(name + ".tmp", name)
        return "250 OK"
def check(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user
          and auth_data.password.decode() == password)
    return AuthResult(success=ok, handled=False, auth_data=auth_data)
async def main():
    kw = {"hostname": "localhost"}
    if user:
        kw.update(authenticator=check, auth_require_tls=False, auth_required=True)
    srv = await asyncio.get_running_loop().create_server(
        lambda: SMTP(Handler(), **kw), address, port)
    print("READY", flush=True)
    await srv.serve_forever()
asyncio.run(main())
)PY";

quint16 freePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0))
    return 0;
  const quint16 p = probe.serverPort();
  probe.close();
  return p;
}

} // namespace

quint16 closedLocalPort() { return freePort(); }

LocalSmtpServer::~LocalSmtpServer() { stop(); }

bool LocalSmtpServer::start(const Options &options) {
  if (!m_folder.isValid()) {
    m_error = QStringLiteral("no temporary folder");
    return false;
  }
  m_port = freePort();
  if (m_port == 0) {
    m_error = QStringLiteral("no free port");
    return false;
  }
  // Debian's interpreter, which has python3-aiosmtpd, whatever python3 comes first on PATH.
  m_process.setProgram(QStringLiteral("/usr/bin/python3"));
  m_process.setArguments({QStringLiteral("-u"), QStringLiteral("-c"),
                          QString::fromUtf8(kServerScript), QString::number(m_port),
                          options.rejectRecipient, options.user, options.password, m_folder.path(),
                          options.address,
                          options.stallAfterData ? QStringLiteral("1") : QStringLiteral("0")});
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.start();
  if (!m_process.waitForStarted(5000)) {
    m_error = m_process.errorString();
    return false;
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 10000) {
    if (m_output.contains("READY\n"))
      return true;
    if (m_process.state() == QProcess::NotRunning)
      break;
    m_process.waitForReadyRead(100);
    m_output += m_process.readAll();
  }
  m_error = QStringLiteral("server did not start: ") + QString::fromUtf8(m_output);
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

void LocalSmtpServer::readMessages() {
  const QStringList names =
      QDir(m_folder.path()).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
  for (qsizetype i = static_cast<qsizetype>(m_received.size()); i < names.size(); ++i) {
    QFile f(m_folder.filePath(names[i]));
    if (!f.open(QIODevice::ReadOnly))
      return;
    const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
    Received r;
    r.mailFrom = o.value(QStringLiteral("from")).toString();
    for (const QJsonValue &v : o.value(QStringLiteral("to")).toArray())
      r.recipients << v.toString();
    r.login = o.value(QStringLiteral("login")).toString();
    r.data = QByteArray::fromBase64(o.value(QStringLiteral("data")).toString().toLatin1());
    m_received.push_back(std::move(r));
  }
}

std::vector<LocalSmtpServer::Received> LocalSmtpServer::messages(int atLeast, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    readMessages();
    if (static_cast<int>(m_received.size()) >= atLeast || t.elapsed() > timeoutMs ||
        m_process.state() == QProcess::NotRunning)
      return m_received;
    QThread::msleep(20);
  }
}
