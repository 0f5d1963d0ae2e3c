#pragma once

#include <QString>

// One running instance per user. A named lock stands in for the named mutex: flock() on a lock file
// in the per-user runtime folder. The kernel drops the lock when the process ends in any way, so a
// crash leaves no stale lock.

// The per-user folder for the lock and the hand-over socket: $TOLVANE_RUNTIME_DIR (tests),
// else $XDG_RUNTIME_DIR, else a private /tmp/tolvane-<uid> (created 0700; refused when another
// user owns it or others may write to it). Empty when no such folder can be had.
[[nodiscard]] QString InstanceRuntimeFolder();

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
  // until release() or destruction; otherwise nothing is held.
  [[nodiscard]] Result tryAcquire(const QString &name, const QString &folder);
  [[nodiscard]] Result tryAcquire(const QString &name) {
    return tryAcquire(name, InstanceRuntimeFolder());
  }
  void release();
  [[nodiscard]] bool held() const { return m_fd >= 0; }

private:
  int m_fd = -1;
};

// Takes the named lock for the rest of the process (the instance mutex). Gives true when another
// holder has it already ("another instance runs"); false when this process now holds it, and false
// also when the lock cannot be made at all.
[[nodiscard]] bool CheckSingleInstance(const QString &name);

// Releases what CheckSingleInstance holds, as the end of the process would.
void ReleaseInstanceMutex();
