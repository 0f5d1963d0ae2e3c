#include "runtime/StickerFont.h"

#include <QApplication>

#include <gtest/gtest.h>

// A stored font read as the sticker draws it and written back unchanged by the user keeps every
// field, its size clamped; a picked font keeps the colour and the character set, and "Default"
// while the desktop's family is picked.
TEST(StickerFont, ConvertsBothWaysKeepingWhatAQFontCannotHold) {
  struct Case {
    TFontRec stored;
    int32_t savedSize;
  };
  const Case cases[] = {
      {{QStringLiteral("Default"), FontStyleBold, 0x00FF0000, 9, 1}, 9},
      {{QStringLiteral("Mono Test"), FontStyleItalic | FontStyleStrikeout, 0x10, -16, 204}, -16},
      {{QStringLiteral("Default"), FontStyleUnderline, 0, 900, 2}, 500},
      {{QStringLiteral("Default"), 0, 0, INT32_MIN, 0}, -500},
  };
  for (const Case &c : cases) {
    const QFont font = FontFromRec(c.stored);
    const TFontRec back = FontToRec(font, c.stored);
    EXPECT_EQ(back.name, c.stored.name);
    EXPECT_EQ(back.style, c.stored.style);
    EXPECT_EQ(back.color, c.stored.color);
    EXPECT_EQ(back.charset, c.stored.charset);
    EXPECT_EQ(back.size, c.savedSize);
  }

  const TFontRec stored{QStringLiteral("Default"), 0, 0x123456, 9, 204};
  QFont picked = FontFromRec(stored);
  picked.setBold(true);
  picked.setPointSize(14);
  TFontRec rec = FontToRec(picked, stored);
  EXPECT_EQ(rec.name, "Default");
  EXPECT_EQ(rec.style, FontStyleBold);
  EXPECT_EQ(rec.size, 14);
  EXPECT_EQ(rec.charset, 204);
  EXPECT_EQ(rec.color, 0x123456);

  picked.setFamily(QStringLiteral("Other Test"));
  picked.setPixelSize(20);
  rec = FontToRec(picked, stored);
  EXPECT_EQ(rec.name, "Other Test");
  EXPECT_EQ(rec.size, -20);
}
