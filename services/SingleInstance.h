#pragma once

#include "platform/ScopedOverride.h"

#include <QString>
#include <QStringList>

// One running instance per user. A named lock stands in for the named mutex: flock() on a lock file
// in the per-user runtime folder. The kernel drops the lock when the process ends in any way, so a
// crash leaves no stale lock.

// The per-user folder for the lock and the hand-over socket: $TOLVANE_RUNTIME_DIR (tests), taken
// as it is; else $XDG_RUNTIME_DIR when it names a folder of this user's that others cannot write
// to; else PrivateRuntimeFolder(). Empty, with the reason in `failure`, when none can be had.
[[nodiscard]] QString InstanceRuntimeFolder(QString *failure = nullptr);

// <base>/tolvane-<uid>, base /tmp unless replaced: made with mode 0700 when missing, refused
// (empty, with the reason in `failure`) when the entry there is not a folder owned by this user
// with mode 0700. The entry itself is checked, never where a symbolic link would lead.
[[nodiscard]] QString PrivateRuntimeFolder(QString *failure = nullptr);
// Where PrivateRuntimeFolder() finds its base folder ("/tmp" unless replaced).
[[nodiscard]] OverrideSlot<QString> &privateRuntimeBaseSlot();
// Replaces the base folder of the private runtime folder until the object dies (tests).
using ScopedPrivateRuntimeBase = ScopedOverride<&privateRuntimeBaseSlot>;

// A lock held through an open file description. Two locks of one name conflict even inside one
// process, as two named mutexes would.
class TNamedLock {
public:
  enum class Result { Acquired, HeldElsewhere, Failed };

  TNamedLock() = default;
  ~TNamedLock() { release(); }
  TNamedLock(const TNamedLock &) = delete;
  TNamedLock &operator=(const TNamedLock &) = delete;
  TNamedLock(TNamedLock &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  TNamedLock &operator=(TNamedLock &&other) noexcept;

  // Tries to take the lock file <folder>/<name>.lock without waiting. On Acquired the lock is held
  // until release() or destruction; otherwise nothing is held, and after Failed failure() says why.
  [[nodiscard]] Result tryAcquire(const QString &name, const QString &folder);
  // The same in InstanceRuntimeFolder().
  [[nodiscard]] Result tryAcquire(const QString &name);
  void release();
  [[nodiscard]] bool held() const { return m_fd >= 0; }
  // Why the last tryAcquire failed, for the user; "" after any other result.
  [[nodiscard]] const QString &failure() const { return m_failure; }

private:
  int m_fd = -1;
  QString m_failure;
};

// The folders the instance lock is taken in: InstanceRuntimeFolder() first, then (unless the
// tests named the folder) PrivateRuntimeFolder() when it can be had and is another folder. Two
// starts that see different XDG_RUNTIME_DIR values still meet in the private folder. Empty, with
// the reason in `failure`, when the first cannot be had.
[[nodiscard]] QStringList InstanceLockFolders(QString *failure = nullptr);

// Takes the named lock in every folder of InstanceLockFolders() for the rest of the process (the
// instance mutex). HeldElsewhere: another instance holds it in one of them. Acquired: this process
// now holds it. Failed: the lock cannot be made in the first folder, so nobody can tell whether
// another instance runs; `failure` then gets the reason.
[[nodiscard]] TNamedLock::Result CheckSingleInstance(const QString &name,
                                                     QString *failure = nullptr);
// Whether another holder has the named lock in any folder of InstanceLockFolders(). The probe
// holds each free lock for a moment and never removes a lock file.
[[nodiscard]] bool InstanceLockHeldElsewhere(const QString &name);

// Releases what CheckSingleInstance holds, as the end of the process would.
void ReleaseInstanceMutex();
