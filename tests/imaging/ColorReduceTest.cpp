#include "imaging/ColorReduce.h"
#include "imaging/BmpFile.h"
#include "imaging/MedianCut.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A 24-bit picture of one row per call of `colour`, `repeat` pixels each.
Dib picture(
    int count, const std::function<TColor(int)> &colour,
    const std::function<int(int)> &repeat = [](int) { return 1; }) {
  std::vector<TColor> pixels;
  for (int i = 0; i < count; ++i)
    for (int k = repeat(i); k > 0; --k)
      pixels.push_back(colour(i));
  // Rows as wide as possible that hold every pixel exactly once.
  const int n = static_cast<int>(pixels.size());
  int width = std::min(n, 4096);
  while (n % width != 0)
    --width;
  Dib dib(width, n / width, 24);
  for (int i = 0; i < n; ++i)
    dib.setPixel(i % width, i / width, pixels[static_cast<std::size_t>(i)]);
  return dib;
}

uint32_t u32At(const QByteArray &b, int offset) {
  const auto *p = reinterpret_cast<const uint8_t *>(b.constData()) + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

TEST(ColorReduce, HistogramKeepsTheMostFrequentColours) {
  auto colour = [](int i) {
    return RGB(uint8_t(i & 255), uint8_t((i * 37) & 255), uint8_t((i >> 8) * 90 + 10));
  };
  const Dib src = picture(300, colour, [](int i) { return i + 1; });
  const Dib out = ReduceTo8Bits(src, rmHistogram);
  ASSERT_EQ(out.palette().size(), 256);
  for (int k = 0; k < 256; ++k)
    ASSERT_EQ(out.palette().entry(k).toColor(), colour(299 - k)) << k;
  // The 44 rarest map to their nearest kept colour.
  for (int i = 0; i < 44; ++i) {
    int best = 0;
    int bestD = 1 << 30;
    for (int k = 0; k < 256; ++k) {
      const TRgbQuad q = out.palette().entry(k);
      const TColor c = colour(i);
      const int dr = GetRValue(c) - q.red, dg = GetGValue(c) - q.green, db = GetBValue(c) - q.blue;
      if (dr * dr + dg * dg + db * db < bestD) {
        bestD = dr * dr + dg * dg + db * db;
        best = k;
      }
    }
    // Colour i's first pixel sits at i * (i + 1) / 2.
    const int at = i * (i + 1) / 2;
    EXPECT_EQ(out.pixelIndex(at % out.width(), at / out.width()), best) << i;
  }
}

TEST(ColorReduce, HistogramNarrowsBlueThenRedThenGreen) {
  // 3000 colours that differ only in blue's lowest bit collapse after blue is narrowed once:
  // red keeps odd values.
  auto once = [](int i) {
    return RGB(uint8_t(255 - ((i >> 1) % 40)), uint8_t(255 - ((i >> 1) / 40)),
               uint8_t(254 + (i & 1)));
  };
  const Dib a = ReduceTo8Bits(picture(3000, once), rmHistogram);
  bool oddRed = false;
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(a.palette().entry(k).blue, 254);
    oddRed = oddRed || (a.palette().entry(k).red & 1);
  }
  EXPECT_TRUE(oddRed);
  // 4400 colours need two narrowings: blue, then red. Green stays whole.
  auto twice = [](int i) {
    const int k = i >> 2;
    return RGB(uint8_t(100 + 20 * (k / 256) + (i & 1)), uint8_t(k % 256),
               uint8_t(100 + ((i >> 1) & 1)));
  };
  const Dib b = ReduceTo8Bits(picture(4400, twice), rmHistogram);
  bool oddGreen = false;
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(b.palette().entry(k).blue, 100);
    EXPECT_EQ(b.palette().entry(k).red % 2, 0);
    oddGreen = oddGreen || (b.palette().entry(k).green & 1);
  }
  EXPECT_TRUE(oddGreen);
}

