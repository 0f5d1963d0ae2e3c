#include "imaging/Dib.h"
#include "imaging/BmpFile.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

constexpr TColor Odd = RGB(200, 30, 90);
constexpr TColor Other = RGB(20, 140, 250);

// A small picture with different colours in every corner, at any depth.
Dib corners(int bitCount) {
  Dib d(5, 3, bitCount);
  if (bitCount <= 8) {
    TPalette p({TRgbQuad::fromColor(clBlack), TRgbQuad::fromColor(Odd), TRgbQuad::fromColor(Other),
                TRgbQuad::fromColor(clWhite)});
    if (bitCount > 1)
      p.resize(1 << bitCount, TRgbQuad{128, 128, 128, 128});
    else
      p = TPalette({TRgbQuad::fromColor(Odd), TRgbQuad::fromColor(Other)});
    d.setPalette(p);
  }
  d.fill(bitCount == 1 ? Odd : clBlack);
  d.setPixel(0, 0, Odd);
  d.setPixel(4, 0, Other);
  d.setPixel(0, 2, Other);
  d.setPixel(4, 2, bitCount == 1 ? Other : clWhite);
  return d;
}

} // namespace

TEST(Dib, RowSizeAndLayout) {
  EXPECT_EQ(Dib::rowSize(1, 1), 4);
  EXPECT_EQ(Dib::rowSize(33, 1), 8);
  EXPECT_EQ(Dib::rowSize(7, 4), 4);
  EXPECT_EQ(Dib::rowSize(9, 4), 8);
  EXPECT_EQ(Dib::rowSize(5, 24), 16);
  EXPECT_EQ(Dib::rowSize(3, 16), 8);
  Dib d(5, 3, 24);
  EXPECT_EQ(d.stride(), 16);
  EXPECT_EQ(d.sizeImage(), 48);
  d.setPixel(1, 0, Odd);
  // B, G, R at byte 3 of the top row; the top row is the last one a BMP file stores.
  EXPECT_EQ(d.row(0)[3], 90);
  EXPECT_EQ(d.row(0)[5], 200);
  EXPECT_EQ(d.bottomUpRow(2), d.row(0));
  EXPECT_EQ(d.bottomUpRow(0), d.row(2));
}

TEST(Dib, PixelsAtEveryDepthKeepTheirColours) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    const Dib d = corners(bits);
    // 16-bit 5-5-5 keeps the top five bits of each channel.
    auto q = [bits](TColor c) {
      if (bits != 16)
        return c;
      return RGB(GetRValue(c) >> 3 << 3, GetGValue(c) >> 3 << 3, GetBValue(c) >> 3 << 3);
    };
    auto near = [](TColor a, TColor b) {
      return std::abs(GetRValue(a) - GetRValue(b)) <= 8 &&
             std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
             std::abs(GetBValue(a) - GetBValue(b)) <= 8;
    };
    EXPECT_TRUE(near(d.pixel(0, 0), q(Odd)));
    EXPECT_TRUE(near(d.pixel(4, 0), q(Other)));
    EXPECT_TRUE(near(d.pixel(0, 2), q(Other)));
    EXPECT_EQ(d.pixel(5, 0), clNone);
    const QImage img = d.toQImage();
    EXPECT_TRUE(near(QRgbToColor(img.pixel(0, 0)), q(Odd)));
    EXPECT_TRUE(near(QRgbToColor(img.pixel(4, 0)), q(Other)));
  }
}

TEST(Dib, PackedIndexesAreMostSignificantFirst) {
  Dib d(9, 1, 4);
  d.setPixelIndex(0, 0, 0xA);
  d.setPixelIndex(1, 0, 0x3);
  d.setPixelIndex(8, 0, 0xF);
  EXPECT_EQ(d.row(0)[0], 0xA3);
  EXPECT_EQ(d.row(0)[4], 0xF0);
  Dib m(10, 1, 1);
  m.setPixelIndex(0, 0, 1);
  m.setPixelIndex(9, 0, 1);
  EXPECT_EQ(m.row(0)[0], 0x80);
  EXPECT_EQ(m.row(0)[1], 0x40);
  EXPECT_EQ(m.pixelIndex(9, 0), 1);
  EXPECT_EQ(m.pixelIndex(8, 0), 0);
}

