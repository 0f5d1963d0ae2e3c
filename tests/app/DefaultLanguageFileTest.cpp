#include "model/LanguageTable.h"
#include "platform/MemIniFile.h"
#include "tests/support/Sandbox.h"

#include <QFileInfo>

#include <gtest/gtest.h>

// The options page takes a language file only when it holds a section the program knows: a
// window that gets a section of its own must be known there too, or a file translating only that
// window would be refused.
TEST(DefaultLanguageFile, EachOfItsSectionsAloneMakesALanguageFile) {
  const QString built =
      QFileInfo(QStringLiteral(TOLVANE_PROGRAM)).absolutePath() + "/tolvane_default.lng";
  TMMemIniFile defaults;
  ASSERT_TRUE(defaults.loadFromFile(built)) << built.toStdString();
  const QStringList sections = defaults.readSections();
  ASSERT_GE(sections.size(), 10);
  const QString file = sandbox::makeTempDir(QStringLiteral("lng")) + "/one.lng";
  for (const QString &section : sections) {
    TMMemIniFile one;
    one.writeString(section, QStringLiteral("Key"), QStringLiteral("Value"));
    one.saveToFile(file);
    EXPECT_TRUE(IsLanguageFile(file)) << section.toStdString();
  }
  TMMemIniFile other;
  other.writeString(QStringLiteral("Desktop Entry"), QStringLiteral("Name"), QStringLiteral("x"));
  other.saveToFile(file);
  EXPECT_FALSE(IsLanguageFile(file));
}
