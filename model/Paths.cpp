#include "model/Paths.h"

#include "model/Model.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdlib>
#include <unistd.h>

namespace {

QString withSlash(QString folder) {
  if (!folder.endsWith(QLatin1Char('/')))
    folder += QLatin1Char('/');
  return folder;
}

// The per-user folder, created with its parents when missing: on Linux the Documents folder itself
// is often missing (fresh accounts, servers), and creating one level only would then fail every
// later save.
QString userFolderCreated() {
  const QString folder = GetUserFolder();
  if (!QFileInfo(folder).isDir())
    QDir().mkpath(folder);
  return folder;
}

QString userFile(const QString &name) { return userFolderCreated() + QLatin1Char('/') + name; }

QString dataFile(const QString &name, bool local) {
  return local ? GetLocalFolder() + name : userFile(name);
}

QString dataFile(const QString &name) { return dataFile(name, UseLocalFolder()); }

} // namespace

QString ProgramFolderOfExecutableFolder(const QString &folder) {
  // An installed program keeps its executable in <prefix>/bin and its own files in
  // <prefix>/share/tolvane, where the installation puts them.
  if (QFileInfo(folder).fileName() == QLatin1String("bin")) {
    const QString shared = QDir::cleanPath(folder + QStringLiteral("/../share/tolvane"));
    if (QFileInfo(shared).isDir())
      return withSlash(shared);
  }
  return withSlash(folder);
}

QString GetProgramFolder() {
  const char *overridden = std::getenv("TOLVANE_PROGRAM_DIR");
  if (overridden && *overridden)
    return withSlash(QFile::decodeName(overridden));
  // /proc/self/exe works before the application object exists.
  const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  return ProgramFolderOfExecutableFolder(QFileInfo(exe).absolutePath());
}

QString GetLocalFolder() {
  const QString program = GetProgramFolder();
  if (::access(QFile::encodeName(program).constData(), W_OK) == 0)
    return program;
  // An installed program's folder (/usr/bin) is read-only: what it would keep there goes to the
  // user's configuration folder instead.
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/tolvane");
  if (!QFileInfo(config).isDir())
    QDir().mkpath(config);
  return withSlash(config);
}

QString GetUserDataFolder() { return GetMyDocumentsFolder(); }

QString GetUserFolder() {
  QString documents = GetUserDataFolder();
  if (documents == QLatin1String("/"))
    documents.clear();
  return documents + QStringLiteral("/Tolvane");
}

bool UseLocalFolder() { return TModel::Current().UseLocalFolder(); }

QString GetOldSettingsFileName() { return userFile(QStringLiteral("control.ini")); }
QString GetMainSettingsFileName() { return dataFile(QStringLiteral("control1.dat")); }
QString GetMainSettingsFileName(const TModel &model) {
  return dataFile(QStringLiteral("control1.dat"), model.UseLocalFolder());
}
QString GetLocalMainSettingsFileName() { return GetLocalFolder() + QStringLiteral("control1.dat"); }
QString GetUserMainSettingsFileName() { return userFile(QStringLiteral("control1.dat")); }
QString GetLocalSettingsFileName() { return GetLocalFolder() + QStringLiteral("control2.dat"); }

QString GetUserLocalSettingsFileName() {
  const QString folder = GetUserFolder();
  if (!QFileInfo(folder).isDir())
    return {};
  return folder + QStringLiteral("/control2.dat");
}

QString GetLogFileName() { return dataFile(QStringLiteral("tolvane.log")); }
QString GetLogFileName(const TModel &model) {
  return dataFile(QStringLiteral("tolvane.log"), model.UseLocalFolder());
}
QString GetDataFileName() { return dataFile(QStringLiteral("data.xml")); }
QString GetDataFileName(const TModel &model) {
  return dataFile(QStringLiteral("data.xml"), model.UseLocalFolder());
}
QString GetLocalDataFileName() { return GetLocalFolder() + QStringLiteral("data.xml"); }
QString GetUserDataFileName() { return userFile(QStringLiteral("data.xml")); }
QString GetBackupFileName() { return dataFile(QStringLiteral("data_backup.xml")); }
QString GetBackupFileName(const TModel &model) {
  return dataFile(QStringLiteral("data_backup.xml"), model.UseLocalFolder());
}
QString GetUserBackupFileName() { return userFile(QStringLiteral("data_backup.xml")); }

QString GetDefaultLanguageFileName() {
  return GetProgramFolder() + QStringLiteral("tolvane_default.lng");
}

QString GetLanguageFileName() { return GetLanguageFileName(TModel::Current()); }
QString GetLanguageFileName(const TModel &model) {
  return model.MainSettings().readString(settings_keys::Config, settings_keys::Lng,
                                         GetDefaultLanguageFileName());
}

QString GetHelpFileName() { return GetProgramFolder() + QStringLiteral("tolvane.html"); }

QString GetKeptCopyFileName(const QString &fileName, const QString &kind) {
  const QFileInfo info(fileName);
  const TDateTime now = currentClock().now();
  const DateParts d = DecodeDate(now);
  const TimeParts t = DecodeTime(now);
  const QString stem = info.absolutePath() + u'/' + info.completeBaseName() + u'_' + kind +
                       QStringLiteral("-%1%2%3-%4%5%6")
                           .arg(d.year, 4, 10, QChar(u'0'))
                           .arg(d.month, 2, 10, QChar(u'0'))
                           .arg(d.day, 2, 10, QChar(u'0'))
                           .arg(t.hour, 2, 10, QChar(u'0'))
                           .arg(t.minute, 2, 10, QChar(u'0'))
                           .arg(t.second, 2, 10, QChar(u'0'));
  const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
  constexpr int MaxCopiesASecond = 1000;
  for (int n = 1; n <= MaxCopiesASecond; ++n) {
    const QString name = stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + suffix;
    if (!QFileInfo(name).exists() && !QFileInfo(name).isSymLink())
      return name;
  }
  throw EFileError(QStringLiteral("No free name to keep a copy of \"%1\"").arg(fileName));
}

QString EscapeLineBreaks(const QString &text) {
  QString s = text;
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  s.replace(QLatin1String("\n"), QLatin1String("\\n"));
  return s;
}

QString UnescapeLineBreaks(const QString &text) {
  QString s = text;
  s.replace(QLatin1String("\\n"), QLatin1String("\r\n"), Qt::CaseInsensitive);
  return s;
}
