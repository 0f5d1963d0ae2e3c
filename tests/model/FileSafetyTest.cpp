// The program's own files kept where the user put them: the store, its backup, the settings and
// the log behind symbolic links (a synced folder, say), and the line breaks of the two store
// files. Real files and links in a temporary folder.

#include "SettingsSandbox.h"
#include "model/LogFile.h"
#include "model/Paths.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

class FileSafety : public SettingsSandbox {
protected:
  FileSafety() {
    QDir().mkpath(userDir());
    QDir().mkpath(sync);
  }

  static void link(const QString &target, const QString &at) {
    ASSERT_TRUE(QFile::link(target, at)) << at.toStdString();
  }
  static bool isLinkTo(const QString &path, const QString &target) {
    return QFileInfo(path).isSymLink() && QFileInfo(path).symLinkTarget() == target;
  }
  static QStringList open() {
    OpenStore({});
    QStringList ids;
    Store().GetIds(&ids);
    return ids;
  }

  QString sync = sandbox::makeTempDir(QStringLiteral("sync"));
  QStringList shown;
  errors::ScopedInfoReporter reporter{[this](const QString &text) { shown << text; }};
};

const QByteArray OneItem = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root>"
                           "<item id=\"{DATA}\"><text>one\ntwo</text></item></root>";

} // namespace

TEST_F(FileSafety, StoreAndBackupBehindLinksAreWrittenThroughToTheirTargets) {
  writeFile(sync + "/data.xml", OneItem);
  link(sync + "/data.xml", GetDataFileName());
  link(sync + "/backup.xml", GetBackupFileName()); // no backup yet: made where the link leads
  EXPECT_EQ(open(), QStringList{"DATA"});
  ASSERT_TRUE(Store().SelectItem("DATA"));
  Store().WriteString("subject", "synced");
  ASSERT_TRUE(Store().Save());
  ASSERT_TRUE(Store().SaveToFile(GetBackupFileName()));
  EXPECT_TRUE(isLinkTo(GetDataFileName(), sync + "/data.xml"));
  EXPECT_TRUE(isLinkTo(GetBackupFileName(), sync + "/backup.xml"));
  EXPECT_TRUE(readFile(sync + "/data.xml").contains("synced"));
  EXPECT_TRUE(readFile(sync + "/backup.xml").contains("synced"));
  EXPECT_TRUE(shown.isEmpty()) << shown.join(u'|').toStdString();
}

TEST_F(FileSafety, AStoreLinkThatLoopsIsToldAndNeverFollowed) {
  writeFile(GetBackupFileName(), OneItem);
  link(userDir() + "/loop.xml", GetDataFileName());
  link(GetDataFileName(), userDir() + "/loop.xml");
  EXPECT_EQ(open(), QStringList{"DATA"}); // from the backup, which the store now names
  EXPECT_EQ(Store().FileName(), GetBackupFileName());
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains(GetDataFileName()) && shown[0].contains("loops"))
      << shown[0].toStdString();
  EXPECT_FALSE(Store().SaveToFile(GetDataFileName()));
  ASSERT_EQ(shown.size(), 2);
  EXPECT_TRUE(shown[1].contains("loops")) << shown[1].toStdString();
  EXPECT_TRUE(isLinkTo(GetDataFileName(), userDir() + "/loop.xml"));
}

// A store read back from its file and saved again wrote LF where the same store saved from memory
// wrote CR LF, so data.xml and data_backup.xml held the same texts differently.
TEST_F(FileSafety, BothStoreFilesHoldLineBreaksAsCrLfAndEitherReads) {
  writeFile(GetDataFileName(), OneItem); // LF alone, as another program may write it
  EXPECT_EQ(open(), QStringList{"DATA"});
  ASSERT_TRUE(Store().SelectItem("DATA"));
  EXPECT_EQ(Store().ReadString("text", QString()), QStringLiteral("one\ntwo"));
  Store().WriteString("subject", QStringLiteral("first\r\nsecond"));
  Store().WriteString("blank", QStringLiteral("\r\n")); // a text of blank lines is still a text
  ASSERT_TRUE(Store().Save());
  (void)open(); // read back: the parser gives every line break as LF
  ASSERT_TRUE(Store().SaveToFile(GetBackupFileName()));
  const QByteArray data = readFile(GetDataFileName());
  EXPECT_EQ(readFile(GetBackupFileName()), data);
  EXPECT_TRUE(data.contains("<text>one\r\ntwo</text>")) << data.toStdString();
  EXPECT_TRUE(data.contains("<subject>first\r\nsecond</subject>"));
  EXPECT_TRUE(data.contains("<blank>\r\n</blank>"));
  EXPECT_EQ(data.count('\n'), data.count("\r\n"));
  ASSERT_TRUE(Store().SelectItem("DATA"));
  EXPECT_EQ(Store().ReadString("subject", QString()), QStringLiteral("first\nsecond"));
}

TEST_F(FileSafety, SettingsBehindLinksAreWrittenThroughAndALoopIsTold) {
  link(sync + "/control1.dat", GetMainSettingsFileName());
  link(sync + "/control2.dat", GetLocalSettingsFileName());
  main.writeString("Mail", "Host", "smtp.example.org");
  local.writeString("Config", "LogClearPeriod", "9");
  ASSERT_TRUE(SaveMainSettings());
  ASSERT_TRUE(SaveLocalSettings());
  EXPECT_TRUE(isLinkTo(GetMainSettingsFileName(), sync + "/control1.dat"));
  EXPECT_TRUE(isLinkTo(GetLocalSettingsFileName(), sync + "/control2.dat"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(sync + "/control1.dat").constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u); // it holds the mail password
  ASSERT_TRUE(LoadMainSettings());
  EXPECT_EQ(main.readString("Mail", "Host", ""), QStringLiteral("smtp.example.org"));
  EXPECT_TRUE(shown.isEmpty());

  QFile::remove(GetMainSettingsFileName());
  link(userDir() + "/loop.dat", GetMainSettingsFileName());
  link(GetMainSettingsFileName(), userDir() + "/loop.dat");
  EXPECT_FALSE(LoadMainSettings());
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains(GetMainSettingsFileName()) && shown[0].contains("loops"))
      << shown[0].toStdString();
  EXPECT_FALSE(SaveMainSettings());
  EXPECT_TRUE(isLinkTo(GetMainSettingsFileName(), userDir() + "/loop.dat"));
}

TEST_F(FileSafety, TheLogBehindALinkIsAppendedAndPurgedThroughIt) {
  link(sync + "/tolvane.log", GetLogFileName());
  AppendLogLine(QStringLiteral("a line"));
  EXPECT_EQ(readFile(sync + "/tolvane.log"), "a line\r\n");
  EXPECT_TRUE(PurgeLog(GetLogFileName(), true, TDateTime()));
  EXPECT_TRUE(isLinkTo(GetLogFileName(), sync + "/tolvane.log"));
  EXPECT_EQ(readFile(sync + "/tolvane.log"), "");
}
