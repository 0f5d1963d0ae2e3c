#include "imaging/Icon.h"
#include "imaging/IcoFile.h"
#include "platform/Errors.h"
#include "tests/imaging/PictureSamples.h"

#include <QPainter>

#include <gtest/gtest.h>

using samples::Odd;
using samples::Other;

namespace {

QByteArray threeImages() {
  return samples::ico({samples::square(16, 4), samples::square(16, 8), samples::square(32, 4),
                       samples::IcoImage{Dib(), {}, samples::png(48), 32}});
}

void expectInvalid(const QByteArray &bytes) {
  TIcon icon;
  try {
    icon.loadFromBytes(bytes);
    ADD_FAILURE() << "accepted";
  } catch (const EInvalidGraphic &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Invalid Icon or Cursor"));
  }
}

} // namespace

TEST(Icon, KeepsTheBytesItWasLoadedFromAndShowsTheImageNearest32) {
  const QByteArray file = threeImages();
  TIcon icon;
  int changes = 0;
  icon.onChange = [&] { ++changes; };
  icon.loadFromBytes(file);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(icon.empty());
  EXPECT_EQ(icon.width(), 32);
  EXPECT_EQ(icon.height(), 32);
  EXPECT_EQ(icon.bitCount(), 4);
  EXPECT_EQ(icon.saveToBytes(), file);
  EXPECT_EQ(icon.clone()->saveToBytes(), file);
  // Pixels: the mask makes the top-left pixel transparent; left half Odd, right half Other.
  const QImage &img = icon.image();
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_EQ(img.pixel(1, 0), ColorToQRgb(Odd) | 0xFF000000u);
  EXPECT_EQ(img.pixel(31, 31), ColorToQRgb(Other) | 0xFF000000u);
  EXPECT_EQ(img.pixel(3, 31), ColorToQRgb(Odd) | 0xFF000000u);
  // Every image decodes, the PNG one included.
  const auto all = icon.images();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[3].width(), 48);
  EXPECT_EQ(qAlpha(all[3].pixel(0, 0)), 0);
  EXPECT_EQ(all[3].pixel(5, 5), ColorToQRgb(Odd) | 0xFF000000u);
}

TEST(Icon, BitDepthComesFromTheImageHeaderNotTheDirectory) {
  // A cursor frame patched into an icon carries its hot spot where the directory's bit count is.
  samples::IcoImage im = samples::square(32, 8);
  im.directoryBitCount = 17;
  TIcon icon;
  icon.loadFromBytes(samples::ico({im}));
  EXPECT_EQ(icon.bitCount(), 8);
  EXPECT_EQ(icon.image().pixel(20, 4), ColorToQRgb(Other) | 0xFF000000u);
}

