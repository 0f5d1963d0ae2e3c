#include "services/Folders.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString withoutTrailingSeparator(QString path) {
  while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
    path.chop(1);
  return path;
}

} // namespace

QString GetSpecialFolder(int csidl) {
  if (csidl != CSIDL_PERSONAL)
    return {};
  return GetMyDocumentsFolder();
}

QString GetMyDocumentsFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).trimmed();
  if (folder.isEmpty())
    folder = QDir::homePath();
  return withoutTrailingSeparator(folder);
}

QString GetTempFolder() {
  QString folder = QDir::tempPath();
  if (!folder.endsWith(QLatin1Char('/')))
    folder += QLatin1Char('/');
  return folder;
}

QString MakeTempFileName(const QString &prefix, const QString &folder) {
  QString base = folder.isEmpty() ? GetTempFolder() : folder;
  if (!base.endsWith(QLatin1Char('/')))
    base += QLatin1Char('/');
  QByteArray name = QFile::encodeName(base + prefix + QStringLiteral("XXXXXX"));
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    throw EFileError(QStringLiteral("Cannot create a temporary file in \"%1\": %2")
                         .arg(base, QString::fromLocal8Bit(std::strerror(err))));
  }
  ::close(fd);
  return QFile::decodeName(name);
}

void ListFiles(const QString &folder, const QString &mask, QStringList &list) {
  list.clear();
  QString pattern = folder;
  if (!pattern.isEmpty() && !pattern.endsWith(QLatin1Char('/')) &&
      !pattern.endsWith(QLatin1Char('\\')))
    pattern += QLatin1Char('/');
  pattern += mask;
  // The mask may carry a folder part of its own; what follows the last "/" is the name filter.
  const QFileInfo info(pattern);
  QDir dir(info.path());
  // Name filters match without case unless QDir::CaseSensitive is given, as Windows matched.
  list =
      dir.entryList({info.fileName()}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
}
