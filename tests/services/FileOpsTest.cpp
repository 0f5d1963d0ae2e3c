#include "services/FileOps.h"
#include "platform/Errors.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray readFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

mode_t modeOf(const QString &path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

int crossDeviceRename(const char *, const char *) {
  errno = EXDEV;
  return -1;
}

} // namespace

TEST(FileOps, MoveReplacesTheTarget) {
  const QString dir = sandbox::makeTempDir("move");
  writeFile(dir + "/new", "new data");
  writeFile(dir + "/data.xml", "old data");
  MoveFileReplace(dir + "/new", dir + "/data.xml");
  EXPECT_EQ(readFile(dir + "/data.xml"), "new data");
  EXPECT_FALSE(QFile::exists(dir + "/new"));
}

TEST(FileOps, AFailedMoveRaisesAndKeepsTheSource) {
  const QString dir = sandbox::makeTempDir("movefail");
  writeFile(dir + "/new", "new data");
  writeFile(dir + "/plain", "a file, not a folder");
  EXPECT_THROW(MoveFileReplace(dir + "/new", dir + "/plain/data.xml"), EFileError);
  EXPECT_EQ(readFile(dir + "/new"), "new data");
  EXPECT_THROW(MoveFileReplace(dir + "/missing", dir + "/data.xml"), EFileError);
}

TEST(FileOps, CrossDeviceMoveCopiesIntoTheTargetFolderThenRemovesTheSource) {
  const QString src = sandbox::makeTempDir("xdevsrc");
  const QString dst = sandbox::makeTempDir("xdevdst");
  writeFile(src + "/new", "new data");
  ASSERT_TRUE(QFile::setPermissions(src + "/new", QFile::ReadOwner | QFile::WriteOwner));
  writeFile(dst + "/data.xml", "old data");
  {
    fileops_testing::ScopedRename fake(&crossDeviceRename);
    MoveFileReplace(src + "/new", dst + "/data.xml");
  }
  EXPECT_EQ(readFile(dst + "/data.xml"), "new data");
  EXPECT_EQ(modeOf(dst + "/data.xml"), 0600u);
  EXPECT_FALSE(QFile::exists(src + "/new"));
  EXPECT_EQ(QDir(dst).entryList(QDir::Files | QDir::Hidden), QStringList({"data.xml"}));

  // The copy fails: the source stays and the target keeps its bytes.
  writeFile(src + "/again", "again");
  {
    fileops_testing::ScopedRename fake(&crossDeviceRename);
    EXPECT_THROW(MoveFileReplace(src + "/again", dst + "/data.xml/x"), EFileError);
  }
  EXPECT_EQ(readFile(src + "/again"), "again");
  EXPECT_EQ(readFile(dst + "/data.xml"), "new data");
}

TEST(FileOps, CopyViaMemory) {
  const QString dir = sandbox::makeTempDir("copy");
  writeFile(dir + "/a", QByteArray("\0binary\xff", 8));
  ASSERT_TRUE(QFile::setPermissions(dir + "/a", QFile::ReadOwner | QFile::WriteOwner));
  writeFile(dir + "/b", "to be replaced");
  CopyFileViaMemory(dir + "/a", dir + "/b");
  EXPECT_EQ(readFile(dir + "/b"), QByteArray("\0binary\xff", 8));
  EXPECT_EQ(modeOf(dir + "/b"), 0600u);
  EXPECT_THROW(CopyFileViaMemory(dir + "/missing", dir + "/c"), EFileError);
  EXPECT_FALSE(QFile::exists(dir + "/c"));
  EXPECT_THROW(CopyFileViaMemory(dir + "/a", dir + "/b/c"), EFileError);
}