TEST(Icon, ThirtyTwoBitImagesUseAlphaOrElseTheMask) {
  samples::IcoImage withAlpha = samples::square(16, 32);
  TIcon a;
  a.loadFromBytes(samples::ico({withAlpha}));
  EXPECT_EQ(qAlpha(a.image().pixel(0, 0)), 0);
  EXPECT_EQ(a.image().pixel(1, 0), ColorToQRgb(Odd) | 0xFF000000u);

  samples::IcoImage noAlpha = samples::square(16, 32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      noAlpha.colors.row(y)[x * 4 + 3] = 0;
  TIcon b;
  b.loadFromBytes(samples::ico({noAlpha}));
  EXPECT_EQ(qAlpha(b.image().pixel(0, 0)), 0);   // from the mask
  EXPECT_EQ(qAlpha(b.image().pixel(1, 0)), 255); // opaque where the mask is clear
}

TEST(Icon, AnImageMadeIconWritesAOneImageFile) {
  QImage image(20, 10, QImage::Format_ARGB32);
  image.fill(ColorToQRgb(Other));
  image.setPixel(19, 9, qRgba(0, 0, 0, 0));
  TIcon icon;
  icon.setImage(image);
  const QByteArray bytes = icon.saveToBytes();
  const icofile::Directory dir = icofile::parse(bytes);
  ASSERT_EQ(dir.entries.size(), 1u);
  EXPECT_EQ(dir.entries[0].width, 20);
  TIcon back;
  back.loadFromBytes(bytes);
  EXPECT_EQ(back.width(), 20);
  EXPECT_EQ(back.height(), 10);
  EXPECT_EQ(back.image().pixel(0, 0), ColorToQRgb(Other) | 0xFF000000u);
  EXPECT_EQ(qAlpha(back.image().pixel(19, 9)), 0);
  EXPECT_EQ(back.saveToBytes(), bytes);
  EXPECT_THROW(icon.setImage(QImage(300, 4, QImage::Format_ARGB32)), EInvalidGraphic);
}

TEST(Icon, AssignSharesTheFileAndNullEmpties) {
  TIcon a;
  a.loadFromBytes(threeImages());
  TIcon b;
  int changes = 0;
  b.onChange = [&] { ++changes; };
  b.assign(&a);
  EXPECT_EQ(b.saveToBytes(), a.saveToBytes());
  b.assign(nullptr);
  EXPECT_TRUE(b.empty());
  EXPECT_TRUE(b.saveToBytes().isEmpty());
  EXPECT_EQ(changes, 2);
  TOpaqueGraphic other(QStringLiteral("Metafile"), "x");
  try {
    b.assign(&other);
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a TMetafile to a TIcon"));
  }
  EXPECT_THROW(b.setWidth(3), EInvalidGraphicOperation);
}

TEST(Icon, DrawsStretchedWithItsTransparency) {
  TIcon icon;
  icon.loadFromBytes(samples::ico({samples::square(16, 24)}));
  QImage canvas(32, 32, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  {
    QPainter p(&canvas);
    icon.draw(p, QRect(0, 0, 32, 32));
  }
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(canvas.pixel(30, 30), ColorToQRgb(Other));
}

TEST(Icon, BadFilesAreRefusedWithTheFormatsError) {
  const QByteArray good = samples::ico({samples::square(16, 4)});
  expectInvalid(QByteArray());
  expectInvalid(good.left(5));
  expectInvalid(good.left(good.size() - 1));                // the image runs past the end
  expectInvalid(samples::ico({samples::square(16, 4)}, 2)); // a cursor
  QByteArray none = good.left(6);
  none[4] = 0;
  expectInvalid(none); // no images
  QByteArray far = good;
  far[6 + 12] = far[6 + 13] = far[6 + 14] = far[6 + 15] = char(0xFF); // offset far outside
  expectInvalid(far);
  QByteArray huge = good;
  huge[6 + 8] = huge[6 + 9] = huge[6 + 10] = char(0xFF);
  huge[6 + 11] = 0x7F; // 2 GB image
  expectInvalid(huge);
  QByteArray wide = good;
  wide[22 + 4] = wide[22 + 5] = char(0xFF); // header width 65535
  expectInvalid(wide);
  QByteArray depth = good;
  depth[22 + 14] = 7; // 7 bits per pixel
  expectInvalid(depth);
  QByteArray many = good;
  many[4] = char(0xFF);
  many[5] = char(0xFF); // 65535 entries promised, one present
  expectInvalid(many);

  // A failed load leaves the icon as it was.
  TIcon icon;
  icon.loadFromBytes(good);
  EXPECT_THROW(icon.loadFromBytes(far), EInvalidGraphic);
  EXPECT_EQ(icon.saveToBytes(), good);
}

TEST(IcoFile, PreferredEntryIsNearest32ThenDeepest) {
  const QByteArray file =
      samples::ico({samples::square(16, 8), samples::square(48, 8), samples::square(32, 4),
                    samples::square(32, 24), samples::square(32, 8)});
  EXPECT_EQ(icofile::preferredEntry(file, icofile::parse(file)), 3);
  const QByteArray small = samples::ico({samples::square(16, 4), samples::square(16, 8)});
  EXPECT_EQ(icofile::preferredEntry(small, icofile::parse(small)), 1);
}
