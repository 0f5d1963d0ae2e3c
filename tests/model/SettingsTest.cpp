#include "SettingsSandbox.h"
#include "model/Paths.h"
#include "model/SettingsCipher.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/VersionInfo.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

class SettingsFiles : public SettingsSandbox {
protected:
  static QByteArray enciphered(const QByteArray &plain) {
    QByteArray data = plain;
    EncipherStream(data, SettingsCipherKey);
    return data;
  }
  static QString deciphered(const QString &path) {
    QByteArray data = readFile(path);
    DecipherStream(data, SettingsCipherKey);
    return QString::fromUtf8(data);
  }
  static mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 0777) : 0;
  }
};

} // namespace

TEST_F(SettingsFiles, MainSettingsRoundTripWithVersionAndPrivateMode) {
  main.writeBool("Main", "NotStopped", false);
  main.writeString("Mail", "Host", QString::fromUtf8("smtp.exämple.org"));
  ASSERT_TRUE(SaveMainSettings());
  const QString file = userDir() + "/control1.dat";
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(deciphered(file), QString::fromUtf8("[Main]\r\nNotStopped=0\r\n\r\n"
                                                "[Mail]\r\nHost=smtp.exämple.org\r\n\r\n"
                                                "[Config]\r\nVer=") +
                                  GetVersionText() + "\r\n\r\n");

  main.clear();
  main.writeString("Stale", "x", "y");
  ASSERT_TRUE(LoadMainSettings());
  EXPECT_FALSE(main.sectionExists("Stale"));
  EXPECT_FALSE(main.readBool("Main", "NotStopped", true));
  EXPECT_EQ(main.readString("mail", "host", ""), QString::fromUtf8("smtp.exämple.org"));
  EXPECT_TRUE(pauses.empty());
}

TEST_F(SettingsFiles, LocalSettingsAreWrittenAsTheCipherSays) {
  local.writeBool("Main", "NotStopped", true);
  ASSERT_TRUE(SaveLocalSettings());
  EXPECT_EQ(readFile(programDir() + "/control2.dat").toHex(),
            "17fb000598bca69c2f8422327f1990dbd365f6876ce69ae8");
  EXPECT_EQ(modeOf(programDir() + "/control2.dat"), 0600u);
}

TEST_F(SettingsFiles, EmptyLocalSettingsWriteNothing) {
  writeFile(programDir() + "/control2.dat", "previous");
  EXPECT_FALSE(SaveLocalSettings());
  EXPECT_EQ(readFile(programDir() + "/control2.dat"), "previous");
}

TEST_F(SettingsFiles, FailedSavesAreNotReportedAsSuccessAndKeepTheOldFile) {
  // The data folder is a regular file: nothing can be written below it.
  writeFile(userDir(), "a file where the folder should be");
  main.writeString("Main", "HideTrayIcon", "1");
  EXPECT_FALSE(SaveMainSettings());
  EXPECT_EQ(readFile(userDir()), "a file where the folder should be");

  // Something that cannot be replaced stands where the file goes.
  QDir().mkpath(programDir() + "/control2.dat/inside");
  local.writeString("Config", "LogClearPeriod", "7");
  EXPECT_FALSE(SaveLocalSettings());
  EXPECT_TRUE(QFileInfo(programDir() + "/control2.dat/inside").isDir());
  EXPECT_EQ(QDir(programDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"control2.dat"}));
}

// A missing file is no reason to wait and try again: a first start has neither file.
TEST_F(SettingsFiles, AMissingFileGivesAnEmptyObjectAtOnce) {
  main.writeString("Old", "k", "v");
  EXPECT_FALSE(LoadMainSettings());
  EXPECT_TRUE(main.isEmpty());
  EXPECT_TRUE(pauses.empty());
  LoadSettingsAtStartUp(testModel.model);
  EXPECT_TRUE(pauses.empty());
  // The readers' defaults then apply.
  EXPECT_TRUE(main.readBool("Main", "NotStopped", true));
  EXPECT_FALSE(main.readBool("Main", "HideTrayIcon", false));
  EXPECT_EQ(main.readInteger("Mail", "Port", 25), 25);
}

