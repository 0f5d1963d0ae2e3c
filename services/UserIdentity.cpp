#include "services/UserIdentity.h"

#include <QFile>

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// The GECOS field of an account, or nothing when the account is unknown.
std::optional<QString> gecosOf(const QString &user) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0)
    size = 16384;
  std::vector<char> buffer(static_cast<size_t>(size));
  passwd pw{};
  passwd *found = nullptr;
  const QByteArray name = QFile::encodeName(user);
  if (::getpwnam_r(name.constData(), &pw, buffer.data(), buffer.size(), &found) != 0 || !found)
    return std::nullopt;
  return QString::fromLocal8Bit(found->pw_gecos ? found->pw_gecos : "");
}

} // namespace

QString NormaliseLoginName(const QString &name) { return name.toUpper().trimmed(); }

QString GetRawLoginUserName() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0)
    size = 16384;
  std::vector<char> buffer(static_cast<size_t>(size));
  passwd pw{};
  passwd *found = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name && *found->pw_name)
    return QFile::decodeName(found->pw_name);
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
