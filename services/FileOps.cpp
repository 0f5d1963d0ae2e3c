#include "services/FileOps.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

fileops_testing::RenameFunction &systemRename() {
  static fileops_testing::RenameFunction f = &::rename;
  return f;
}

[[noreturn]] void fail(const QString &what, const QString &path, int err) {
  throw EFileError(
      QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(std::strerror(err))));
}

QByteArray readWhole(const QString &path, mode_t &mode) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw EFileError(QStringLiteral("Cannot open file \"%1\": %2").arg(path, f.errorString()));
  struct stat st {};
  mode = ::fstat(f.handle(), &st) == 0 ? (st.st_mode & 0777) : 0644;
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw EFileError(QStringLiteral("Cannot read file \"%1\": %2").arg(path, f.errorString()));
  return data;
}

} // namespace

namespace fileops_testing {
OverrideSlot<RenameFunction> &renameSlot() {
  static constinit OverrideSlot<RenameFunction> slot{&systemRename};
  return slot;
}
} // namespace fileops_testing

void CopyFileViaMemory(const QString &source, const QString &target) {
  mode_t mode = 0644;
  const QByteArray data = readWhole(source, mode);
  WriteFileAtomic(target, data, mode);
}

void MoveFileReplace(const QString &source, const QString &target) {
  const QByteArray from = QFile::encodeName(source);
  const QByteArray to = QFile::encodeName(target);
  if (fileops_testing::renameSlot().get()(from.constData(), to.constData()) == 0)
    return;
  const int err = errno;
  if (err != EXDEV)
    fail(QStringLiteral("Cannot move file to"), target, err);
  CopyFileViaMemory(source, target);
  // The target is complete; a source that cannot be removed only leaves a copy behind.
  ::unlink(from.constData());
}
