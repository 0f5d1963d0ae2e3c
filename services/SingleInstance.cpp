#include "services/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// A runtime folder from the environment is used only when it can hold the lock and nobody else
// can plant a lock or a socket in it. A folder that is missing (a shell that inherited the
// variable from another session) made every lock fail, and each start then ran as if alone.
bool usableRuntimeFolder(const QString &path) {
  if (!QDir::isAbsolutePath(path))
    return false;
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0 && ::access(native.constData(), W_OK | X_OK) == 0;
}

QString &standardBase() {
  static QString base = QStringLiteral("/tmp");
  return base;
}

std::vector<TNamedLock> &instanceLocks() {
  static std::vector<TNamedLock> locks;
  return locks;
}

} // namespace

OverrideSlot<QString> &privateRuntimeBaseSlot() {
  static constinit OverrideSlot<QString> slot{&standardBase};
  return slot;
}

// The base folder is shared by all users: someone else may have made the name first, as a folder
// open to others or as a link into a folder of theirs. lstat looks at the entry itself, so a link
// is refused, not followed.
QString PrivateRuntimeFolder(QString *failure) {
  const QString path =
      privateRuntimeBaseSlot().get() + QStringLiteral("/tolvane-%1").arg(::getuid());
  const QByteArray native = QFile::encodeName(path);
  auto refuse = [&](const QString &why) {
    if (failure)
      *failure = QStringLiteral("The folder \"%1\" %2").arg(path, why);
    return QString();
  };
  if (::mkdir(native.constData(), 0700) == 0)
    (void)::chmod(native.constData(), 0700); // whatever the umask took away
  else if (errno != EEXIST)
    return refuse(QStringLiteral("cannot be made: ") + systemError(errno));
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0)
    return refuse(QStringLiteral("cannot be read: ") + systemError(errno));
  if (!S_ISDIR(st.st_mode))
    return refuse(QStringLiteral("is not a folder."));
  if (st.st_uid != ::getuid())
    return refuse(QStringLiteral("belongs to another user."));
  if ((st.st_mode & 07777) != 0700)
    return refuse(QStringLiteral("is open to others (its mode is %1, not 0700).")
                      .arg(st.st_mode & 07777, 4, 8, QChar(u'0')));
  return path;
}

QString InstanceRuntimeFolder(QString *failure) {
  const QString forTests = envFolder("TOLVANE_RUNTIME_DIR");
  if (!forTests.isEmpty())
    return forTests;
  const QString xdg = envFolder("XDG_RUNTIME_DIR");
  if (!xdg.isEmpty() && usableRuntimeFolder(xdg))
    return xdg;
  return PrivateRuntimeFolder(failure);
}

TNamedLock &TNamedLock::operator=(TNamedLock &&other) noexcept {
  if (this != &other) {
    release();
    m_fd = other.m_fd;
    other.m_fd = -1;
    m_failure = std::move(other.m_failure);
  }
  return *this;
}

TNamedLock::Result TNamedLock::tryAcquire(const QString &name) {
  QString why;
  const QString folder = InstanceRuntimeFolder(&why);
  const Result result = tryAcquire(name, folder);
  if (folder.isEmpty())
    m_failure = why;
  return result;
}

TNamedLock::Result TNamedLock::tryAcquire(const QString &name, const QString &folder) {
  release();
  m_failure.clear();
  if (folder.isEmpty() || name.isEmpty()) {
    m_failure = QStringLiteral("There is no folder for the lock.");
    return Result::Failed;
  }
  QString fileName = name;
  fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
  const QString path = folder + QLatin1Char('/') + fileName + ".lock";
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    m_failure =
        QStringLiteral("Cannot open the lock file \"%1\": %2").arg(path, systemError(errno));
    return Result::Failed;
  }
  // flock, not fcntl: record locks belong to the process, so a second lock from this process would
  // succeed and closing any descriptor of the file would drop the lock.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK)
      return Result::HeldElsewhere;
    m_failure = QStringLiteral("Cannot lock the file \"%1\": %2").arg(path, systemError(err));
    return Result::Failed;
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

QStringList InstanceLockFolders(QString *failure) {
  const QString first = InstanceRuntimeFolder(failure);
  if (first.isEmpty())
    return {};
  QStringList folders{first};
  if (!envFolder("TOLVANE_RUNTIME_DIR").isEmpty())
    return folders;
  // A private folder that cannot be had is no reason to refuse a start whose runtime folder is
  // good: the lock there is the one every start took before.
  const QString shared = PrivateRuntimeFolder();
  if (!shared.isEmpty() && shared != first)
    folders << shared;
  return folders;
}

// Before, the lock lay in the runtime folder alone: a start from a shell with a stale
// XDG_RUNTIME_DIR took it in the private folder, one from the desktop in $XDG_RUNTIME_DIR, and
// both ran. Every start now also takes the private folder's lock, which both see.
TNamedLock::Result CheckSingleInstance(const QString &name, QString *failure) {
  QString why;
  const QStringList folders = InstanceLockFolders(&why);
  if (folders.isEmpty()) {
    if (failure)
      *failure = why;
    return TNamedLock::Result::Failed;
  }
  std::vector<TNamedLock> taken;
  for (const QString &folder : folders) {
    TNamedLock lock;
    switch (lock.tryAcquire(name, folder)) {
    case TNamedLock::Result::Acquired:
      taken.push_back(std::move(lock));
      break;
    case TNamedLock::Result::HeldElsewhere:
      return TNamedLock::Result::HeldElsewhere; // what was taken is given back here
    case TNamedLock::Result::Failed:
      // Only the first folder's lock is needed to know; the private one adds what it can.
      if (taken.empty()) {
        if (failure)
          *failure = lock.failure();
        return TNamedLock::Result::Failed;
      }
      break;
    }
  }
  for (TNamedLock &lock : taken)
    instanceLocks().push_back(std::move(lock));
  return TNamedLock::Result::Acquired;
}

bool InstanceLockHeldElsewhere(const QString &name) {
  for (const QString &folder : InstanceLockFolders()) {
    TNamedLock probe;
    if (probe.tryAcquire(name, folder) == TNamedLock::Result::HeldElsewhere)
      return true;
  }
  return false;
}

void ReleaseInstanceMutex() { instanceLocks().clear(); }
