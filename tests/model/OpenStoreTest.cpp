#include "model/Paths.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "tests/model/SettingsSandbox.h"

namespace {

// A fresh empty store and fresh settings for each test.
class OpenStoreTest : public SettingsSandbox {
protected:
  QStringList open() {
    OpenStore([this] { ++reloads; });
    QStringList ids;
    Store().GetIds(&ids);
    return ids;
  }

  int reloads = 0;
};

const QByteArray OneItem = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                           "<item id=\"{DATA}\"/></root>";
const QByteArray BackupItem = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                              "<item id=\"{BACKUP}\"/></root>";
const QByteArray EmptyStore = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root/>";

} // namespace

TEST_F(OpenStoreTest, LoadsTheDataFileNamedInTheSettings) {
  const QString dataFile = GetDataFileName();
  writeFile(dataFile, OneItem);
  writeFile(GetBackupFileName(), BackupItem);
  EXPECT_EQ(open(), QStringList{"DATA"});
  EXPECT_EQ(Store().FileName(), dataFile);
  EXPECT_EQ(reloads, 1);

  const QString other = sandbox::makeTempDir(QStringLiteral("other")) + "/mine.xml";
  writeFile(other, BackupItem);
  main.writeString("Main", "StoreFileName", other);
  EXPECT_EQ(open(), QStringList{"BACKUP"});
  EXPECT_EQ(Store().FileName(), other);

  // With the local folder on, the setting is not used.
  local.writeBool("Main", "UseLocalFolder", true);
  writeFile(GetLocalDataFileName(), OneItem);
  EXPECT_EQ(open(), QStringList{"DATA"});
  EXPECT_EQ(Store().FileName(), GetLocalDataFileName());
}

TEST_F(OpenStoreTest, AMissingDataFileFallsBackToTheBackupFromThenOn) {
  const QString backup = GetBackupFileName();
  writeFile(backup, BackupItem);
  EXPECT_EQ(open(), QStringList{"BACKUP"});
  EXPECT_EQ(Store().FileName(), backup);
  ASSERT_TRUE(Store().SelectItem("BACKUP"));
  Store().WriteString("subject", "saved");
  Store().Flush();
  EXPECT_TRUE(readFile(backup).contains("saved"));
  EXPECT_FALSE(QFileInfo::exists(GetDataFileName()));
}

TEST_F(OpenStoreTest, AFirstStartWithNeitherFileKeepsTheDataFileAndItsBackupApart) {
  EXPECT_TRUE(open().isEmpty());
  EXPECT_EQ(Store().FileName(), GetDataFileName());
  EXPECT_EQ(reloads, 1);
  Store().Flush();
  EXPECT_TRUE(QFileInfo::exists(GetDataFileName()));
  EXPECT_FALSE(QFileInfo::exists(GetBackupFileName()));
}

TEST_F(OpenStoreTest, ABrokenDataFileFallsBackToTheBackup) {
  QStringList notices;
  const errors::ScopedInfoReporter reporter([&notices](const QString &text) { notices << text; });
  writeFile(GetDataFileName(), OneItem.left(40));
  writeFile(GetBackupFileName(), BackupItem);
  EXPECT_EQ(open(), QStringList{"BACKUP"});
  // The user is told, in a notice and in the log, which file and why.
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains(GetDataFileName()));
  EXPECT_TRUE(notices[0].contains("the reminders come from the backup"))
      << notices[0].toStdString();
  EXPECT_TRUE(readFile(GetLogFileName()).contains(GetDataFileName().toUtf8()));
  // The shut-down remembers the backup; the next start with a repaired file uses it again.
  main.writeString("Main", "StoreFileName", Store().FileName());
  writeFile(GetDataFileName(), OneItem);
  EXPECT_EQ(open(), QStringList{"DATA"});
  EXPECT_EQ(Store().FileName(), GetDataFileName());
  writeFile(GetDataFileName(), OneItem.left(40));
  // A folder where the data file should be cannot be read either.
  QFile::remove(GetDataFileName());
  QDir().mkpath(GetDataFileName());
  const TestModel fresh; // nothing of the backup read before
  EXPECT_EQ(open(), QStringList{"BACKUP"});
}

TEST_F(OpenStoreTest, AValidStoreWithoutRemindersIsKept) {
  writeFile(GetDataFileName(), EmptyStore);
  writeFile(GetBackupFileName(), BackupItem);
  EXPECT_TRUE(open().isEmpty());
  EXPECT_EQ(Store().FileName(), GetDataFileName());
}

TEST_F(OpenStoreTest, ABrokenDataFileWithoutBackupIsNeverSavedOver) {
  // A truncated data file may still hold reminders someone can recover by hand: the next save
  // must not replace it with an empty store.
  QStringList notices;
  const errors::ScopedInfoReporter reporter([&notices](const QString &text) { notices << text; });
  const QByteArray broken = OneItem.left(40);
  writeFile(GetDataFileName(), broken);
  EXPECT_TRUE(open().isEmpty());
  // No backup, so the user hears that no reminder fires, never that they come from a backup.
  ASSERT_EQ(notices.size(), 1);
  EXPECT_FALSE(notices[0].contains("backup."));
  EXPECT_TRUE(notices[0].contains("there is no backup")) << notices[0].toStdString();
  // A backup that cannot be read either gives no reminders.
  writeFile(GetBackupFileName(), BackupItem.left(30));
  EXPECT_TRUE(open().isEmpty());
  ASSERT_EQ(notices.size(), 2);
  EXPECT_TRUE(notices[1].contains("there is no backup")) << notices[1].toStdString();
  // Nor does one without reminders, as the end of a run on the broken file leaves it.
  writeFile(GetBackupFileName(), EmptyStore);
  EXPECT_TRUE(open().isEmpty());
  ASSERT_EQ(notices.size(), 3);
  EXPECT_TRUE(notices[2].contains("there is no backup")) << notices[2].toStdString();
  QFile::remove(GetBackupFileName());
  writeFile(GetDataFileName(), broken);
  EXPECT_TRUE(open().isEmpty());
  EXPECT_NE(Store().FileName(), GetDataFileName());
  Store().Flush();
  ASSERT_TRUE(Store().Save());
  EXPECT_EQ(readFile(GetDataFileName()), broken);
}

TEST_F(OpenStoreTest, RepeatedIdsGetIdsOfTheirOwnAndTheFileKeepsThem) {
  writeFile(GetDataFileName(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                               "<item id=\"{DATA}\"><subject>a</subject></item>"
                               "<item id=\"{data}\"><subject>b</subject></item>"
                               "<item id=\"{\xC3\x84RGER}\"><subject>c</subject></item>"
                               "<item id=\"{\xC3\xA4rger}\"><subject>d</subject></item></root>");
  const QStringList ids = open();
  ASSERT_EQ(ids.size(), 4);
  EXPECT_EQ(ids[2], QString::fromUtf8("\xC3\x84RGER"));
  EXPECT_NE(ids[3].toCaseFolded(), QString::fromUtf8("\xC3\xA4rger")); // the same id in other case
  EXPECT_EQ(ids[0], QStringLiteral("DATA"));
  EXPECT_NE(ids[1].toCaseFolded(), QStringLiteral("data"));
  ASSERT_TRUE(Store().SelectItem(ids[1]));
  EXPECT_EQ(Store().ReadString("subject", QString()), QStringLiteral("b"));
  EXPECT_TRUE(readFile(GetDataFileName()).contains(ids[1].toUtf8()));
}