TEST(ColorReduce, HistogramFillersAndTies) {
  auto colour = [](int i) { return RGB(uint8_t(200 - i), uint8_t(30 + i), uint8_t(90)); };
  // Colours 3 and 4 have equal counts: the one seen first comes first.
  const Dib out = ReduceTo8Bits(
      picture(10, colour, [](int i) { return i == 3 || i == 4 ? 50 : 1 + i; }), rmHistogram);
  EXPECT_EQ(out.palette().entry(0).toColor(), colour(3));
  EXPECT_EQ(out.palette().entry(1).toColor(), colour(4));
  for (int k = 10; k < 256; ++k)
    EXPECT_EQ(out.palette().entry(k), (TRgbQuad{128, 128, 128, 0}));
  EXPECT_EQ(out.clrImportant, 0u);
}

TEST(ColorReduce, UniformPalettes) {
  Dib src(4, 1, 24);
  src.setPixel(0, 0, clWhite);
  src.setPixel(1, 0, RGB(255, 0, 0));
  src.setPixel(2, 0, RGB(64, 64, 64));
  src.setPixel(3, 0, RGB(0, 0, 255));
  const Dib u666 = ReduceTo8Bits(src, rmUniform666);
  EXPECT_EQ(u666.pixelIndex(0, 0), 215);
  EXPECT_EQ(u666.pixelIndex(1, 0), 180);
  EXPECT_EQ(u666.pixelIndex(3, 0), 5);
  EXPECT_EQ(u666.clrImportant, 216u);
  EXPECT_EQ(u666.palette().entry(180).toColor(), RGB(255, 0, 0));
  EXPECT_EQ(u666.palette().entry(216), (TRgbQuad{128, 128, 128, 128}));
  const Dib u784 = ReduceTo8Bits(src, rmUniform784);
  EXPECT_EQ(u784.pixelIndex(0, 0), 223);
  EXPECT_EQ(u784.pixelIndex(2, 0), 32 * 1 + 4 * 2 + 1);
  EXPECT_EQ(u784.palette().entry(41).toColor(), RGB(43, 73, 85));
  EXPECT_EQ(u784.palette().entry(255), (TRgbQuad{128, 128, 128, 128}));
  EXPECT_EQ(u784.clrImportant, 224u);
  EXPECT_EQ(NearestLevel(7, 64), 1);
  EXPECT_EQ(NearestLevel(8, 18), 0);
  EXPECT_EQ(NearestLevel(4, 128), 2);
  EXPECT_EQ(NearestLevel(6, 255), 5);
}

TEST(ColorReduce, GrayscaleAndChannelCycle) {
  Dib src(3, 2, 24);
  src.setPixel(0, 0, clWhite);
  src.setPixel(1, 0, RGB(255, 0, 0));
  src.setPixel(2, 0, RGB(200, 30, 90));
  src.setPixel(0, 1, RGB(200, 30, 90));
  src.setPixel(1, 1, RGB(200, 30, 90));
  src.setPixel(2, 1, RGB(200, 30, 90));
  const Dib grey = ReduceTo8Bits(src, rmGrayscale);
  EXPECT_EQ(grey.pixelIndex(0, 0), 255);
  EXPECT_EQ(grey.pixelIndex(1, 0), 76);
  EXPECT_EQ(grey.palette().entry(76).toColor(), RGB(76, 76, 76));
  // Row 0 of the count is the bottom row of the picture (y = 1 here).
  const Dib cycle = ReduceTo8Bits(src, rmChannelCycle);
  EXPECT_EQ(cycle.pixelIndex(0, 1), 200 / 4);
  EXPECT_EQ(cycle.pixelIndex(1, 1), 64 + 30 / 4);
  EXPECT_EQ(cycle.pixelIndex(2, 1), 128 + 90 / 4);
  EXPECT_EQ(cycle.pixelIndex(0, 0), 64 + 255 / 4);
  EXPECT_EQ(cycle.pixelIndex(1, 0), 128 + 0);
  EXPECT_EQ(cycle.pixelIndex(2, 0), 200 / 4);
  EXPECT_EQ(cycle.palette().entry(5).toColor(), RGB(20, 0, 0));
  EXPECT_EQ(cycle.palette().entry(64 + 5).toColor(), RGB(0, 20, 0));
  EXPECT_EQ(cycle.palette().entry(128 + 63).toColor(), RGB(0, 0, 252));
  EXPECT_EQ(cycle.palette().entry(200).toColor(), clBlack);
}

