#include "model/Paths.h"
#include "SettingsSandbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

struct Position {
  int left, top, width, height;
  bool autoSize;
};

class Paths : public SettingsSandbox {};

} // namespace

TEST_F(Paths, PerUserFilesCreateTheFolderWithItsParents) {
  QDir(sandbox::documentsDir()).removeRecursively();
  EXPECT_EQ(GetUserLocalSettingsFileName(), "");
  EXPECT_FALSE(QFileInfo::exists(sandbox::documentsDir()));

  EXPECT_EQ(GetDataFileName(), userDir() + "/data.xml");
  EXPECT_TRUE(QFileInfo(userDir()).isDir());
  EXPECT_EQ(GetUserLocalSettingsFileName(), userDir() + "/control2.dat");
  EXPECT_FALSE(QFileInfo::exists(userDir() + "/control2.dat"));
  EXPECT_EQ(GetUserDataFolder(), sandbox::documentsDir());
}

TEST_F(Paths, TheLocalFolderSwitchMovesTheDataFilesAtOnce) {
  const QString prog = programDir() + "/";
  EXPECT_EQ(GetBackupFileName(), userDir() + "/data_backup.xml");
  EXPECT_EQ(GetLogFileName(), userDir() + "/tolvane.log");
  EXPECT_EQ(GetMainSettingsFileName(), userDir() + "/control1.dat");
  EXPECT_EQ(GetLocalSettingsFileName(), prog + "control2.dat");

  local.writeBool("Main", "UseLocalFolder", true);
  EXPECT_TRUE(UseLocalFolder());
  EXPECT_EQ(GetDataFileName(), prog + "data.xml");
  EXPECT_EQ(GetBackupFileName(), prog + "data_backup.xml");
  EXPECT_EQ(GetLogFileName(), prog + "tolvane.log");
  EXPECT_EQ(GetMainSettingsFileName(), prog + "control1.dat");
  EXPECT_EQ(GetLocalSettingsFileName(), prog + "control2.dat");
  // The named variants do not follow the switch.
  EXPECT_EQ(GetUserDataFileName(), userDir() + "/data.xml");
  EXPECT_EQ(GetUserBackupFileName(), userDir() + "/data_backup.xml");
  EXPECT_EQ(GetUserMainSettingsFileName(), userDir() + "/control1.dat");
  EXPECT_EQ(GetOldSettingsFileName(), userDir() + "/control.ini");
  EXPECT_EQ(GetLocalDataFileName(), prog + "data.xml");
  EXPECT_EQ(GetLocalMainSettingsFileName(), prog + "control1.dat");

  local.writeBool("Main", "UseLocalFolder", false);
  EXPECT_EQ(GetDataFileName(), userDir() + "/data.xml");
}

TEST_F(Paths, ResourcesAndTheLanguageFile) {
  const QString prog = programDir() + "/";
  EXPECT_EQ(GetProgramFolder(), prog);
  EXPECT_EQ(GetDefaultLanguageFileName(), prog + "tolvane_default.lng");
  EXPECT_EQ(GetLanguageFileName(), prog + "tolvane_default.lng");
  main.writeString("Config", "Lng", "/somewhere/deutsch.lng");
  EXPECT_EQ(GetLanguageFileName(), "/somewhere/deutsch.lng");
  EXPECT_EQ(GetHelpFileName(), prog + "tolvane.html");
}

TEST_F(Paths, WithoutTheOverrideTheProgramFolderIsTheExecutables) {
  qunsetenv("TOLVANE_PROGRAM_DIR");
  EXPECT_EQ(GetProgramFolder(), QCoreApplication::applicationDirPath() + "/");
}

TEST_F(Paths, AnInstalledProgramFindsItsFilesUnderShare) {
  const QString prefix = programDir() + "/prefix";
  QDir().mkpath(prefix + "/bin");
  // Without the shared folder (a build tree's "bin"), the executable's folder.
  EXPECT_EQ(ProgramFolderOfExecutableFolder(prefix + "/bin"), prefix + "/bin/");
  QDir().mkpath(prefix + "/share/tolvane");
  EXPECT_EQ(ProgramFolderOfExecutableFolder(prefix + "/bin"), prefix + "/share/tolvane/");
  // Only a folder named bin looks there.
  QDir().mkpath(prefix + "/app");
  EXPECT_EQ(ProgramFolderOfExecutableFolder(prefix + "/app"), prefix + "/app/");
}

TEST_F(Paths, AnUnwritableProgramFolderSendsLocalFilesToTheConfigFolder) {
  writeFile(programDir() + "/file", "a file, not a folder");
  const QString unusable = programDir() + "/file/bin";
  qputenv("TOLVANE_PROGRAM_DIR", QFile::encodeName(unusable));
  const QString config = sandbox::configDir() + "/tolvane/";
  EXPECT_EQ(GetLocalFolder(), config);
  EXPECT_TRUE(QFileInfo(config).isDir());
  EXPECT_EQ(GetLocalSettingsFileName(), config + "control2.dat");
  local.writeBool("Main", "UseLocalFolder", true);
  EXPECT_EQ(GetDataFileName(), config + "data.xml");
  // Read-only resources stay beside the program.
  EXPECT_EQ(GetDefaultLanguageFileName(), unusable + "/tolvane_default.lng");
  EXPECT_EQ(GetHelpFileName(), unusable + "/tolvane.html");
}

TEST_F(Paths, APerUserFolderThatCannotBeCreatedStillGivesThePath) {
  QDir(sandbox::documentsDir()).removeRecursively();
  writeFile(sandbox::documentsDir(), "a file where the documents folder should be");
  EXPECT_EQ(GetDataFileName(), userDir() + "/data.xml");
  EXPECT_EQ(GetUserLocalSettingsFileName(), "");
  EXPECT_FALSE(QFileInfo(userDir()).exists());
}

TEST(PathsText, IsEmptyPosition) {
  EXPECT_TRUE(IsEmptyPosition(Position{0, 0, 0, 0, true}));
  EXPECT_FALSE(IsEmptyPosition(Position{0, 0, 0, 1, false}));
  EXPECT_FALSE(IsEmptyPosition(Position{-1, 0, 0, 0, false}));
}

TEST(PathsText, LineBreakEscaping) {
  EXPECT_EQ(EscapeLineBreaks("a\r\nb\nc"), "a\\nb\\nc");
  EXPECT_EQ(EscapeLineBreaks("a\rb\n\r\n"), "a\\nb\\n\\n");
  EXPECT_EQ(UnescapeLineBreaks("a\\nb\\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(UnescapeLineBreaks(EscapeLineBreaks("x\r\ny")), "x\r\ny");
  // A literal backslash-n in a value comes back as a line break.
  EXPECT_EQ(UnescapeLineBreaks("C:\\notes\\Neu"), "C:\r\notes\r\neu");
}