TEST(Dib, BitFieldsAndAlpha) {
  Dib d(2, 1, 16);
  d.setBitFields(0xF800, 0x07E0, 0x001F);
  d.setPixel(0, 0, RGB(255, 0, 0));
  EXPECT_EQ(d.row(0)[0], 0x00);
  EXPECT_EQ(d.row(0)[1], 0xF8);
  d.setPixel(1, 0, RGB(0, 255, 0));
  EXPECT_EQ(d.pixel(1, 0), RGB(0, 252, 0));
  Dib a(1, 1, 32);
  a.row(0)[0] = 90;
  a.row(0)[1] = 30;
  a.row(0)[2] = 200;
  a.row(0)[3] = 77;
  EXPECT_EQ(a.alpha(0, 0), 77);
  EXPECT_EQ(a.toQImage(true).pixel(0, 0), qRgba(200, 30, 90, 77));
  EXPECT_EQ(a.toQImage().pixel(0, 0), qRgb(200, 30, 90));
  const Dib back = Dib::fromQImage(a.toQImage(true));
  EXPECT_EQ(back.row(0)[0], 90);
  EXPECT_EQ(back.row(0)[3], 77);
}

TEST(Dib, ConversionsKeepColours) {
  const Dib d = corners(8);
  const Dib t = d.convertedTo(24);
  EXPECT_EQ(t.pixel(0, 0), Odd);
  EXPECT_EQ(t.pixel(4, 2), clWhite);
  const Dib back = t.convertedTo(8, &d.palette());
  EXPECT_EQ(back.pixelIndex(0, 0), 1);
  EXPECT_EQ(back.pixelIndex(4, 0), 2);
  EXPECT_EQ(back.pixel(4, 2), clWhite);
}

TEST(Dib, RefusesImpossibleSizes) {
  EXPECT_THROW(Dib(-1, 1, 24), EInvalidGraphic);
  EXPECT_THROW(Dib(1, 1, 7), EInvalidGraphic);
  EXPECT_THROW(Dib(Dib::MaxDimension + 1, 1, 1), EInvalidGraphic);
  EXPECT_THROW(Dib(20000, 20000, 1), EInvalidGraphic);
  EXPECT_TRUE(Dib(0, 5, 8).empty());
}

TEST(BmpFile, EveryDepthRoundTripsByteForByte) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    Dib d = corners(bits);
    d.xPelsPerMeter = 3780;
    d.yPelsPerMeter = 2835;
    const QByteArray file = bmpfile::write(d);
    const Dib read = bmpfile::read(file);
    EXPECT_EQ(read, d);
    EXPECT_EQ(bmpfile::write(read), file);
    // Qt reads our files as the same picture.
    const QImage q = QImage::fromData(file, "BMP");
    ASSERT_FALSE(q.isNull());
    EXPECT_EQ(q.pixel(0, 0) & 0xFFFFFF, d.toQImage().pixel(0, 0) & 0xFFFFFF);
    EXPECT_EQ(q.pixel(4, 2) & 0xFFFFFF, d.toQImage().pixel(4, 2) & 0xFFFFFF);
  }
}

TEST(BmpFile, HeaderLayoutOfA24BitFile) {
  Dib d(1, 2, 24);
  d.setPixel(0, 0, Odd);   // top
  d.setPixel(0, 1, Other); // bottom
  const QByteArray f = bmpfile::write(d);
  ASSERT_EQ(f.size(), 14 + 40 + 8);
  EXPECT_EQ(f.left(2), QByteArray("BM"));
  EXPECT_EQ(quint8(f[2]), 62);      // file size
  EXPECT_EQ(quint8(f[10]), 54);     // pixel offset
  EXPECT_EQ(quint8(f[14]), 40);     // header size
  EXPECT_EQ(quint8(f[14 + 20]), 8); // image size
  EXPECT_EQ(quint8(f[54]), 250);    // bottom row first, blue first
  EXPECT_EQ(quint8(f[56]), 20);
  EXPECT_EQ(quint8(f[58]), 90); // then the top row
  EXPECT_EQ(quint8(f[60]), 200);
}

