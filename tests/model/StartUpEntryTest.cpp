#include "model/StartUpEntry.h"

#include "services/VersionInfo.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class StartUpEntry : public ::testing::Test {
protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    const QString dir = sandbox::configDir() + QStringLiteral("/autostart");
    QFile::remove(dir);
    QDir(dir).removeRecursively();
  }
  static QByteArray entryBytes() {
    QFile f(StartUpEntryFileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

} // namespace

TEST_F(StartUpEntry, LivesInTheSandboxedConfigFolder) {
  EXPECT_EQ(StartUpEntryFileName(),
            sandbox::configDir() + QStringLiteral("/autostart/tolvane.desktop"));
}

TEST_F(StartUpEntry, WritesReadsAndRemovesTheEntry) {
  EXPECT_FALSE(GetStartUpEntry());
  ASSERT_TRUE(SetStartUpEntry(true));
  EXPECT_TRUE(GetStartUpEntry());
  const QByteArray bytes = entryBytes();
  EXPECT_TRUE(bytes.startsWith("[Desktop Entry]\nType=Application\nName=Tolvane\nExec="));
  EXPECT_TRUE(bytes.contains("Exec=" + ProgramFileName().toUtf8() + "\n")) << bytes.constData();

  ASSERT_TRUE(SetStartUpEntry(false));
  EXPECT_FALSE(QFileInfo::exists(StartUpEntryFileName()));
  EXPECT_FALSE(GetStartUpEntry());
  EXPECT_TRUE(SetStartUpEntry(false)) << "a missing entry is no error";
}

TEST_F(StartUpEntry, ComparesThePathExactly) {
  ASSERT_TRUE(SetStartUpEntryFor(true, QStringLiteral("/opt/Tolvane/tolvane")));
  EXPECT_TRUE(GetStartUpEntryFor(QStringLiteral("/opt/Tolvane/tolvane")));
  EXPECT_FALSE(GetStartUpEntryFor(QStringLiteral("/opt/tolvane/tolvane")));
  EXPECT_FALSE(GetStartUpEntry());
}

TEST_F(StartUpEntry, PathsWithBlanksAndSpecialCharactersRoundTrip) {
  const QString odd = QStringLiteral("/home/ann/My Apps/50% \"new\" $HOME\\x/tol`vane");
  ASSERT_TRUE(SetStartUpEntryFor(true, odd));
  EXPECT_TRUE(GetStartUpEntryFor(odd));
  EXPECT_TRUE(entryBytes().contains(
      "Exec=\"/home/ann/My Apps/50%% \\\\\"new\\\\\" \\\\$HOME\\\\\\\\x/tol\\\\`vane\"\n"))
      << entryBytes().constData();
  EXPECT_EQ(
      DesktopExecArguments(QStringLiteral("prog --flag \"two words\"")),
      (QStringList{QStringLiteral("prog"), QStringLiteral("--flag"), QStringLiteral("two words")}));
  // "\s" is a blank of the key-file layer: it splits unless quoted.
  EXPECT_EQ(DesktopExecArguments(QStringLiteral("/a\\sb")),
            (QStringList{QStringLiteral("/a"), QStringLiteral("b")}));
  EXPECT_EQ(DesktopExecArguments(QStringLiteral("\"/a\\sb\"")),
            QStringList{QStringLiteral("/a b")});
}

TEST_F(StartUpEntry, UnwritableFolderGivesFalseWithoutRaising) {
  // A regular file where the autostart folder should be.
  QFile blocker(sandbox::configDir() + QStringLiteral("/autostart"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_FALSE(SetStartUpEntry(true));
  EXPECT_FALSE(GetStartUpEntry());
  EXPECT_FALSE(SetStartUpEntry(false));
}
