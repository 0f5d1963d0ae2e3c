#include "model/LanguageTable.h"
#include "model/MessageFormat.h"
#include "platform/Errors.h"
#include "platform/MemIniFile.h"
#include "tests/model/StoreTestUtil.h"

#include <gtest/gtest.h>

using namespace storetest;

namespace {

QString lngFile(const QByteArray &bytes) { return fileWith(bytes, QStringLiteral("de.lng")); }

} // namespace

TEST(LanguageTable, WithoutATableMessagesStayAsTheyAre) {
  ASSERT_EQ(LanguageTable(), nullptr);
  EXPECT_EQ(TranslateText(QStringLiteral("a/b")), QStringLiteral("a/b"));
  LoadLanguageFile(lngFile("[Messages]\r\na/b=x\r\n")); // no table: nothing happens
  EXPECT_EQ(TranslateText(QStringLiteral("a/b")), QStringLiteral("a/b"));
}

TEST(LanguageTable, TranslatesByKeyIgnoringCaseAndTurnsSlashesIntoLineBreaks) {
  ScopedLanguageTable table;
  EXPECT_EQ(TranslateText(QStringLiteral("Done!")), QStringLiteral("Done!"));
  EXPECT_EQ(TranslateText(QStringLiteral("a/b")), QStringLiteral("a\r\nb"));
  EXPECT_EQ(TranslateText(QString()), QString());
  EXPECT_EQ(TranslateText(QStringLiteral(" \t ")), QStringLiteral(" \t "));

  LoadLanguageFile(lngFile("[Form]\r\nDelete?=not this one\r\n[Messages]\r\n"
                           "Delete? = L\xC3\xB6schen?\r\nfirst/second=Erste/Zweite\r\n"
                           "Done!=\r\nno equals sign\r\nDelete?=second line\r\n"));
  EXPECT_EQ(TranslateText(QStringLiteral("delete?")), QStringLiteral("Löschen?"));
  EXPECT_EQ(TranslateText(QStringLiteral("first\r\nsecond")), QStringLiteral("Erste\r\nZweite"));
  // An empty translation counts as none.
  EXPECT_EQ(TranslateText(QStringLiteral("Done!")), QStringLiteral("Done!"));
}

TEST(LanguageTable, ReadsWindows1252FilesAndKeepsTheTableWhenAFileIsMissing) {
  ScopedLanguageTable table;
  LoadLanguageFile(lngFile("[Messages]\r\nDelete?=L\xF6schen?\r\n"));
  EXPECT_EQ(TranslateText(QStringLiteral("Delete?")), QStringLiteral("Löschen?"));
  LoadLanguageFile(sandbox::root() + QStringLiteral("/missing.lng"));
  LoadLanguageFile(QString());
  LoadLanguageFile(sandbox::makeTempDir(QStringLiteral("lngdir"))); // a folder: not readable
  EXPECT_EQ(TranslateText(QStringLiteral("Delete?")), QStringLiteral("Löschen?"));
  // A new file replaces the whole table.
  LoadLanguageFile(lngFile("[Messages]\r\nDone!=Fertig!\r\n"));
  EXPECT_EQ(TranslateText(QStringLiteral("Delete?")), QStringLiteral("Delete?"));
  EXPECT_EQ(LanguageTable()->Count(), 1);
}