TEST(BmpFile, ShortTablesReservedBytesAndTopDownRows) {
  Dib d(2, 2, 8);
  d.setPalette(TPalette({TRgbQuad{1, 2, 3, 128}, TRgbQuad::fromColor(Odd)}));
  d.clrUsed = 2;
  d.clrImportant = 2;
  d.setPixelIndex(1, 0, 1);
  const QByteArray f = bmpfile::write(d);
  EXPECT_EQ(f.size(), 14 + 40 + 8 + 8);
  const Dib r = bmpfile::read(f);
  EXPECT_EQ(r.palette().entry(0).reserved, 128);
  EXPECT_EQ(r.pixel(1, 0), Odd);
  EXPECT_EQ(bmpfile::write(r), f);

  // The same picture stored top-down (negative height).
  QByteArray td = f;
  td[14 + 8] = char(0xFE);
  td[14 + 9] = td[14 + 10] = td[14 + 11] = char(0xFF);
  const Dib t = bmpfile::read(td);
  EXPECT_EQ(t.pixel(1, 1), Odd);
  EXPECT_EQ(t.pixel(1, 0), RGB(3, 2, 1));
}

TEST(BmpFile, BadFilesGiveTheFormatsError) {
  const QByteArray good = bmpfile::write(corners(24));
  auto expectInvalid = [](const QByteArray &bytes) {
    try {
      (void)bmpfile::read(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic &e) {
      EXPECT_EQ(e.message(), QStringLiteral("Bitmap image is not valid"));
    }
  };
  expectInvalid(QByteArray());
  expectInvalid(good.left(20));
  expectInvalid(good.left(good.size() - 1)); // pixels cut short
  QByteArray wide = good;
  wide[18] = wide[19] = wide[20] = char(0xFF);
  wide[21] = 0x7F;
  expectInvalid(wide);
  QByteArray notBm = good;
  notBm[0] = 'X';
  expectInvalid(notBm);
  QByteArray header = good;
  header[14] = 41; // an unknown header size
  expectInvalid(header);
  QByteArray table = bmpfile::write(corners(8));
  table[14 + 32] = char(0x01);
  table[14 + 33] = char(0x01); // 257 colours used
  expectInvalid(table);
}

TEST(BmpFile, RunLengthFilesGoThroughQt) {
  // A 4 x 2 RLE8 picture: index 1 everywhere.
  QByteArray rle;
  rle.append("\x04\x01\x00\x00\x04\x01\x00\x01", 8);
  Dib pal(1, 1, 8);
  TPalette p({TRgbQuad{}, TRgbQuad::fromColor(Odd)});
  QByteArray f("BM");
  auto u32 = [&f](quint32 v) {
    for (int i = 0; i < 4; ++i)
      f.append(char((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&f](quint16 v) { f.append(char(v & 0xFF)).append(char(v >> 8)); };
  u32(14 + 40 + 8 + rle.size());
  u32(0);
  u32(14 + 40 + 8);
  u32(40);
  u32(4);
  u32(2);
  u16(1);
  u16(8);
  u32(1); // BI_RLE8
  u32(quint32(rle.size()));
  u32(0);
  u32(0);
  u32(2);
  u32(0);
  f.append("\0\0\0\0", 4);
  f.append(char(90)).append(char(30)).append(char(200)).append('\0');
  f.append(rle);
  const Dib d = bmpfile::read(f);
  EXPECT_EQ(d.width(), 4);
  EXPECT_EQ(d.height(), 2);
  EXPECT_EQ(d.pixel(3, 1), Odd);
}
