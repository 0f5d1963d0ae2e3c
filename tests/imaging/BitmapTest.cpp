#include "imaging/Bitmap.h"
#include "imaging/BmpFile.h"
#include "imaging/JpegImage.h"
#include "platform/Errors.h"
#include "tests/imaging/PictureSamples.h"

#include <QPainter>

#include <gtest/gtest.h>

using samples::Odd;
using samples::Other;

namespace {

Dib picture(int bits) {
  Dib d(6, 4, bits);
  if (bits <= 8)
    d.setPalette(TPalette({TRgbQuad::fromColor(Other), TRgbQuad::fromColor(Odd)}));
  d.fill(Odd);
  d.setPixel(0, 3, Other); // bottom-left
  return d;
}

} // namespace

TEST(Bitmap, WritesBackTheFileItReadEvenInAnUnusualLayout) {
  // A file whose writer left a gap before the pixels and two bytes after them.
  QByteArray file = bmpfile::write(picture(8));
  const int offBits = quint8(file[10]) | (quint8(file[11]) << 8);
  ASSERT_EQ(offBits, 14 + 40 + 1024);
  file.insert(offBits, QByteArray("\x11\x22\x33\x44", 4));
  file[10] = char(offBits + 4);
  file.append("zz");
  TBitmap b;
  int changes = 0;
  b.onChange = [&] { ++changes; };
  b.loadFromBytes(file);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.width(), 6);
  EXPECT_EQ(b.dib().pixel(0, 3), Other);
  EXPECT_EQ(b.saveToBytes(), file);
  EXPECT_EQ(b.clone()->saveToBytes(), file);
  // Once changed, the bitmap writes a standard file of its pixels.
  b.paint([](QPainter &p) { p.fillRect(0, 0, 1, 1, ColorToQRgb(Other)); });
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(b.dib().bitCount(), 8);
  EXPECT_EQ(b.dib().pixelIndex(0, 0), 0);
  EXPECT_EQ(b.saveToBytes(), bmpfile::write(b.dib()));
}

TEST(Bitmap, BadFilesAreRefused) {
  TBitmap b(picture(24));
  const QByteArray before = b.saveToBytes();
  EXPECT_THROW(b.loadFromBytes(QByteArray("BM\0\0", 4)), EInvalidGraphic);
  EXPECT_EQ(b.saveToBytes(), before);
  b.loadFromBytes(QByteArray());
  EXPECT_TRUE(b.empty());
}

TEST(Bitmap, TransparentColourFollowsItsMode) {
  TBitmap b(picture(24));
  EXPECT_EQ(b.transparentMode(), TBitmap::TTransparentMode::tmAuto);
  EXPECT_EQ(b.transparentColor(), Other);
  b.setTransparentColor(Odd);
  EXPECT_EQ(b.transparentMode(), TBitmap::TTransparentMode::tmFixed);
  EXPECT_EQ(b.transparentColor(), Odd);
  b.setTransparentColor(clDefault);
  EXPECT_EQ(b.transparentColor(), Other);
  b.setTransparentMode(TBitmap::TTransparentMode::tmFixed);
  EXPECT_EQ(b.transparentColor(), Other);
  EXPECT_EQ(TBitmap().transparentColor(), clDefault);
}

TEST(Bitmap, DrawsStretchedAndTransparent) {
  TBitmap b(picture(24));
  QImage c(12, 8, QImage::Format_RGB32);
  c.fill(Qt::black);
  {
    QPainter p(&c);
    b.draw(p, QRect(0, 0, 12, 8));
  }
  EXPECT_EQ(c.pixel(0, 7), ColorToQRgb(Other));
  EXPECT_EQ(c.pixel(11, 0), ColorToQRgb(Odd));
  b.setTransparent(true);
  c.fill(Qt::black);
  {
    QPainter p(&c);
    b.draw(p, QRect(0, 0, 12, 8));
  }
  EXPECT_EQ(c.pixel(0, 7), qRgb(0, 0, 0));
  EXPECT_EQ(c.pixel(1, 6), qRgb(0, 0, 0));
  EXPECT_EQ(c.pixel(2, 6), ColorToQRgb(Odd));
}

TEST(Bitmap, FormatsAndSizes) {
  TBitmap b(picture(24));
  EXPECT_EQ(b.pixelFormat(), TBitmap::TPixelFormat::pf24bit);
  EXPECT_EQ(b.palette(), nullptr);
  b.setPixelFormat(TBitmap::TPixelFormat::pf16bit);
  EXPECT_EQ(b.dib().channelMasks()[1], 0x07E0u);
  EXPECT_EQ(b.pixelFormat(), TBitmap::TPixelFormat::pf16bit);
  b.setPixelFormat(TBitmap::TPixelFormat::pf15bit);
  EXPECT_EQ(b.pixelFormat(), TBitmap::TPixelFormat::pf15bit);
  b.setPixelFormat(TBitmap::TPixelFormat::pf32bit);
  EXPECT_EQ(b.dib().bitCount(), 32);
  EXPECT_EQ(b.dib().pixel(5, 0), RGB(200, 24, 88)); // 5-bit channels on the way
  b.setMonochrome(true);
  EXPECT_TRUE(b.monochrome());
  ASSERT_NE(b.palette(), nullptr);
  EXPECT_EQ(b.palette()->size(), 2);

  TBitmap s(picture(8));
  s.setSize(3, 5);
  EXPECT_EQ(s.width(), 3);
  EXPECT_EQ(s.height(), 5);
  EXPECT_EQ(s.dib().pixel(0, 3), Other); // the top-left part stays
  EXPECT_EQ(s.dib().pixelIndex(0, 4), 0);
  EXPECT_EQ(*s.palette(), picture(8).palette());

  TBitmap fresh;
  fresh.setWidth(2);
  fresh.setHeight(2);
  EXPECT_EQ(fresh.dib().bitCount(), 32);
}

TEST(Bitmap, AssignCopiesBitmapsAndTakesJpegPixels) {
  TBitmap a(picture(4));
  a.setTransparent(true);
  a.setTransparentColor(Odd);
  TBitmap b;
  b.assign(&a);
  EXPECT_EQ(b.dib(), a.dib());
  EXPECT_TRUE(b.transparent());
  EXPECT_EQ(b.transparentColor(), Odd);
  b.assign(nullptr);
  EXPECT_TRUE(b.empty());

  TJPEGImage j;
  j.loadFromBytes(TJPEGImage::encode(picture(24), 95));
  b.assign(&j);
  EXPECT_EQ(b.width(), 6);
  EXPECT_EQ(b.dib().bitCount(), 24);
}