TEST(ColorReduce, MedianCut) {
  // Three colour cells; the dark one becomes black.
  Dib src(5, 1, 24);
  src.setPixel(0, 0, RGB(200, 30, 90));
  src.setPixel(1, 0, RGB(200, 30, 90));
  src.setPixel(2, 0, RGB(10, 5, 12));
  src.setPixel(3, 0, RGB(40, 220, 130));
  src.setPixel(4, 0, RGB(40, 220, 130));
  int boxes = 0;
  const Dib out = ReduceByMedianCut(src, boxes);
  EXPECT_EQ(boxes, 3);
  const int dark = out.pixelIndex(2, 0);
  EXPECT_EQ(out.palette().entry(dark).toColor(), clBlack);
  EXPECT_NE(out.pixelIndex(0, 0), out.pixelIndex(3, 0));
  // Entry = (16 * value + 15) div 1 for a single cell.
  EXPECT_EQ(out.palette().entry(out.pixelIndex(0, 0)).toColor(),
            RGB(12 * 16 + 15, 1 * 16 + 15, 5 * 16 + 15));
  EXPECT_EQ(out.palette().entry(255).toColor(), clBlack);
  const QByteArray file = BitmapToDIBStream(src, 8, rmMedianCut);
  EXPECT_EQ(u32At(file, 14 + 36), 3u); // important colours = boxes

  // Odd pixel count 5 = cells of 2, 1, 2 pixels along red: the first part stops at 2 pixels.
  Dib odd(5, 1, 24);
  odd.setPixel(0, 0, RGB(16, 100, 100));
  odd.setPixel(1, 0, RGB(16, 100, 100));
  odd.setPixel(2, 0, RGB(128, 100, 100));
  odd.setPixel(3, 0, RGB(240, 100, 100));
  odd.setPixel(4, 0, RGB(240, 100, 100));
  const Dib split = ReduceByMedianCut(odd, boxes);
  EXPECT_EQ(boxes, 3);
  EXPECT_NE(split.pixelIndex(0, 0), split.pixelIndex(2, 0));

  Dib one(1, 1, 24);
  one.setPixel(0, 0, RGB(200, 30, 90));
  EXPECT_EQ(ReduceByMedianCut(one, boxes).pixelIndex(0, 0), 0);
  EXPECT_EQ(boxes, 1);
  const Dib none(7, 0, 24);
  EXPECT_NO_THROW((void)ReduceByMedianCut(none, boxes));
  EXPECT_THROW((void)BitmapToDIBStream(none, 8, rmMedianCut), EInvalidGraphic);
}

TEST(ColorReduce, FileImagesHaveCleanHeaders) {
  Dib src(5, 3, 32);
  src.setBitFields(0x00FF0000, 0x0000FF00, 0x000000FF);
  src.xPelsPerMeter = 2835;
  src.clrImportant = 7;
  src.setPixel(1, 1, RGB(200, 30, 90));
  const QByteArray file = BitmapToDIBStream(src, 8, rmHistogram);
  EXPECT_EQ(file.left(2), QByteArray("BM"));
  EXPECT_EQ(u32At(file, 2), uint32_t(file.size()));
  EXPECT_EQ(u32At(file, 10), 1078u);
  EXPECT_EQ(u32At(file, 14 + 4), 5u);
  EXPECT_EQ(int32_t(u32At(file, 14 + 8)), 3);
  EXPECT_EQ(u32At(file, 14 + 12) >> 16, 8u);      // bit count
  EXPECT_EQ(u32At(file, 14 + 16), 0u);            // no compression
  EXPECT_EQ(u32At(file, 14 + 20), 8u * 3);        // image size
  EXPECT_EQ(int32_t(u32At(file, 14 + 24)), 2835); // resolution kept
  EXPECT_EQ(u32At(file, 14 + 32), 0u);            // used colours
  EXPECT_EQ(u32At(file, 14 + 36), 0u);            // important colours
  EXPECT_EQ(file.size(), 1078 + 24);
  const Dib back = bmpfile::read(file);
  EXPECT_EQ(back.pixel(1, 1), RGB(200, 30, 90));
  EXPECT_EQ(back.pixel(0, 0), clBlack);
  const QByteArray rgb = BitmapToDIBStream(src, 24, rmHistogram);
  EXPECT_EQ(u32At(rgb, 10), 54u);
  EXPECT_EQ(u32At(rgb, 14 + 16), 0u);
  EXPECT_EQ(bmpfile::read(rgb).pixel(1, 1), RGB(200, 30, 90));
}

