#include "services/SingleInstance.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto Acquired = TNamedLock::Result::Acquired;
constexpr auto HeldElsewhere = TNamedLock::Result::HeldElsewhere;
constexpr auto Failed = TNamedLock::Result::Failed;

// Another process trying the same lock: util-linux flock(1) uses flock(2) as we do.
int otherProcessTries(const QString &lockFile) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/flock"), {"-n", "-E", "3", lockFile, "true"});
  EXPECT_TRUE(p.waitForFinished(10000));
  return p.exitCode();
}

} // namespace

// The runtime folder as a desktop session gives it: no test override, XDG_RUNTIME_DIR as set here,
// the private folder's base in a folder of the test's own.
class RuntimeFolder : public ::testing::Test {
protected:
  void SetUp() override { qunsetenv("TOLVANE_RUNTIME_DIR"); }
  void TearDown() override {
    ReleaseInstanceMutex();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(sandbox::runtimeDir()));
    qputenv("TOLVANE_RUNTIME_DIR", QFile::encodeName(sandbox::runtimeDir()));
  }
  static void setXdg(const QString &folder) {
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
  }
  [[nodiscard]] QString privateFolder() const {
    return base + QStringLiteral("/tolvane-%1").arg(::getuid());
  }
  static mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
  }
  static void makeFile(const QString &path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }

  QString base = sandbox::makeTempDir(QStringLiteral("tmp"));
  ScopedPrivateRuntimeBase scopedBase{base};
};

TEST_F(RuntimeFolder, TheTestFolderAndAUsableXdgFolderAreTakenAsTheyAre) {
  qputenv("TOLVANE_RUNTIME_DIR", "/run/user/for-tests");
  EXPECT_EQ(InstanceRuntimeFolder(), "/run/user/for-tests");
  qunsetenv("TOLVANE_RUNTIME_DIR");
  EXPECT_EQ(InstanceRuntimeFolder(), sandbox::runtimeDir());
  EXPECT_FALSE(QFileInfo::exists(privateFolder()));
}

// A shell that inherited XDG_RUNTIME_DIR from another session names a folder that is not there:
// every lock failed, and each start ran as if it were alone.
TEST_F(RuntimeFolder, AMissingOrUnusableXdgFolderFallsBackToThePrivateFolder) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("xdg"));
  makeFile(dir + QStringLiteral("/file"));
  const QString shared = dir + QStringLiteral("/shared");
  QDir().mkpath(shared);
  ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
  for (const QString &xdg : {dir + QStringLiteral("/missing"), dir + QStringLiteral("/file"),
                             QStringLiteral("relative/run"), shared, QString()}) {
    if (xdg.isEmpty())
      qunsetenv("XDG_RUNTIME_DIR");
    else
      setXdg(xdg);
    QString failure;
    EXPECT_EQ(InstanceRuntimeFolder(&failure), privateFolder()) << xdg.toStdString();
    EXPECT_TRUE(failure.isEmpty());
  }
  EXPECT_TRUE(S_ISDIR(modeOf(privateFolder())));
  EXPECT_EQ(modeOf(privateFolder()) & 07777, 0700u);

  setXdg(dir + QStringLiteral("/missing"));
  const QString name = QStringLiteral("tolvane_FALLBACK");
  EXPECT_EQ(CheckSingleInstance(name), Acquired);
  EXPECT_TRUE(QFileInfo::exists(privateFolder() + QStringLiteral("/tolvane_FALLBACK.lock")));
  EXPECT_EQ(CheckSingleInstance(name), HeldElsewhere);
}

