#include "services/Folders.h"
#include "platform/Errors.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {
void touch(const QString &path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
} // namespace

TEST(Folders, DocumentsFolderIsTheXdgOne) {
  EXPECT_EQ(GetMyDocumentsFolder(), sandbox::documentsDir());
  EXPECT_EQ(GetSpecialFolder(CSIDL_PERSONAL), sandbox::documentsDir());
  EXPECT_EQ(GetSpecialFolder(26), "");
  EXPECT_TRUE(GetTempFolder().endsWith('/'));
}

TEST(Folders, MakeTempFileNameLeavesAUniqueEmptyFile) {
  const QString dir = sandbox::makeTempDir("tmpname");
  const QString a = MakeTempFileName("tlv", dir);
  const QString b = MakeTempFileName("tlv", dir + "/");
  EXPECT_NE(a, b);
  for (const QString &name : {a, b}) {
    const QFileInfo info(name);
    EXPECT_TRUE(info.isFile());
    EXPECT_EQ(info.size(), 0);
    EXPECT_EQ(info.absolutePath(), dir);
    EXPECT_TRUE(info.fileName().startsWith("tlv"));
  }
  const QString inTemp = MakeTempFileName("tlv", "");
  EXPECT_TRUE(inTemp.startsWith(GetTempFolder()));
  EXPECT_TRUE(QFile::remove(inTemp));
}

TEST(Folders, MakeTempFileNameRaisesForAMissingFolder) {
  const QString dir = sandbox::makeTempDir("tmpnamebad");
  touch(dir + "/file");
  EXPECT_THROW((void)MakeTempFileName("x", dir + "/file"), EFileError);
  EXPECT_THROW((void)MakeTempFileName("x", dir + "/missing"), EFileError);
}

TEST(Folders, ListFilesMatchesWithoutCaseAndListsOnlyFiles) {
  const QString dir = sandbox::makeTempDir("list");
  touch(dir + "/b.lng");
  touch(dir + "/A.LNG");
  touch(dir + "/.hidden.lng");
  touch(dir + "/c.txt");
  QDir().mkpath(dir + "/folder.lng");
  QStringList list{"old"};
  ListFiles(dir + "/", "*.lng", list);
  EXPECT_EQ(list, QStringList({".hidden.lng", "A.LNG", "b.lng"}));
  ListFiles(dir, "*.LnG", list);
  EXPECT_EQ(list, QStringList({".hidden.lng", "A.LNG", "b.lng"}));
  ListFiles(dir, "c.*", list);
  EXPECT_EQ(list, QStringList({"c.txt"}));
  ListFiles(dir + "/missing", "*", list);
  EXPECT_TRUE(list.isEmpty());
}
