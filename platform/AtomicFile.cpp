#include "platform/AtomicFile.h"

#include "platform/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(const QString &what, const QString &path, int err) {
  throw EFileError(
      QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(std::strerror(err))));
}

class FdGuard {
public:
  explicit FdGuard(int fd) : m_fd(fd) {}
  ~FdGuard() {
    if (m_fd >= 0)
      ::close(m_fd);
  }
  int release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  FdGuard(const FdGuard &) = delete;
  FdGuard &operator=(const FdGuard &) = delete;

private:
  int m_fd;
};

// The process's umask, read without changing it (umask() can only be read by setting it, which
// races with files other threads create meanwhile).
mode_t currentUmask() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray &line : status.readAll().split('\n')) {
      if (line.startsWith("Umask:")) {
        bool ok = false;
        const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
        if (ok)
          return static_cast<mode_t>(value & 0777);
      }
    }
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

} // namespace

void WriteFileAtomic(const QString &path, const QByteArray &data, mode_t mode) {
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  QByteArray tmpl = QFile::encodeName(folder + QStringLiteral("/.") + info.fileName() +
                                      QStringLiteral(".XXXXXX"));
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0)
    fail(QStringLiteral("Cannot create file"), path, errno);
  FdGuard guard(fd);
  const char *tmpName = tmpl.constData();
  auto failAndRemove = [&](const QString &what, int err) {
    ::close(guard.release());
    ::unlink(tmpName);
    fail(what, path, err);
  };

  // A file the user has locked down further stays that way: the new file never gets more
  // permission bits than the one it replaces.
  // A new file follows the user's umask, as any file created with open() would.
  struct stat existing {};
  if (::stat(QFile::encodeName(path).constData(), &existing) == 0 && S_ISREG(existing.st_mode))
    mode &= existing.st_mode & 07777;
  else
    mode &= ~currentUmask();
  if (::fchmod(fd, mode) != 0)
    failAndRemove(QStringLiteral("Cannot set the mode of"), errno);
  const char *p = data.constData();
  qsizetype left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      failAndRemove(QStringLiteral("Cannot write file"), errno);
    }
    p += n;
    left -= n;
  }
  if (::fsync(fd) != 0)
    failAndRemove(QStringLiteral("Cannot write file"), errno);
  if (::close(guard.release()) != 0) {
    const int err = errno;
    ::unlink(tmpName);
    fail(QStringLiteral("Cannot write file"), path, err);
  }
  if (::rename(tmpName, QFile::encodeName(path).constData()) != 0) {
    const int err = errno;
    ::unlink(tmpName);
    fail(QStringLiteral("Cannot replace file"), path, err);
  }
  // Make the rename itself durable.
  const int dirFd =
      ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

int RemoveStaleTempFiles(const QString &path) {
  const QFileInfo info(path);
  const QString prefix = u'.' + info.fileName() + u'.';
  const QDir folder(info.absolutePath());
  int removed = 0;
  for (const QFileInfo &f :
       folder.entryInfoList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden)) {
    // mkostemp's six characters are letters and digits.
    const QString tail = f.fileName().mid(prefix.size());
    const bool ours = std::all_of(tail.cbegin(), tail.cend(), [](QChar c) {
      return c.unicode() < 128 && std::isalnum(static_cast<unsigned char>(c.unicode()));
    });
    if (ours && !f.isSymLink() && QFile::remove(f.absoluteFilePath()))
      ++removed;
  }
  return removed;
}
