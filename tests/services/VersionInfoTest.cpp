#include "services/VersionInfo.h"
#include "platform/Version.h"
#include "services/TextHelpers.h"
#include "tests/support/Sandbox.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(VersionInfo, VersionText) {
  const QString text = GetVersionText();
  EXPECT_TRUE(
      QRegularExpression("^Version: \\d+\\.\\d+\\.\\d+\\.\\d+ \\([^)]+\\)$").match(text).hasMatch())
      << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromLatin1(version::Text)));
  EXPECT_TRUE(text.endsWith("(" + QString::fromLatin1(version::InternalName) + ")"));
}

TEST(VersionInfo, FileVersionStringsOfTheProgram) {
  QStringList list{"old"};
  GetFileVersionStrings(ProgramFileName(), list, true, "=");
  const QString v = QString::fromLatin1(version::Text);
  const QString internal = QString::fromLatin1(version::InternalName);
  EXPECT_EQ(list,
            QStringList({"Description=Tolvane reminder", "Version=" + v, "Internal=" + internal,
                         "Filename=tolvane", "Product=Tolvane", "ProductVersion=" + v}));
  GetFileVersionStrings(ProgramFileName(), list, true, ": ");
  EXPECT_EQ(list.at(1), "Version: " + v);
  GetFileVersionStrings(ProgramFileName(), list, false, "=");
  EXPECT_EQ(list.at(1), v);
  EXPECT_EQ(list.at(2), internal);
}

TEST(VersionInfo, OtherFilesHaveNoVersionStrings) {
  const QString other = sandbox::makeTempDir("ver") + "/other";
  QFile f(other);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  QStringList list{"old"};
  GetFileVersionStrings(other, list, true, "=");
  EXPECT_TRUE(list.isEmpty());
  list = {"old"};
  GetFileVersionStrings(QString(), list, true, "=");
  EXPECT_TRUE(list.isEmpty());
}

TEST(TextHelpers, FlattenLineBreaks) {
  EXPECT_EQ(FlattenLineBreaks("a\r\nb"), "a  b");
  EXPECT_EQ(FlattenLineBreaks("a\tb\vc\n"), "a\tb c ");
  EXPECT_EQ(FlattenLineBreaks(""), "");
}
