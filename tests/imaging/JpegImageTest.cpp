#include "imaging/JpegImage.h"
#include "imaging/Bitmap.h"
#include "platform/Errors.h"
#include "tests/imaging/PictureSamples.h"

#include <gtest/gtest.h>

using samples::Odd;
using samples::Other;

namespace {

Dib halves() {
  Dib d(32, 16, 24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      d.setPixel(x, y, x < 16 ? Odd : Other);
  return d;
}

bool near(TColor a, TColor b, int tolerance = 6) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

} // namespace

TEST(JpegImage, CodecKeepsChannelsInPlace) {
  const QByteArray jpeg = TJPEGImage::encode(halves(), 95);
  ASSERT_GT(jpeg.size(), 100);
  EXPECT_EQ(quint8(jpeg[0]), 0xFF);
  EXPECT_EQ(quint8(jpeg[1]), 0xD8);
  const Dib d = TJPEGImage::decode(jpeg);
  EXPECT_EQ(d.width(), 32);
  EXPECT_EQ(d.height(), 16);
  EXPECT_TRUE(near(d.pixel(4, 8), Odd)) << std::hex << d.pixel(4, 8);
  EXPECT_TRUE(near(d.pixel(28, 8), Other)) << std::hex << d.pixel(28, 8);
  // Qt's reader (the same library) sees the same picture.
  const QImage q = QImage::fromData(jpeg, "JPEG");
  if (!q.isNull()) {
    EXPECT_TRUE(near(QRgbToColor(q.pixel(4, 8)), Odd));
  }
}

TEST(JpegImage, WritesBackTheFileItRead) {
  QByteArray jpeg = TJPEGImage::encode(halves(), 80);
  jpeg.append("trailing bytes after the end marker");
  TJPEGImage image;
  int changes = 0;
  image.onChange = [&] { ++changes; };
  image.loadFromBytes(jpeg);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(image.width(), 32);
  EXPECT_EQ(image.saveToBytes(), jpeg);
  EXPECT_EQ(image.clone()->saveToBytes(), jpeg);
  EXPECT_TRUE(near(QRgbToColor(image.toImage().pixel(28, 2)), Other));
}

TEST(JpegImage, ABitmapIsCompressedWhenWritten) {
  TBitmap b(halves());
  TJPEGImage image;
  image.assign(&b);
  EXPECT_FALSE(image.empty());
  const QByteArray written = image.saveToBytes();
  const Dib back = TJPEGImage::decode(written);
  EXPECT_TRUE(near(back.pixel(2, 2), Odd));
  EXPECT_THROW(image.setWidth(4), EInvalidGraphicOperation);
}

TEST(JpegImage, BadDataGivesAJpegErrorAndKeepsThePicture) {
  const QByteArray good = TJPEGImage::encode(halves(), 90);
  TJPEGImage image;
  image.loadFromBytes(good);
  for (const QByteArray &bad :
       {QByteArray(), QByteArray("not a jpeg at all"), good.left(2), good.left(20)}) {
    try {
      image.loadFromBytes(bad);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidGraphic &e) {
      EXPECT_TRUE(e.message().startsWith(QStringLiteral("JPEG error #"))) << e.what();
    }
  }
  EXPECT_EQ(image.saveToBytes(), good);

  // A frame header that claims 60000 x 60000 pixels is refused before decoding.
  QByteArray huge = good;
  const int sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  huge[sof + 5] = char(0xEA);
  huge[sof + 6] = char(0x60);
  huge[sof + 7] = char(0xEA);
  huge[sof + 8] = char(0x60);
  EXPECT_THROW(image.loadFromBytes(huge), EInvalidGraphic);
}

TEST(JpegImage, AFileDeclaringMoreThanAPictureIsShownAtIsDecodedSmaller) {
  // A file of a few hundred bytes whose frame header claims 8000 x 8000 pixels: decoded at half
  // its size, within the shown size, instead of 64 million pixels.
  QByteArray jpeg = TJPEGImage::encode(halves(), 90);
  const int sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  for (int at : {sof + 5, sof + 7}) {
    jpeg[at] = char(8000 >> 8);
    jpeg[at + 1] = char(8000 & 0xFF);
  }
  TJPEGImage image;
  image.loadFromBytes(jpeg);
  EXPECT_EQ(image.width(), 4000);
  EXPECT_EQ(image.height(), 4000);
  EXPECT_LE(qint64(image.pixels().width()) * image.pixels().height(), Dib::MaxShownPixels);
  EXPECT_EQ(image.saveToBytes(), jpeg);
}
