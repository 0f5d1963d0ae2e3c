#include "model/SettingsCipher.h"
#include "platform/MemIniFile.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray enciphered(const QByteArray &plain) {
  QByteArray data = plain;
  EncipherStream(data, SettingsCipherKey);
  return data;
}

} // namespace

TEST(SettingsCipher, KnownAnswers) {
  EXPECT_EQ(enciphered(""), QByteArray());
  EXPECT_EQ(enciphered(QByteArray(1, '\0')).toHex(), "4c");
  EXPECT_EQ(enciphered("A").toHex(), "0d");
  EXPECT_EQ(enciphered("abc").toHex(), "2d14e2");
  EXPECT_EQ(enciphered(QByteArray(8, '\0')).toHex(), "4cd6812cb7014c76");
  QByteArray counting;
  for (int i = 0; i < 16; ++i)
    counting.append(static_cast<char>(i));
  EXPECT_EQ(enciphered(counting).toHex(), "4cd723aff387cb504ac5dd69e1758d02");
  EXPECT_EQ(enciphered("[Main]\r\n").toHex(), "17fb000598bca69c");
  EXPECT_EQ(enciphered("[Main]\r\nNotStopped=1\r\n\r\n").toHex(),
            "17fb000598bca69c2f8422327f1990dbd365f6876ce69ae8");
}

TEST(SettingsCipher, OneChangedByteChangesItAndEveryLaterByte) {
  const QByteArray a = enciphered("[Main]\r\nNotStopped=1\r\n");
  const QByteArray b = enciphered("[Mbin]\r\nNotStopped=1\r\n");
  EXPECT_EQ(a.toHex(), "17fb000598bca69c2f8422327f1990dbd365f6876ce6");
  EXPECT_EQ(b.toHex(), "17fb0325d8dc21dc2fc343521859705bf3255687cd41");
  EXPECT_EQ(a.left(2), b.left(2));
}

TEST(SettingsCipher, DecipherInvertsEncipherForRandomData) {
  QRandomGenerator rng(12345);
  for (int round = 0; round < 50; ++round) {
    QByteArray plain(static_cast<qsizetype>(rng.bounded(0, 2000)), '\0');
    for (char &c : plain)
      c = static_cast<char>(rng.bounded(256));
    const quint16 key = static_cast<quint16>(rng.bounded(65536));
    QByteArray data = plain;
    EncipherStream(data, key);
    EXPECT_EQ(data.size(), plain.size());
    QByteArray again = plain;
    EncipherStream(again, key);
    EXPECT_EQ(again, data);
    DecipherStream(data, key);
    ASSERT_EQ(data, plain);
  }
}

TEST(SettingsCipher, Scramble) {
  EXPECT_EQ(ScrambleText("abc"), "beg");
  EXPECT_EQ(ScrambleText("Password1").toLatin1().toHex(), "516477797e787c703e");
  EXPECT_EQ(ScrambleText(""), "");
  EXPECT_EQ(UnscrambleText("beg"), "abc");
  // Characters beyond Latin-1 survive: the scramble works on their UTF-8 bytes.
  const QString password = QString::fromUtf8("Pässwörd-Überlänge€€ 🔑");
  const QString scrambled = ScrambleText(password);
  for (const QChar c : scrambled)
    EXPECT_LE(c.unicode(), 0xFF);
  EXPECT_EQ(UnscrambleText(scrambled), password);

  QRandomGenerator rng(7);
  QByteArray bytes(300, '\0');
  for (char &c : bytes)
    c = static_cast<char>(rng.bounded(256));
  EXPECT_EQ(UnscrambleBytes(ScrambleBytes(bytes)), bytes);
}

TEST(SettingsCipher, LegacyWindows1252PasswordsUnscramble) {
  // "Grüße" scrambled as Windows-1252 bytes and read back from an ANSI file.
  const QByteArray legacy = ScrambleBytes("Gr\xFC\xDF"
                                          "e");
  TMMemIniFile ini;
  ini.loadFromBytes("[Mail]\r\nPassword=" + legacy + "\r\n");
  EXPECT_EQ(ReadMailPassword(ini), QString::fromUtf8("Grüße"));
}

TEST(SettingsCipher, OrdinaryPasswordsAreStoredAsBefore) {
  TMMemIniFile ini;
  ini.writeString("Mail", "PasswordHex", "stale");
  WriteMailPassword(ini, "  Password1 ");
  EXPECT_EQ(ini.readString("Mail", "Password", "").toLatin1().toHex(), "516477797e787c703e");
  EXPECT_FALSE(ini.valueExists("Mail", "PasswordHex"));
  EXPECT_EQ(ReadMailPassword(ini), "Password1");
}

TEST(SettingsCipher, PasswordsThatScrambleToControlBytesSurviveTheFile) {
  // Long passwords wrap past 255: "€" late in the first scrambles to a line feed, "ü" late in the
  // second to a control byte at the end, which the reader would trim.
  const QString lineFeed = "pass" + QString(22, 'x') + QString::fromUtf8("€");
  const QString trailing = "pass" + QString(40, 'x') + QString::fromUtf8("ü");
  const QStringList passwords = {QString::fromUtf8("password12🔑"),
                                 QString::fromUtf8("Pässwörd-Überlänge€€"), lineFeed, trailing};
  for (const QString &password : passwords) {
    TMMemIniFile ini;
    ini.writeString("Mail", "Password", "stale");
    WriteMailPassword(ini, password);
    EXPECT_FALSE(ini.valueExists("Mail", "Password"));
    EXPECT_TRUE(ini.valueExists("Mail", "PasswordHex"));
    TMMemIniFile back;
    back.loadFromBytes(ini.toBytes());
    EXPECT_EQ(ReadMailPassword(back), password);
  }
  // Stored plainly, as before, they would come back wrong.
  for (const QString &password : {lineFeed, trailing}) {
    TMMemIniFile plain;
    plain.writeString("Mail", "Password", ScrambleText(password));
    TMMemIniFile back;
    back.loadFromBytes(plain.toBytes());
    EXPECT_NE(ReadMailPassword(back), password);
  }
}
