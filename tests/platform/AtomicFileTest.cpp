#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/Guid.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
QByteArray readAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
} // namespace

TEST(AtomicFile, WritesAndReplacesWithTheGivenMode) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic"));
  const QString path = dir + QStringLiteral("/settings.dat");
  WriteFileAtomic(path, "first", 0600);
  EXPECT_EQ(readAll(path), "first");
  WriteFileAtomic(path, "second, longer", 0600);
  EXPECT_EQ(readAll(path), "second, longer");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
}

TEST(AtomicFile, AReplacedFileNeverGetsMorePermissionThanItHad) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic-mode"));
  const QString path = dir + QStringLiteral("/data.xml");
  auto modeOf = [&path] {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0u;
  };
  WriteFileAtomic(path, "first");
  EXPECT_EQ(modeOf(), 0644u);
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
  WriteFileAtomic(path, "second");
  EXPECT_EQ(modeOf(), 0600u); // kept private by its owner
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
  WriteFileAtomic(path, "third", 0600);
  EXPECT_EQ(modeOf(), 0600u); // a file that must be private is made so
  EXPECT_EQ(readAll(path), "third");
}

TEST(AtomicFile, ANewFileFollowsTheUmask) {
  const QString path = sandbox::makeTempDir(QStringLiteral("atomic-umask")) + "/data.xml";
  const mode_t before = ::umask(077);
  WriteFileAtomic(path, "private");
  ::umask(before);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(AtomicFile, StaleTemporaryFilesOfOurNamingAreRemoved) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic-stale"));
  for (const char *name : {".data.xml.aZ09xy", ".data.xml.keepme!", ".data.xml.ab-12c",
                           ".other.xml.ABCDEF", "data.xml"}) {
    QFile f(dir + u'/' + QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(RemoveStaleTempFiles(dir + QStringLiteral("/data.xml")), 1);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 4);
  EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/.data.xml.aZ09xy")));
}

TEST(AtomicFile, AFailedWriteRaisesAndKeepsTheOldFile) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic-fail"));
  const QString path = dir + QStringLiteral("/data.xml");
  WriteFileAtomic(path, "old");
  // A folder where the target should be: the rename fails, even for root.
  const QString blocked = dir + QStringLiteral("/blocked");
  QDir().mkpath(blocked + QStringLiteral("/inner"));
  EXPECT_THROW(WriteFileAtomic(blocked, "new"), EFileError);
  // A regular file where the folder should be: the temporary cannot be made.
  EXPECT_THROW(WriteFileAtomic(path + QStringLiteral("/x.xml"), "new"), EFileError);
  EXPECT_EQ(readAll(path), "old");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(Guid, TextHasBracesUpperCaseHexAndIsUnique) {
  const QRegularExpression shape(
      QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
  QSet<QString> seen;
  for (int i = 0; i < 200; ++i) {
    const QString g = CreateGuidText();
    EXPECT_TRUE(shape.match(g).hasMatch()) << g.toStdString();
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 200);
}