TEST_F(SettingsFiles, AnUnreadableFileIsRetriedAndNeverRaises) {
  QDir().mkpath(programDir() + "/control2.dat");
  local.writeString("Old", "k", "v");
  EXPECT_FALSE(LoadLocalSettings());
  EXPECT_TRUE(local.isEmpty());
  EXPECT_EQ(pauses.size(), 2u);
}

TEST_F(SettingsFiles, GarbageAndTruncatedFilesLoadWhatIsUsable) {
  writeFile(programDir() + "/control2.dat", QByteArray("\x01\x02garbage\xff\xfe\x00zz", 14));
  EXPECT_TRUE(LoadLocalSettings());
  EXPECT_TRUE(pauses.empty());

  // Cut inside the second section's key.
  const QByteArray plain = "[Main]\r\nUseLocalFolder=0\r\n\r\n[Config]\r\nLogClearPeriod=9\r\n\r\n";
  writeFile(programDir() + "/control2.dat", enciphered(plain).left(plain.indexOf("Log") + 3));
  EXPECT_TRUE(LoadLocalSettings());
  EXPECT_TRUE(local.valueExists("Main", "UseLocalFolder"));
  EXPECT_TRUE(local.sectionExists("Config"));
  EXPECT_FALSE(local.valueExists("Config", "LogClearPeriod"));
}

// Each damaged file is kept under its own name with the date and time, as the store's conflict
// copies are: a second one renamed over control1.dat.damaged lost the first.
TEST_F(SettingsFiles, EachDamagedMainSettingsFileIsKeptAsideAndTheUserIsTold) {
  ManualClock clock(EncodeDateTime(2024, 3, 5, 10, 0, 0, 0));
  ScopedClock clockScope(clock);
  QStringList notices;
  const errors::ScopedInfoReporter reporter([&notices](const QString &text) { notices << text; });
  const QString file = GetMainSettingsFileName();
  QDir().mkpath(QFileInfo(file).path());
  const QByteArray plain = "[Mail]\r\nHost=smtp.example.org\r\nPort=587\r\n\r\n";
  QByteArray flipped = enciphered(plain);
  flipped[10] = static_cast<char>(flipped[10] ^ 0x04);
  const QByteArray cut = enciphered(plain).left(plain.size() / 2);
  const QString stem = userDir() + "/control1_damaged-20240305-1000";
  const std::pair<QByteArray, QString> cases[] = {
      {flipped, stem + "00.dat"}, {cut, stem + "00-2.dat"}, {flipped, stem + "01.dat"}};
  for (const auto &[damaged, kept] : cases) {
    writeFile(file, damaged);
    main.writeString("Old", "k", "v");
    EXPECT_FALSE(LoadMainSettings());
    EXPECT_TRUE(main.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file));
    if (kept.endsWith("00-2.dat"))
      clock.advanceMs(1000);
  }
  for (const auto &[damaged, kept] : cases)
    EXPECT_EQ(readFile(kept), damaged) << kept.toStdString();
  ASSERT_EQ(notices.size(), 3);
  EXPECT_TRUE(notices[1].contains(cases[1].second)) << notices[1].toStdString();
  EXPECT_TRUE(pauses.empty()); // a file set aside is not tried again

  // Behind a link, the file it leads to is kept beside it, and the link stays for the next save.
  const QString sync = sandbox::makeTempDir("sync");
  writeFile(sync + "/control1.dat", cut);
  ASSERT_TRUE(QFile::link(sync + "/control1.dat", file));
  EXPECT_FALSE(LoadMainSettings());
  EXPECT_EQ(readFile(sync + "/control1_damaged-20240305-100001.dat"), cut);
  main.writeString("Mail", "Port", "25");
  ASSERT_TRUE(SaveMainSettings());
  EXPECT_TRUE(QFileInfo(file).isSymLink());
  EXPECT_TRUE(deciphered(sync + "/control1.dat").contains("Port=25"));

  writeFile(sync + "/control1.dat", enciphered(plain));
  EXPECT_TRUE(LoadMainSettings());
  EXPECT_EQ(main.readInteger("Mail", "Port", 25), 587);
}

TEST_F(SettingsFiles, MainSettingsFollowTheLocalFolderSwitch) {
  local.writeBool("Main", "UseLocalFolder", true);
  main.writeString("Main", "StoreFileName", "/data/x.xml");
  ASSERT_TRUE(SaveMainSettings());
  EXPECT_TRUE(QFileInfo::exists(programDir() + "/control1.dat"));
  EXPECT_FALSE(QFileInfo::exists(userDir() + "/control1.dat"));
  main.clear();
  ASSERT_TRUE(LoadMainSettings());
  EXPECT_EQ(main.readString("Main", "StoreFileName", ""), "/data/x.xml");
}

