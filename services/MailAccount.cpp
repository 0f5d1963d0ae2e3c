#include "services/MailAccount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <cstdlib>

namespace {

using Settings = QHash<QString, QString>;

// msmtp arguments may be double-quoted, with backslash escapes inside.
QString unquoteArgument(const QString &arg) {
  if (arg.size() < 2 || !arg.startsWith(u'"') || !arg.endsWith(u'"'))
    return arg;
  QString out;
  for (qsizetype i = 1; i + 1 < arg.size(); ++i) {
    if (arg[i] == u'\\' && i + 2 < arg.size())
      ++i;
    out += arg[i];
  }
  return out;
}

void overlay(Settings &into, const Settings &from) {
  for (auto it = from.cbegin(); it != from.cend(); ++it)
    into.insert(it.key(), it.value());
}

TMailAccount toAccount(const Settings &s) {
  TMailAccount a;
  a.host = s.value(QStringLiteral("host"));
  a.from = s.value(QStringLiteral("from"));
  a.user = s.value(QStringLiteral("user"));
  bool ok = false;
  const int port = s.value(QStringLiteral("port")).toInt(&ok);
  if (ok && port > 0 && port <= 65535) {
    a.port = port;
  } else {
    // msmtp's own default: 465 for TLS from the first byte, 25 otherwise.
    const bool tls = s.value(QStringLiteral("tls")) == QLatin1String("on");
    const bool starttls =
        s.value(QStringLiteral("tls_starttls"), QStringLiteral("on")) != QLatin1String("off");
    a.port = tls && !starttls ? 465 : 25;
  }
  return a;
}

} // namespace

std::optional<TMailAccount> ReadMsmtpDefaultAccount(const QString &configText) {
  Settings defaults;
  QHash<QString, Settings> accounts;
  Settings *current = &defaults;
  QString currentName;
  for (const QString &rawLine : configText.split(u'\n')) {
    const QString line = rawLine.trimmed();
    if (line.isEmpty() || line.startsWith(u'#'))
      continue;
    const qsizetype gap = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
    const QString command = gap < 0 ? line : line.left(gap);
    const QString arg = gap < 0 ? QString() : line.mid(gap + 1).trimmed();
    if (command == QLatin1String("defaults")) {
      current = &defaults;
      continue;
    }
    if (command == QLatin1String("account")) {
      // "account name" or "account name : parent1, parent2"
      const qsizetype colon = arg.indexOf(u':');
      currentName = (colon < 0 ? arg : arg.left(colon)).trimmed();
      Settings s = defaults;
      if (colon >= 0) {
        for (const QString &parent : arg.mid(colon + 1).split(u',')) {
          const auto it = accounts.constFind(parent.trimmed());
          if (it != accounts.cend())
            overlay(s, *it);
        }
      }
      accounts.insert(currentName, s);
      current = &accounts[currentName];
      continue;
    }
    current->insert(command, unquoteArgument(arg));
  }
  const auto it = accounts.constFind(QStringLiteral("default"));
  if (it == accounts.cend())
    return std::nullopt;
  return toAccount(*it);
}

QString MsmtpConfigFileName() {
  const QString home = QDir::homePath() + QStringLiteral("/.msmtprc");
  if (QFileInfo(home).isFile())
    return home;
  const char *xdg = std::getenv("XDG_CONFIG_HOME");
  const QString base = xdg && *xdg ? QString::fromLocal8Bit(xdg) : QDir::homePath() + "/.config";
  const QString config = base + QStringLiteral("/msmtp/config");
  return QFileInfo(config).isFile() ? config : QString();
}

std::optional<TMailAccount> FindDefaultMailAccount() {
  const QString name = MsmtpConfigFileName();
  if (name.isEmpty())
    return std::nullopt;
  QFile f(name);
  if (!f.open(QIODevice::ReadOnly))
    return std::nullopt;
  return ReadMsmtpDefaultAccount(QString::fromUtf8(f.readAll()));
}

bool GetDefaultMailAccount(QString &host, QString &from, QString &displayName) {
  const std::optional<TMailAccount> account = FindDefaultMailAccount();
  if (!account)
    return false;
  host = account->host;
  from = account->from;
  displayName = account->displayName;
  return true;
}
