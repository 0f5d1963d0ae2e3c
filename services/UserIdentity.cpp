#include "services/UserIdentity.h"

#include <QFile>

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// One account entry with the buffer its strings live in.
struct AccountEntry {
  std::vector<char> buffer;
  passwd pw{};
  passwd *found = nullptr;

  AccountEntry() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0)
      size = 16384;
    buffer.resize(static_cast<size_t>(size));
  }
};

// The GECOS field of an account, or nothing when the account is unknown.
std::optional<QString> gecosOf(const QString &user) {
  AccountEntry e;
  const QByteArray name = QFile::encodeName(user);
  if (::getpwnam_r(name.constData(), &e.pw, e.buffer.data(), e.buffer.size(), &e.found) != 0 ||
      !e.found)
    return std::nullopt;
  return QString::fromLocal8Bit(e.found->pw_gecos ? e.found->pw_gecos : "");
}

} // namespace

QString NormaliseLoginName(const QString &name) { return name.toUpper().trimmed(); }

QString GetRawLoginUserName() {
  AccountEntry e;
  if (::getpwuid_r(::geteuid(), &e.pw, e.buffer.data(), e.buffer.size(), &e.found) == 0 &&
      e.found && e.found->pw_name && *e.found->pw_name)
    return QFile::decodeName(e.found->pw_name);
  for (const char *var : {"USER", "LOGNAME"}) {
    const char *v = std::getenv(var);
    if (v && *v)
      return QFile::decodeName(v);
  }
  return {};
}

QString GetLoginUserName() { return NormaliseLoginName(GetRawLoginUserName()); }

QString GetUserFullName(const QString &server, const QString &user) {
  if (user.isEmpty())
    return {};
  if (!server.isEmpty())
    return user;
  std::optional<QString> gecos = gecosOf(user);
  if (!gecos && user != user.toLower())
    gecos = gecosOf(user.toLower());
  if (!gecos)
    return user;
  return gecos->section(QLatin1Char(','), 0, 0);
}
