#include "platform/MemIniFile.h"
#include "platform/Errors.h"
#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString &path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

} // namespace

TEST(MemIniFile, ParsesLineEndsTrimmingCommentsAndLinesBeforeTheFirstSection) {
  TMMemIniFile ini;
  ini.loadFromBytes("orphan=1\r\n"
                    "  [Main]  \r\n"
                    "; a comment=yes\n"
                    "\tHost  =  mail.example.org \r"
                    "\r\n"
                    "Port=25\n"
                    "[ Config ]\n"
                    "Empty=\n"
                    "Eq = a=b = c\n");
  EXPECT_EQ(ini.readSections(), QStringList({"Main", "Config"}));
  EXPECT_EQ(ini.readSection("Main"), QStringList({"Host", "Port"}));
  EXPECT_EQ(ini.readString("Main", "Host", "x"), "mail.example.org");
  EXPECT_EQ(ini.readInteger("Main", "Port", 0), 25);
  EXPECT_FALSE(ini.valueExists("Main", "orphan"));
  EXPECT_FALSE(ini.valueExists("Main", "; a comment"));
  // An empty value is a value, not the default.
  EXPECT_TRUE(ini.valueExists("Config", "Empty"));
  EXPECT_EQ(ini.readString("Config", "Empty", "def"), "");
  // Only the first "=" separates.
  EXPECT_EQ(ini.readString("Config", "Eq", ""), "a=b = c");
}

TEST(MemIniFile, WritesSectionsInFirstInsertionOrderWithCrLfAndABlankLineAfterEach) {
  TMMemIniFile ini;
  ini.writeString("Main", "B", "2");
  ini.writeString("Config", "Ver", "v");
  ini.writeString("main", "a", "1");
  ini.writeString("MAIN", "b", "3"); // replaces B, keeps its place and first spelling
  EXPECT_EQ(ini.getStrings(), QStringList({"[Main]", "B=3", "a=1", "", "[Config]", "Ver=v", ""}));
  EXPECT_EQ(ini.toBytes(), QByteArray("[Main]\r\nB=3\r\na=1\r\n\r\n[Config]\r\nVer=v\r\n\r\n"));
  EXPECT_EQ(ini.text(), QString::fromLatin1(ini.toBytes()));
}

TEST(MemIniFile, LookupsIgnoreCaseIncludingNonAsciiLetters) {
  TMMemIniFile ini;
  ini.setText("[Messages]\nDelete?=Löschen?\nÄnderung=Change\n");
  EXPECT_EQ(ini.readString("MESSAGES", "delete?", ""), QString::fromUtf8("Löschen?"));
  EXPECT_EQ(ini.readString("messages", QString::fromUtf8("äNDERUNG"), ""), "Change");
  EXPECT_TRUE(ini.sectionExists("mEsSaGeS"));
}

TEST(MemIniFile, DuplicateKeysAndSections) {
  TMMemIniFile ini;
  ini.setText("[A]\nk=first\nK=second\n[B]\nx=1\n[a]\nz=3\n");
  EXPECT_EQ(ini.readSections(), QStringList({"A", "B"}));
  EXPECT_EQ(ini.readString("A", "k", ""), "first");
  EXPECT_EQ(ini.readString("A", "z", ""), "3");
  ini.writeString("A", "k", "changed");
  EXPECT_EQ(ini.readSectionValues("A"), QStringList({"k=changed", "K=second", "z=3"}));
  ini.deleteKey("a", "K");
  EXPECT_FALSE(ini.valueExists("A", "k"));
  EXPECT_EQ(ini.readSectionValues("A"), QStringList({"z=3"}));
}

TEST(MemIniFile, LinesWithoutEqualsAreKeptButAreNoKeys) {
  TMMemIniFile ini;
  ini.setText("[S]\njust text\nk=v\n");
  EXPECT_EQ(ini.readSection("S"), QStringList({"k"}));
  EXPECT_FALSE(ini.valueExists("S", "just text"));
  EXPECT_EQ(ini.getStrings(), QStringList({"[S]", "just text", "k=v", ""}));
}

TEST(MemIniFile, ALineBreakInAValueCannotForgeKeys) {
  TMMemIniFile ini;
  ini.writeString("Mail", "Subject", "hi\r\n[Main]\r\nStoreFileName=/evil");
  ini.writeString("Sec\nX", "Key\rY", "v");
  TMMemIniFile back;
  back.loadFromBytes(ini.toBytes());
  EXPECT_EQ(back.readSections(), QStringList({"Mail", "Sec X"}));
  EXPECT_EQ(back.readString("Mail", "Subject", ""), "hi  [Main]  StoreFileName=/evil");
  EXPECT_EQ(back.readString("Sec X", "Key Y", ""), "v");
}

TEST(MemIniFile, TrimsOnlyBlanksAndControlCharacters) {
  // U+00A0 and U+0085 are white space to Qt but not to the ini format: values may end in them.
  TMMemIniFile ini;
  const QString value = QString(QChar(0xA0)) + "x" + QChar(0x85);
  ini.writeString("S", "k", value);
  TMMemIniFile back;
  back.loadFromBytes(ini.toBytes());
  EXPECT_EQ(back.readString("S", "k", ""), value);
}

