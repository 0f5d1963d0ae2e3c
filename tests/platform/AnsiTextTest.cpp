#include "platform/AnsiText.h"

#include <gtest/gtest.h>

TEST(AnsiText, Windows1252RoundTripsEveryByte) {
  QByteArray all;
  for (int b = 0; b < 256; ++b)
    all.append(static_cast<char>(b));
  const QString text = FromWindows1252(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(text.at(0x80), QChar(0x20AC));
  EXPECT_EQ(text.at(0x9F), QChar(0x0178));
  EXPECT_EQ(text.at(0x81), QChar(0x0081));
  EXPECT_EQ(text.at(0xE9), QChar(0x00E9));
  bool ok = false;
  EXPECT_EQ(ToWindows1252(text, &ok), all);
  EXPECT_TRUE(ok);
}

TEST(AnsiText, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  bool ok = true;
  EXPECT_EQ(ToWindows1252(QString::fromUtf8("a\u0416b"), &ok), QByteArray("a?b"));
  EXPECT_FALSE(ok);
}

TEST(AnsiText, DecodeFileTextPrefersUtf8) {
  EXPECT_EQ(DecodeFileText("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("été"));
  EXPECT_EQ(DecodeFileText("\xE9t\xE9"), QString::fromUtf8("été"));
  EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFx"), "x");
  // A truncated UTF-8 sequence makes the whole text Windows-1252.
  EXPECT_EQ(DecodeFileText("\xC3\xA9\xC3"), QString::fromUtf8("Ã©Ã"));
  EXPECT_EQ(DecodeFileText(QByteArray()), QString());
}