TEST_F(SettingsFiles, StartUpCopiesAPerUserControl2IntoTheProgramFolder) {
  QDir().mkpath(userDir());
  writeFile(userDir() + "/control2.dat", enciphered("[Config]\r\nLogClearPeriod=12\r\n\r\n"));
  LoadSettingsAtStartUp();
  EXPECT_EQ(readFile(programDir() + "/control2.dat"), readFile(userDir() + "/control2.dat"));
  EXPECT_EQ(local.readString("Config", "LogClearPeriod", "30"), "12");
  EXPECT_TRUE(main.isEmpty());

  // A program-folder file is never overwritten by the per-user one.
  writeFile(userDir() + "/control2.dat", enciphered("[Config]\r\nLogClearPeriod=99\r\n\r\n"));
  LoadSettingsAtStartUp();
  EXPECT_EQ(local.readString("Config", "LogClearPeriod", "30"), "12");
}

TEST_F(SettingsFiles, StartUpImportsALegacyControlIniOnce) {
  QDir().mkpath(userDir());
  main.writeString("Main", "NotStopped", "1");
  ASSERT_TRUE(SaveMainSettings());
  writeFile(userDir() + "/control.ini", "[Main]\r\nHideTrayIcon=1\r\n[Mail]\r\nHost=legacy\r\n");

  LoadSettingsAtStartUp();
  EXPECT_FALSE(QFileInfo::exists(userDir() + "/control.ini"));
  EXPECT_FALSE(QFileInfo::exists(userDir() + "/control.ini.imported"));
  // The legacy content replaced MainSettings and is on disk at once.
  EXPECT_FALSE(main.valueExists("Main", "NotStopped"));
  EXPECT_EQ(main.readString("Mail", "Host", ""), "legacy");
  EXPECT_EQ(main.readString("Config", "Ver", ""), GetVersionText());
  const QString saved = deciphered(userDir() + "/control1.dat");
  EXPECT_TRUE(saved.contains("HideTrayIcon=1\r\n"));
  EXPECT_TRUE(saved.contains("[Config]\r\nVer=" + GetVersionText() + "\r\n"));

  // A later start keeps the user's changes.
  main.writeString("Mail", "Host", "changed");
  ASSERT_TRUE(SaveMainSettings());
  LoadSettingsAtStartUp();
  EXPECT_EQ(main.readString("Mail", "Host", ""), "changed");
}

TEST_F(SettingsFiles, ALegacyFileWhoseImportCannotBeSavedStaysForTheNextStart) {
  // A folder where control1.dat belongs: the imported settings cannot reach the disk, so the
  // legacy file is their only copy and must not go.
  QDir().mkpath(userDir() + "/control1.dat");
  const QByteArray legacy = "[Mail]\r\nHost=legacy\r\n";
  writeFile(userDir() + "/control.ini", legacy);
  LoadSettingsAtStartUp();
  EXPECT_EQ(main.readString("Mail", "Host", ""), "legacy");
  EXPECT_EQ(readFile(userDir() + "/control.ini"), legacy);
}

TEST_F(SettingsFiles, ALegacyFileThatCannotBeParkedIsRemovedInstead) {
  QDir().mkpath(userDir() + "/control.ini.imported/full");
  writeFile(userDir() + "/control.ini", "[Mail]\r\nHost=legacy\r\n");
  LoadSettingsAtStartUp();
  EXPECT_FALSE(QFileInfo::exists(userDir() + "/control.ini"));
  EXPECT_EQ(main.readString("Mail", "Host", ""), "legacy");
}

TEST_F(SettingsFiles, AnUnreadableLegacyFileIsNotImportedAndStays) {
  QDir().mkpath(userDir() + "/control.ini");
  main.writeString("Mail", "Host", "current");
  ASSERT_TRUE(SaveMainSettings());
  LoadSettingsAtStartUp();
  EXPECT_TRUE(QFileInfo(userDir() + "/control.ini").isDir());
  EXPECT_EQ(main.readString("Mail", "Host", ""), "current");
}