TEST(MemIniFile, IntegersAndBooleans) {
  TMMemIniFile ini;
  ini.setText("[S]\ndec=-42\nhex=$1F\nhex2=0x10\nfull=$FFFFFFFF\nbig=2147483648\n"
              "min=-2147483648\nbad=12a\nblank=\nword=yes\nzero=0\ntwo=2\n");
  EXPECT_EQ(ini.readInteger("S", "dec", 0), -42);
  EXPECT_EQ(ini.readInteger("S", "hex", 0), 31);
  EXPECT_EQ(ini.readInteger("S", "hex2", 0), 16);
  EXPECT_EQ(ini.readInteger("S", "full", 0), -1);
  EXPECT_EQ(ini.readInteger("S", "big", 7), 7);
  EXPECT_EQ(ini.readInteger("S", "min", 0), -2147483647 - 1);
  EXPECT_EQ(ini.readInteger("S", "bad", 7), 7);
  EXPECT_EQ(ini.readInteger("S", "blank", 7), 7);
  EXPECT_EQ(ini.readInteger("S", "missing", 7), 7);
  // Booleans are integers: a word gives the default, any number but 0 is true.
  EXPECT_TRUE(ini.readBool("S", "word", true));
  EXPECT_FALSE(ini.readBool("S", "word", false));
  EXPECT_FALSE(ini.readBool("S", "zero", true));
  EXPECT_TRUE(ini.readBool("S", "two", false));
  ini.writeBool("S", "on", true);
  ini.writeBool("S", "off", false);
  ini.writeInteger("S", "n", -5);
  EXPECT_EQ(ini.readString("S", "on", ""), "1");
  EXPECT_EQ(ini.readString("S", "off", ""), "0");
  EXPECT_EQ(ini.readString("S", "n", ""), "-5");
}

TEST(MemIniFile, FloatsTakeAPointOrAComma) {
  TMMemIniFile ini;
  ini.setText("[S]\ncomma=1,5\npoint=1.5\nexp=-2.5E2\nplus=+3\nempty=\nword=abc\n"
              "two=1.000,5\ninf=inf\nplusminus=+-1\n");
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "comma", 0), 1.5);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "point", 0), 1.5);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "exp", 0), -250.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "plus", 0), 3.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "empty", 9), 9.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "word", 9), 9.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "two", 9), 9.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "inf", 9), 9.0);
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "plusminus", 9), 9.0);
  ini.writeFloat("S", "w", 0.1);
  EXPECT_EQ(ini.readString("S", "w", ""), "0.1");
  EXPECT_DOUBLE_EQ(ini.readFloat("S", "w", 0), 0.1);
}

TEST(MemIniFile, EraseSection) {
  TMMemIniFile ini;
  ini.setText("[A]\na=1\n[B]\nb=2\n[C]\nc=3\n");
  ini.eraseSection("b");
  EXPECT_EQ(ini.readSections(), QStringList({"A", "C"}));
  EXPECT_EQ(ini.readString("C", "c", ""), "3");
  ini.writeString("B", "b", "new");
  EXPECT_EQ(ini.readSections(), QStringList({"A", "C", "B"}));
  ini.clear();
  EXPECT_TRUE(ini.isEmpty());
  EXPECT_TRUE(ini.getStrings().isEmpty());
}

TEST(MemIniFile, ReadsUtf8AndFallsBackToWindows1252) {
  TMMemIniFile utf8;
  utf8.loadFromBytes("\xEF\xBB\xBF[S]\nk=gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\n");
  EXPECT_EQ(utf8.readSections(), QStringList({"S"}));
  EXPECT_EQ(utf8.readString("S", "k", ""), QString::fromUtf8("grüß €"));

  TMMemIniFile ansi;
  ansi.loadFromBytes("[S]\nk=gr\xFC\xDF \x80\n");
  EXPECT_EQ(ansi.readString("S", "k", ""), QString::fromUtf8("grüß €"));
  EXPECT_EQ(ansi.toBytes(), QByteArray("[S]\r\nk=gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\r\n\r\n"));
}

TEST(MemIniFile, FileRoundTripIsAtomicAndKeepsTheMode) {
  const QString dir = sandbox::makeTempDir("ini");
  const QString path = dir + "/a.ini";
  TMMemIniFile ini;
  EXPECT_FALSE(ini.loadFromFile(path));
  ini.writeString("S", "k", "v");
  ini.saveToFile(path, 0600);
  EXPECT_EQ(fileBytes(path), QByteArray("[S]\r\nk=v\r\n\r\n"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  TMMemIniFile back;
  back.writeString("Old", "x", "y");
  EXPECT_TRUE(back.loadFromFile(path));
  EXPECT_FALSE(back.sectionExists("Old"));
  EXPECT_EQ(back.readString("s", "K", ""), "v");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList({"a.ini"}));
}

TEST(MemIniFile, FileErrorsRaiseAndLeaveTheOldFile) {
  const QString dir = sandbox::makeTempDir("inierr");
  writeBytes(dir + "/plain", "not a folder");
  TMMemIniFile ini;
  ini.writeString("S", "k", "v");
  EXPECT_THROW(ini.saveToFile(dir + "/plain/a.ini"), EFileError);
  // A folder where the file should be cannot be read.
  QDir().mkpath(dir + "/folder.ini");
  EXPECT_THROW(ini.loadFromFile(dir + "/folder.ini"), EFileError);
  EXPECT_TRUE(ini.isEmpty());
}