TEST(ColorReduce, SameFormatAndLowDepthTargets) {
  Dib eight(3, 2, 8);
  eight.setPalette(TPalette({TRgbQuad::fromRgb(200, 30, 90), TRgbQuad::fromRgb(1, 2, 3)}));
  eight.setPixelIndex(1, 1, 1);
  EXPECT_EQ(BitmapToDIBStream(eight, 8, rmHistogram), bmpfile::write(eight));
  const Dib grey = bmpfile::read(BitmapToDIBStream(eight, 8, rmGrayscale));
  EXPECT_EQ(grey.pixelIndex(0, 0), (77 * 200 + 150 * 30 + 29 * 90) / 256);
  EXPECT_EQ(grey.pixelIndex(1, 1), (77 * 1 + 150 * 2 + 29 * 3) / 256);

  Dib src(3, 1, 24);
  src.setPixel(0, 0, RGB(200, 30, 90));
  src.setPixel(1, 0, RGB(90, 30, 200));
  src.setPixel(2, 0, RGB(250, 240, 60));
  const Dib mono = bmpfile::read(ReduceBitmapColors(src, 2));
  EXPECT_EQ(mono.bitCount(), 1);
  EXPECT_EQ(mono.pixel(0, 0), clBlack);
  EXPECT_EQ(mono.pixel(2, 0), clWhite);
  const Dib vga = bmpfile::read(ReduceBitmapColors(src, 16));
  EXPECT_EQ(vga.bitCount(), 4);
  EXPECT_EQ(vga.palette().size(), 16);
  EXPECT_EQ(vga.pixel(0, 0), RGB(128, 0, 128));
  EXPECT_EQ(vga.pixel(1, 0), RGB(128, 0, 128));
  EXPECT_EQ(vga.pixel(2, 0), RGB(255, 255, 0));
  EXPECT_EQ(vga.palette().entry(1).toColor(), RGB(128, 0, 0));
  EXPECT_EQ(bmpfile::read(ReduceBitmapColors(src, 200)).bitCount(), 8);
  EXPECT_EQ(bmpfile::read(ReduceBitmapColors(src, 1000)).bitCount(), 24);
  EXPECT_EQ(BytesPerScanline(9, 4), 8);
  EXPECT_EQ(ColorsOfBitCount(4), 16);
  EXPECT_EQ(ColorsOfBitCount(24), 0);
}

TEST(ColorReduce, UnsupportedTargetsReportAndAbortSilently) {
  std::vector<QString> reports;
  const errors::ScopedInfoReporter reporter([&](const QString &m) { reports.push_back(m); });
  Dib src(3, 1, 24);
  for (int bits : {15, 16, 32})
    EXPECT_THROW((void)BitmapToDIBStream(src, bits, rmHistogram), EAbort);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], QStringLiteral("Function not yet implemented"));
  // A 32-bit picture asked for 32 bits is written as it is.
  Dib wide(2, 2, 32);
  EXPECT_EQ(BitmapToDIBStream(wide, 32, rmHistogram), bmpfile::write(wide));
}
