#include "services/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString envFolder(const char *name) {
  const char *v = std::getenv(name);
  return v && *v ? QFile::decodeName(v) : QString();
}

// /tmp is shared by all users: the folder must be ours and closed to others, or another user could
// hold our lock or plant a socket.
QString privateTmpFolder() {
  const QString path = QStringLiteral("/tmp/tolvane-%1").arg(::getuid());
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
    return {};
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return {};
  return path;
}

std::vector<TNamedLock> &instanceLocks() {
  static std::vector<TNamedLock> locks;
  return locks;
}

} // namespace

QString InstanceRuntimeFolder() {
  QString folder = envFolder("TOLVANE_RUNTIME_DIR");
  if (folder.isEmpty())
    folder = envFolder("XDG_RUNTIME_DIR");
  if (folder.isEmpty())
    folder = privateTmpFolder();
  return folder;
}

TNamedLock &TNamedLock::operator=(TNamedLock &&other) noexcept {
  if (this != &other) {
    release();
    m_fd = other.m_fd;
    other.m_fd = -1;
  }
  return *this;
}

TNamedLock::Result TNamedLock::tryAcquire(const QString &name, const QString &folder) {
  release();
  if (folder.isEmpty() || name.isEmpty())
    return Result::Failed;
  QString fileName = name;
  fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
  const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + fileName + ".lock");
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return Result::Failed;
  // flock, not fcntl: record locks belong to the process, so a second lock from this process would
  // succeed and closing any descriptor of the file would drop the lock.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? Result::HeldElsewhere : Result::Failed;
  }
  m_fd = fd;
  return Result::Acquired;
}

void TNamedLock::release() {
  if (m_fd >= 0) {
    ::close(m_fd); // closing the only descriptor drops the flock
    m_fd = -1;
  }
}

bool CheckSingleInstance(const QString &name) {
  TNamedLock lock;
  switch (lock.tryAcquire(name)) {
  case TNamedLock::Result::HeldElsewhere:
    return true;
  case TNamedLock::Result::Acquired:
    instanceLocks().push_back(std::move(lock));
    return false;
  case TNamedLock::Result::Failed:
    break;
  }
  return false;
}

void ReleaseInstanceMutex() { instanceLocks().clear(); }
