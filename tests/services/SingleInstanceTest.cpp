#include "services/SingleInstance.h"
#include "tests/support/Sandbox.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Another process trying the same lock: util-linux flock(1) uses flock(2) as we do.
int otherProcessTries(const QString &lockFile) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/flock"), {"-n", "-E", "3", lockFile, "true"});
  EXPECT_TRUE(p.waitForFinished(10000));
  return p.exitCode();
}

} // namespace

TEST(SingleInstance, TheRuntimeFolderComesFromTheEnvironment) {
  EXPECT_EQ(InstanceRuntimeFolder(), sandbox::runtimeDir());
  const QByteArray saved = qgetenv("TOLVANE_RUNTIME_DIR");
  qunsetenv("TOLVANE_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", "/run/user/elsewhere");
  EXPECT_EQ(InstanceRuntimeFolder(), "/run/user/elsewhere");
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sandbox::runtimeDir()));
  qputenv("TOLVANE_RUNTIME_DIR", saved);
}

TEST(SingleInstance, SecondHolderInTheSameProcessSeesTheFirst) {
  const QString name = QStringLiteral("tolvane_JDOE");
  EXPECT_FALSE(CheckSingleInstance(name));
  EXPECT_TRUE(QFile::exists(sandbox::runtimeDir() + "/tolvane_JDOE.lock"));
  EXPECT_TRUE(CheckSingleInstance(name));
  // A different login has a lock of its own.
  EXPECT_FALSE(CheckSingleInstance(QStringLiteral("tolvane_OTHER")));
  // The end of the process gives the lock back.
  ReleaseInstanceMutex();
  EXPECT_FALSE(CheckSingleInstance(name));
  ReleaseInstanceMutex();
}

TEST(SingleInstance, LockIsSeenAcrossProcesses) {
  const QString name = QStringLiteral("tolvane_CROSS");
  const QString file = sandbox::runtimeDir() + "/tolvane_CROSS.lock";
  ASSERT_FALSE(CheckSingleInstance(name));
  EXPECT_EQ(otherProcessTries(file), 3); // held by us
  ReleaseInstanceMutex();
  EXPECT_EQ(otherProcessTries(file), 0);

  // Another process holds it; we see "another instance runs" until it ends.
  QProcess holder;
  // The shell locks through its own descriptor and then becomes sleep, so killing it frees the
  // lock.
  holder.start(QStringLiteral("/bin/sh"),
               {"-c", "exec 9>\"$0\"; /usr/bin/flock 9; echo locked; exec sleep 60", file});
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  EXPECT_TRUE(CheckSingleInstance(name));
  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(10000));
  EXPECT_FALSE(CheckSingleInstance(name));
  ReleaseInstanceMutex();
}

TEST(SingleInstance, AFolderThatCannotHoldTheLockGivesFalseAndHoldsNothing) {
  const QString dir = sandbox::makeTempDir("lock");
  QFile plain(dir + "/file");
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  TNamedLock lock;
  EXPECT_EQ(lock.tryAcquire("x", dir + "/file"), TNamedLock::Result::Failed);
  EXPECT_FALSE(lock.held());
  EXPECT_EQ(lock.tryAcquire("x", QString()), TNamedLock::Result::Failed);
  EXPECT_EQ(lock.tryAcquire("x", dir), TNamedLock::Result::Acquired);
  TNamedLock moved = std::move(lock);
  EXPECT_FALSE(lock.held());
  EXPECT_TRUE(moved.held());
  TNamedLock second;
  EXPECT_EQ(second.tryAcquire("x", dir), TNamedLock::Result::HeldElsewhere);
  moved.release();
  EXPECT_EQ(second.tryAcquire("x", dir), TNamedLock::Result::Acquired);
}
