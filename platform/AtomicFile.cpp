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

// As many links as the kernel follows in one path (MAXSYMLINKS).
constexpr int MaxLinks = 40;

// The folder part of an absolute path, by its text alone: QFileInfo would fold "x/.." away,
// which is not where the kernel goes when x is itself a link.
QString folderOf(const QString &absolutePath) {
  const qsizetype slash = absolutePath.lastIndexOf(u'/');
  return slash <= 0 ? QStringLiteral("/") : absolutePath.left(slash);
}

QString absolute(const QString &path) {
  return QDir::isAbsolutePath(path) ? path : QDir::currentPath() + u'/' + path;
}

int removeStaleBeside(const QString &path) {
  const QString full = absolute(path);
  const QString prefix = u'.' + full.mid(full.lastIndexOf(u'/') + 1) + u'.';
  const QDir folder(folderOf(full));
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

} // namespace

QString ResolveWriteTarget(const QString &path) {
  QString current = absolute(path);
  for (int links = 0; links <= MaxLinks; ++links) {
    const QByteArray native = QFile::encodeName(current);
    struct stat st {};
    // Not there, or no link: the write goes here (and fails in its own way when it cannot).
    if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
      return current;
    QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
    const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
    if (n < 0 || n >= target.size())
      fail(QStringLiteral("Cannot read the symbolic link"), current, n < 0 ? errno : ENAMETOOLONG);
    target.truncate(n);
    const QString next = QFile::decodeName(target);
    // A relative link leads from the folder the link lies in.
    current = QDir::isAbsolutePath(next) ? next : folderOf(current) + u'/' + next;
  }
  throw EFileError(QStringLiteral("\"%1\" is a symbolic link that loops, or a chain of more than "
                                  "%2 links; it is not followed")
                       .arg(path)
                       .arg(MaxLinks));
}

void WriteFileAtomic(const QString &path, const QByteArray &data, mode_t mode) {
  TAtomicFileWriter writer(path, mode);
  writer.write(data);
  writer.commit();
}

TAtomicFileWriter::TAtomicFileWriter(const QString &path, mode_t mode)
    // Replacing the link itself would leave its target, in a synced folder say, silently behind.
    : m_path(path), m_target(ResolveWriteTarget(path)) {
  const QString folder = folderOf(m_target);
  m_tmpName =
      QFile::encodeName(folder + QStringLiteral("/.") +
                        m_target.mid(m_target.lastIndexOf(u'/') + 1) + QStringLiteral(".XXXXXX"));
  m_fd = ::mkostemp(m_tmpName.data(), O_CLOEXEC);
  if (m_fd < 0)
    fail(QStringLiteral("Cannot create file"), path, errno);
  // A file the user has locked down further stays that way: the new file never gets more
  // permission bits than the one it replaces.
  // A new file follows the user's umask, as any file created with open() would.
  struct stat existing {};
  if (::stat(QFile::encodeName(m_target).constData(), &existing) == 0 && S_ISREG(existing.st_mode))
    mode &= existing.st_mode & 07777;
  else
    mode &= ~currentUmask();
  if (::fchmod(m_fd, mode) != 0)
    failAndRemove(QStringLiteral("Cannot set the mode of"), errno);
}

TAtomicFileWriter::~TAtomicFileWriter() { abandon(); }

void TAtomicFileWriter::failAndRemove(const QString &what, int err) {
  abandon();
  fail(what, m_path, err);
}

void TAtomicFileWriter::abandon() {
  if (m_fd < 0)
    return;
  ::close(m_fd);
  m_fd = -1;
  ::unlink(m_tmpName.constData());
}

void TAtomicFileWriter::write(const char *data, qsizetype size) {
  if (m_fd < 0)
    throw EFileError(QStringLiteral("Cannot write file \"%1\": it is closed").arg(m_path));
  while (size > 0) {
    const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      failAndRemove(QStringLiteral("Cannot write file"), errno);
    }
    data += n;
    size -= n;
  }
}

void TAtomicFileWriter::sync() {
  if (m_fd >= 0 && ::fsync(m_fd) != 0)
    failAndRemove(QStringLiteral("Cannot write file"), errno);
}

void TAtomicFileWriter::commit() {
  if (m_fd < 0)
    throw EFileError(QStringLiteral("Cannot write file \"%1\": it is closed").arg(m_path));
  sync();
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(m_tmpName.constData());
    fail(QStringLiteral("Cannot write file"), m_path, err);
  }
  if (::rename(m_tmpName.constData(), QFile::encodeName(m_target).constData()) != 0) {
    const int err = errno;
    ::unlink(m_tmpName.constData());
    fail(QStringLiteral("Cannot replace file"), m_path, err);
  }
  // Make the rename itself durable.
  const int dirFd =
      ::open(QFile::encodeName(folderOf(m_target)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

int RemoveStaleTempFiles(const QString &path) {
  int removed = removeStaleBeside(path);
  try {
    const QString target = ResolveWriteTarget(path);
    if (target != absolute(path))
      removed += removeStaleBeside(target);
  } catch (const EFileError &) {
    // A link that loops leads nowhere: nothing of ours lies at its end.
  }
  return removed;
}

void CheckWritableBeside(const QString &path) {
  const QString target = ResolveWriteTarget(path);
  QByteArray tmpl =
      QFile::encodeName(folderOf(target) + QStringLiteral("/.") +
                        target.mid(target.lastIndexOf(u'/') + 1) + QStringLiteral(".XXXXXX"));
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0)
    fail(QStringLiteral("Cannot create file"), path, errno);
  ::close(fd);
  ::unlink(tmpl.constData());
}