TEST(LanguageTable, DefaultFileGetsEveryMessageOnceAndKeepsTheRest) {
  const QString path = lngFile("[FormMain]\r\nCaption=Hauptfenster\r\n"
                               "[Messages]\r\nDelete?=L\xC3\xB6schen?\r\nOwn key=Eigener\r\n");
  WriteDefaultLanguageFile(path);
  TMMemIniFile ini;
  ASSERT_TRUE(ini.loadFromFile(path));
  EXPECT_EQ(ini.readString(QStringLiteral("FormMain"), QStringLiteral("Caption"), QString()),
            QStringLiteral("Hauptfenster"));
  EXPECT_EQ(ini.readString(QStringLiteral("Messages"), QStringLiteral("Own key"), QString()),
            QStringLiteral("Eigener"));
  EXPECT_EQ(ini.readString(QStringLiteral("Messages"), QStringLiteral("Delete?"), QString()),
            QStringLiteral("Delete?"));
  const QStringList keys = ini.readSection(QStringLiteral("Messages"));
  EXPECT_EQ(keys.count(QStringLiteral("minute")), 1);
  EXPECT_EQ(keys.count(QStringLiteral("at")), 1);
  EXPECT_TRUE(keys.contains(QStringLiteral("Added or updated %d reminders!")));
  EXPECT_TRUE(keys.contains(QStringLiteral("until year end")));
  const auto footer =
      std::find_if(keys.begin(), keys.end(), [](const QString &k) { return k.startsWith(u'/'); });
  ASSERT_NE(footer, keys.end());
  EXPECT_TRUE(footer->startsWith(QStringLiteral("//") + QString(23, u'-') +
                                 QStringLiteral("/How to use:/")));
  EXPECT_FALSE(footer->contains(u'\r'));
  // Keys stand in the order of the list after the file's own.
  EXPECT_EQ(keys.mid(0, 4), (QStringList{"Delete?", "Own key", "Invalid name!", "New"}));

  // The footer comes back whole through the translation of its own default entry.
  ScopedLanguageTable table;
  LoadLanguageFile(path);
  EXPECT_EQ(TranslateText(MailFooterText()), MailFooterText());

  const QString missing = sandbox::root() + QStringLiteral("/none.lng");
  WriteDefaultLanguageFile(missing);
  EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST(MessageFormat, FormatsTheToolkitSpecifiers) {
  EXPECT_EQ(FormatMessage(QStringLiteral("Added or updated %d reminders!"), {3}),
            QStringLiteral("Added or updated 3 reminders!"));
  EXPECT_EQ(FormatMessage(QStringLiteral("%d h %d min"), {2, 5}), QStringLiteral("2 h 5 min"));
  EXPECT_EQ(FormatMessage(QStringLiteral("%1:s-%0:s %s 100%%"), {"a", "b"}),
            QStringLiteral("b-a b 100%"));
  EXPECT_EQ(FormatMessage(QStringLiteral("[%5d][%-4s][%.3d][%x][%.2f][%.2s]"),
                          {-42, "ab", 7, 255, 1.005, "xyz"}),
            QStringLiteral("[  -42][ab  ][007][FF][1.00][xy]"));
  EXPECT_THROW((void)FormatMessage(QStringLiteral("%d %d"), {1}), EConvertError);
  EXPECT_THROW((void)FormatMessage(QStringLiteral("%q"), {1}), EConvertError);
}

TEST(MessageFormat, ATranslationWithOtherSpecifiersFallsBackToEnglish) {
  const QString english = QStringLiteral("%d h %d min");
  EXPECT_TRUE(FormatSpecifiersFit(QStringLiteral("%d Std. %d Min."), english));
  EXPECT_TRUE(FormatSpecifiersFit(QStringLiteral("%1:d min, %0:d h"), english));
  EXPECT_TRUE(FormatSpecifiersFit(QStringLiteral("%d Stunden"), english));
  EXPECT_FALSE(FormatSpecifiersFit(QStringLiteral("%s h %d min"), english));
  EXPECT_FALSE(FormatSpecifiersFit(QStringLiteral("%d %d %d"), english));
  EXPECT_FALSE(FormatSpecifiersFit(QStringLiteral("%d %"), english));
  EXPECT_EQ(SafeFormat(QStringLiteral("%s!"), QStringLiteral("Added %d!"), {4}),
            QStringLiteral("Added 4!"));

  ScopedLanguageTable table;
  LoadLanguageFile(lngFile("[Messages]\r\n%d h %d min=%s %s %s\r\n"
                           "Added or updated %d reminders!=%d Erinnerungen\r\n"));
  EXPECT_EQ(TranslateFormat(english, {1, 30}), QStringLiteral("1 h 30 min"));
  EXPECT_EQ(TranslateFormat(QStringLiteral("Added or updated %d reminders!"), {2}),
            QStringLiteral("2 Erinnerungen"));
}
