#include "imaging/Bitmap.h"
#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>

namespace {

// A 2 x 1 32-bit BMP file with the given information header size, compression and masks (red,
// green, blue, alpha; written into the header when it has room, after it for BI_BITFIELDS
// otherwise) and two pixel words.
QByteArray file32(std::uint32_t headerSize, std::uint32_t compression,
                  std::array<std::uint32_t, 4> masks, std::uint32_t left, std::uint32_t right) {
  QByteArray info;
  byteio::putU32(info, headerSize);
  byteio::putI32(info, 2);
  byteio::putI32(info, 1);
  byteio::putU16(info, 1);
  byteio::putU16(info, 32);
  byteio::putU32(info, compression);
  byteio::putU32(info, 8);
  info.append(QByteArray(16, '\0'));
  const int maskCount = headerSize >= 56 || compression == 6 ? 4 : compression == 3 ? 3 : 0;
  for (int i = 0; i < maskCount; ++i)
    byteio::putU32(info, masks[std::size_t(i)]);
  if (info.size() < qsizetype(headerSize))
    info.append(QByteArray(qsizetype(headerSize) - info.size(), '\0'));
  QByteArray file("BM");
  byteio::putU32(file, std::uint32_t(14 + info.size() + 8));
  byteio::putU32(file, 0);
  byteio::putU32(file, std::uint32_t(14 + info.size()));
  file.append(info);
  byteio::putU32(file, left);
  byteio::putU32(file, right);
  return file;
}

constexpr std::array<std::uint32_t, 4> Argb = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

QImage loaded(const QByteArray &file) {
  TBitmap b;
  b.loadFromBytes(file);
  return b.toImage();
}

} // namespace

TEST(BmpAlpha, AV5FileWithAnAlphaMaskShowsItsAlpha) {
  // Fully see-through red, then half see-through blue.
  const QImage image = loaded(file32(124, 3, Argb, 0x00FF0000, 0x800000FF));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  EXPECT_EQ(image.pixel(1, 0), qRgba(0, 0, 255, 128));
  // Drawn, the picture keeps it: what lies below shows through the first pixel.
  TBitmap b;
  b.loadFromBytes(file32(124, 3, Argb, 0x00FF0000, 0x800000FF));
  const QImage shown = b.renderScaled(QSize(2, 1), QRect(0, 0, 2, 1));
  EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
}

TEST(BmpAlpha, TheMaskSaysWhereTheAlphaIs) {
  // A V3 header whose alpha sits in the lowest byte; a 40-byte header with four masks
  // (BI_ALPHABITFIELDS); the alpha mask of a V4 header also counts without bit fields.
  const std::array<std::uint32_t, 4> rgba = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};
  QImage image = loaded(file32(56, 3, rgba, 0x0000FF40, 0xFF0000FF));
  EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 255, 0x40));
  EXPECT_EQ(image.pixel(1, 0), qRgba(255, 0, 0, 255));
  image = loaded(file32(40, 6, Argb, 0x2000FF00, 0xFF000000));
  EXPECT_EQ(image.pixel(0, 0), qRgba(0, 255, 0, 0x20));
  image = loaded(file32(108, 0, Argb, 0x10FFFFFF, 0xFF000000));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0x10);
}

TEST(BmpAlpha, FilesWithoutAnAlphaMaskOrWithNoAlphaAtAllLoadOpaque) {
  // The fourth byte of a plain 32-bit file is no alpha.
  QImage image = loaded(file32(40, 0, {}, 0x10FF0000, 0x000000FF));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
  // Neither are bit fields without an alpha mask, nor a mask over nothing but zeros.
  image = loaded(file32(40, 3, Argb, 0x1000FF00, 0));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
  image = loaded(file32(124, 3, Argb, 0x0000FF00, 0x00FF0000));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
}

TEST(BmpAlpha, AChangedPictureIsWrittenWithItsAlpha) {
  TBitmap b;
  b.loadFromBytes(file32(124, 3, Argb, 0x00FF0000, 0x800000FF));
  b.paint([](QPainter &) {}); // a change: the file is laid out anew
  ASSERT_TRUE(b.originalBytes().isEmpty());
  const QByteArray written = b.saveToBytes();
  EXPECT_EQ(byteio::u32(reinterpret_cast<const std::uint8_t *>(written.constData()) + 14), 108u);
  const QImage image = loaded(written);
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
  EXPECT_EQ(image.pixel(1, 0), qRgba(0, 0, 255, 128));
}