// A shell that inherited a stale XDG_RUNTIME_DIR and a desktop session that has a good one took
// their locks in different folders, and a start from each ran beside the other.
TEST_F(RuntimeFolder, StartsThatSeeDifferentXdgFoldersShareTheLockOfThePrivateFolder) {
  const QString usable = sandbox::makeTempDir(QStringLiteral("xdg-usable"));
  ASSERT_EQ(::chmod(QFile::encodeName(usable).constData(), 0700), 0);
  const QString missing = usable + QStringLiteral("-missing");
  const QString name = QStringLiteral("tolvane_MIXED");
  const QString privateLock = privateFolder() + QStringLiteral("/tolvane_MIXED.lock");
  const QString usableLock = usable + QStringLiteral("/tolvane_MIXED.lock");

  setXdg(usable);
  ASSERT_EQ(CheckSingleInstance(name), Acquired);
  setXdg(missing);
  EXPECT_EQ(CheckSingleInstance(name), HeldElsewhere);
  EXPECT_TRUE(InstanceLockHeldElsewhere(name));
  // Both locks are held: a start that sees the good folder finds it there as well.
  EXPECT_EQ(otherProcessTries(usableLock), 3);
  EXPECT_EQ(otherProcessTries(privateLock), 3);
  ReleaseInstanceMutex();
  EXPECT_FALSE(InstanceLockHeldElsewhere(name));

  setXdg(missing);
  ASSERT_EQ(CheckSingleInstance(name), Acquired);
  setXdg(usable);
  EXPECT_EQ(CheckSingleInstance(name), HeldElsewhere);
  EXPECT_TRUE(InstanceLockHeldElsewhere(name)); // what "tolvane stop" asks before it says "ended"
  ReleaseInstanceMutex();
  EXPECT_EQ(otherProcessTries(privateLock), 0);
  EXPECT_EQ(otherProcessTries(usableLock), 0);

  // A private folder someone else made first cannot hold a lock: the good folder's lock is the
  // one taken, as before.
  ASSERT_TRUE(QDir(privateFolder()).removeRecursively());
  makeFile(privateFolder());
  EXPECT_EQ(CheckSingleInstance(name), Acquired);
  EXPECT_EQ(otherProcessTries(usableLock), 3);
  ReleaseInstanceMutex();
  QFile::remove(privateFolder());
}

// Someone else may have made the name in the shared folder first.
TEST_F(RuntimeFolder, ThePrivateFolderIsRefusedUnlessItIsTheUsersOwnWithMode0700) {
  qunsetenv("XDG_RUNTIME_DIR");
  const QString path = privateFolder();
  auto refusedWith = [](const char *reason) {
    QString failure;
    const QString folder = InstanceRuntimeFolder(&failure);
    EXPECT_TRUE(folder.isEmpty()) << folder.toStdString();
    EXPECT_TRUE(failure.contains(QLatin1String(reason))) << failure.toStdString();
    QString lockFailure;
    EXPECT_EQ(CheckSingleInstance(QStringLiteral("tolvane_REFUSED"), &lockFailure), Failed);
    EXPECT_EQ(lockFailure, failure);
  };

  makeFile(path);
  refusedWith("is not a folder");
  QFile::remove(path);

  // A link to a folder that would pass is still refused: it is not followed.
  const QString elsewhere = sandbox::makeTempDir(QStringLiteral("elsewhere"));
  ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
  ASSERT_TRUE(QFile::link(elsewhere, path));
  refusedWith("is not a folder");
  QFile::remove(path);

  ASSERT_TRUE(QDir().mkdir(path));
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0755), 0);
  refusedWith("is open to others");
  if (::getuid() == 0) { // only root can give a folder away
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    refusedWith("belongs to another user");
  }
  ASSERT_TRUE(QDir(path).removeRecursively());

  // No base folder to make it in.
  QDir(base).removeRecursively();
  makeFile(base);
  refusedWith("cannot be made");
  QFile::remove(base);
}

TEST(SingleInstance, SecondHolderInTheSameProcessSeesTheFirst) {
  const QString name = QStringLiteral("tolvane_JDOE");
  EXPECT_EQ(CheckSingleInstance(name), Acquired);
  EXPECT_TRUE(QFile::exists(sandbox::runtimeDir() + "/tolvane_JDOE.lock"));
  EXPECT_EQ(CheckSingleInstance(name), HeldElsewhere);
  // A different login has a lock of its own.
  EXPECT_EQ(CheckSingleInstance(QStringLiteral("tolvane_OTHER")), Acquired);
  // The end of the process gives the lock back.
  ReleaseInstanceMutex();
  EXPECT_EQ(CheckSingleInstance(name), Acquired);
  ReleaseInstanceMutex();
}

TEST(SingleInstance, LockIsSeenAcrossProcesses) {
  const QString name = QStringLiteral("tolvane_CROSS");
  const QString file = sandbox::runtimeDir() + "/tolvane_CROSS.lock";
  ASSERT_EQ(CheckSingleInstance(name), Acquired);
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
  EXPECT_EQ(CheckSingleInstance(name), HeldElsewhere);
  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(10000));
  EXPECT_EQ(CheckSingleInstance(name), Acquired);
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
