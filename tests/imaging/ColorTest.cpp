#include "imaging/Color.h"
#include "imaging/Palette.h"
#include "platform/Errors.h"

#include <QPalette>

#include <gtest/gtest.h>

// (200, 30, 90) has three different channels, so any red/blue swap shows.
constexpr TColor Odd = RGB(200, 30, 90);

TEST(Color, ChannelOrderIsBlueGreenRedFromTheTop) {
  EXPECT_EQ(Odd, 0x005A1EC8u);
  EXPECT_EQ(GetRValue(Odd), 200);
  EXPECT_EQ(GetGValue(Odd), 30);
  EXPECT_EQ(GetBValue(Odd), 90);
  EXPECT_EQ(ColorToQRgb(Odd), qRgb(200, 30, 90));
  EXPECT_EQ(QRgbToColor(qRgb(200, 30, 90)), Odd);
  const TRgbQuad q = TRgbQuad::fromColor(Odd);
  EXPECT_EQ(q.blue, 90);
  EXPECT_EQ(q.red, 200);
  EXPECT_EQ(q.toColor(), Odd);
  EXPECT_EQ(TRgbQuad::fromQRgb(qRgb(200, 30, 90)), q);
  EXPECT_EQ(PaletteColor(Odd), 0x025A1EC8u);
}

TEST(Color, SystemColorsResolveThroughTheTable) {
  systemcolors::resetToDefaults();
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(255, 255, 225));
  // Any value with the top bit set is a system colour (older files wrote 0x80000000 | index).
  EXPECT_EQ(ColorToRGB(0x80000018u), RGB(255, 255, 225));
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(clDefault), clDefault);
  EXPECT_EQ(ColorToRGB(PaletteColor(Odd)), Odd);

  QPalette p;
  p.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(10, 20, 250));
  p.setColor(QPalette::Active, QPalette::Base, QColor(1, 2, 3));
  systemcolors::loadFromPalette(p);
  EXPECT_EQ(ColorToRGB(clInfoBk), RGB(10, 20, 250));
  EXPECT_EQ(ColorToQRgb(clWindow), qRgb(1, 2, 3));
  systemcolors::resetToDefaults();
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
}

TEST(Color, NamesAndHexTexts) {
  EXPECT_EQ(ColorToString(clInfoBk), QStringLiteral("clInfoBk"));
  EXPECT_EQ(ColorToString(clBlack), QStringLiteral("clBlack"));
  EXPECT_EQ(ColorToString(clNone), QStringLiteral("clNone"));
  EXPECT_EQ(ColorToString(Odd), QStringLiteral("$005A1EC8"));
  EXPECT_EQ(ColorToString(0xFF00001Fu), QStringLiteral("$FF00001F"));

  EXPECT_EQ(StringToColor(QStringLiteral("clInfoBk")), clInfoBk);
  EXPECT_EQ(StringToColor(QStringLiteral("CLINFOBK")), clInfoBk);
  EXPECT_EQ(StringToColor(QStringLiteral("$005A1EC8")), Odd);
  EXPECT_EQ(StringToColor(QStringLiteral("$5a1ec8")), Odd);
  EXPECT_EQ(StringToColor(QStringLiteral("0x5A1EC8")), Odd);
  EXPECT_EQ(StringToColor(QStringLiteral("5906120")), Odd);
  EXPECT_EQ(StringToColor(QStringLiteral("-16777211")), clWindow);
  EXPECT_EQ(StringToColor(QStringLiteral("$FF000005")), clWindow);
  for (const QString &bad :
       {QStringLiteral("clFoo"), QStringLiteral(""), QStringLiteral("$"), QStringLiteral("$-5"),
        QStringLiteral("$1FFFFFFFF"), QStringLiteral("12abc")}) {
    EXPECT_FALSE(TryStringToColor(bad).has_value()) << bad.toStdString();
  }
  try {
    (void)StringToColor(QStringLiteral("clFoo"));
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("'clFoo' is not a valid integer value"));
  }
  // Every name reads back as itself.
  for (TColor c : {clMoneyGreen, clSkyBlue, clCream, clMedGray, clBtnFace, cl3DDkShadow, clDefault,
                   clMenuBar, clGradientInactiveCaption})
    EXPECT_EQ(StringToColor(ColorToString(c)), c);
}

TEST(Palette, NearestAndExactLookups) {
  TPalette p({TRgbQuad::fromRgb(0, 0, 0), TRgbQuad::fromRgb(200, 30, 90),
              TRgbQuad::fromRgb(90, 30, 200), TRgbQuad::fromRgb(200, 30, 90)});
  EXPECT_EQ(p.indexOf(Odd), 1);
  EXPECT_EQ(p.indexOf(RGB(90, 30, 200)), 2);
  EXPECT_EQ(p.indexOf(RGB(1, 1, 1)), -1);
  EXPECT_EQ(p.nearestIndex(RGB(190, 40, 80)), 1);
  EXPECT_EQ(p.nearestIndex(RGB(80, 40, 190)), 2);
  EXPECT_EQ(TPalette().nearestIndex(Odd), -1);
  EXPECT_EQ(p.entry(7), TRgbQuad{});
  EXPECT_EQ(p.toQRgbList().at(1), qRgb(200, 30, 90));
  TPalette big(std::vector<TRgbQuad>(300));
  EXPECT_EQ(big.size(), 256);
  EXPECT_EQ(TPalette::greyRamp(4).entry(15), (TRgbQuad{255, 255, 255, 0}));
}
