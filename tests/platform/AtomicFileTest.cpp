#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/Guid.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A store kept in a synced folder behind a link: replacing the link by a regular file left the
// synced file behind, silently no longer updated.
TEST(AtomicFile, ALinkIsWrittenThroughToTheFileAtTheEndOfItsChain) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic-link"));
  const QString sync = dir + QStringLiteral("/sync");
  const QString home = dir + QStringLiteral("/home");
  QDir().mkpath(sync);
  QDir().mkpath(home);
  WriteFileAtomic(sync + QStringLiteral("/data.xml"), "old", 0600);
  // home/data.xml -> home/middle.xml -> ../sync/data.xml (relative: from the link's folder)
  ASSERT_TRUE(
      QFile::link(QStringLiteral("../sync/data.xml"), home + QStringLiteral("/middle.xml")));
  ASSERT_TRUE(
      QFile::link(home + QStringLiteral("/middle.xml"), home + QStringLiteral("/data.xml")));
  EXPECT_EQ(ResolveWriteTarget(home + QStringLiteral("/data.xml")),
            home + QStringLiteral("/../sync/data.xml"));
  WriteFileAtomic(home + QStringLiteral("/data.xml"), "new", 0644);
  EXPECT_TRUE(QFileInfo(home + QStringLiteral("/data.xml")).isSymLink());
  EXPECT_EQ(readAll(sync + QStringLiteral("/data.xml")), "new");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(sync + QStringLiteral("/data.xml")).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u); // the target's own mode, not the link's
  EXPECT_EQ(QDir(sync).entryList(QDir::Files | QDir::Hidden), QStringList{"data.xml"});

  // A link whose target is missing: the file is made where the link leads.
  ASSERT_TRUE(QFile::link(sync + QStringLiteral("/new.xml"), home + QStringLiteral("/new.xml")));
  WriteFileAtomic(home + QStringLiteral("/new.xml"), "made");
  EXPECT_TRUE(QFileInfo(home + QStringLiteral("/new.xml")).isSymLink());
  EXPECT_EQ(readAll(sync + QStringLiteral("/new.xml")), "made");

  // A loop is an error, never followed: the link stays as it was.
  ASSERT_TRUE(QFile::link(home + QStringLiteral("/b.xml"), home + QStringLiteral("/a.xml")));
  ASSERT_TRUE(QFile::link(home + QStringLiteral("/a.xml"), home + QStringLiteral("/b.xml")));
  EXPECT_THROW((void)ResolveWriteTarget(home + QStringLiteral("/a.xml")), EFileError);
  try {
    WriteFileAtomic(home + QStringLiteral("/a.xml"), "never");
    ADD_FAILURE() << "a loop was followed";
  } catch (const EFileError &e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("loops"))) << e.message().toStdString();
  }
  EXPECT_EQ(QFileInfo(home + QStringLiteral("/a.xml")).symLinkTarget(),
            home + QStringLiteral("/b.xml"));
  EXPECT_EQ(QDir(home).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 5);
}

TEST(AtomicFile, StaleTemporaryFilesAreRemovedBesideALinkAndItsTarget) {
  const QString dir = sandbox::makeTempDir(QStringLiteral("atomic-stale-link"));
  QDir().mkpath(dir + QStringLiteral("/sync"));
  ASSERT_TRUE(
      QFile::link(dir + QStringLiteral("/sync/store.xml"), dir + QStringLiteral("/data.xml")));
  for (const char *name :
       {".data.xml.Ab12Cd", "sync/.store.xml.Xy34Zw", "sync/.store.xml.mine!!"}) {
    QFile f(dir + u'/' + QString::fromLatin1(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(RemoveStaleTempFiles(dir + QStringLiteral("/data.xml")), 2);
  EXPECT_EQ(QDir(dir + QStringLiteral("/sync")).entryList(QDir::Files | QDir::Hidden),
            QStringList{".store.xml.mine!!"});
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
