#include "imaging/Picture.h"
#include "imaging/Bitmap.h"
#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"
#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "imaging/JpegImage.h"
#include "imaging/Metafile.h"
#include "imaging/PictureClasses.h"
#include "platform/Errors.h"
#include "tests/imaging/PictureSamples.h"
#include "tests/support/Sandbox.h"

#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

using samples::Odd;

namespace {

Dib small24() {
  Dib d(3, 2, 24);
  d.fill(Odd);
  return d;
}

QByteArray placeableWmf() {
  QByteArray w;
  byteio::putU32(w, 0x9AC6CDD7);
  byteio::putU16(w, 0);
  for (int v : {0, 0, 1440, 720}) // a 1 x 0.5 inch box at 1440 units per inch
    byteio::putU16(w, std::uint16_t(v));
  byteio::putU16(w, 1440);
  byteio::putU32(w, 0);
  byteio::putU16(w, 0);
  w.append("\x01\x00\x09\x00\x00\x03 rest of the metafile", 26);
  return w;
}

QString writeFile(const QString &name, const QByteArray &bytes) {
  const QString path = sandbox::makeTempDir(QStringLiteral("pictures")) + QLatin1Char('/') + name;
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  return path;
}

} // namespace

TEST(PictureClasses, EveryStoredClassRoundTripsItsBytesThroughTheRegistry) {
  RegisterPictureClasses();
  RegisterPictureClasses(); // twice does no harm
  const QByteArray ico = samples::ico({samples::square(16, 4), samples::square(32, 8),
                                       samples::IcoImage{Dib(), {}, samples::png(48), 32}});
  const struct {
    const char *name;
    QByteArray bytes;
  } cases[] = {
      {"Bitmap", bmpfile::write(small24())},
      {"Icon", ico},
      {"JPEGImage", TJPEGImage::encode(small24(), 90)},
      {"Metafile", placeableWmf()},
      {"IconList", samples::iconListStream({ico, QByteArray(), ico})},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const QString name = QString::fromLatin1(c.name);
    ASSERT_TRUE(graphics::isRegistered(name));
    auto g = graphics::create(name);
    EXPECT_EQ(g->className(), name);
    EXPECT_TRUE(g->empty());
    g->loadFromBytes(c.bytes);
    EXPECT_FALSE(g->empty());
    EXPECT_EQ(g->saveToBytes(), c.bytes);
    EXPECT_EQ(g->clone()->saveToBytes(), c.bytes);
    EXPECT_TRUE(g->equals(*g->clone()));
  }
  EXPECT_NE(dynamic_cast<TBitmap *>(graphics::create(QStringLiteral("Bitmap")).get()), nullptr);
  EXPECT_NE(dynamic_cast<TIconList *>(graphics::create(QStringLiteral("IconList")).get()), nullptr);
}

TEST(Metafile, KeepsItsBytesAndDrawsAnEmptyFrame) {
  TMetafile m;
  m.loadFromBytes(placeableWmf());
  EXPECT_EQ(m.width(), 96);
  EXPECT_EQ(m.height(), 48);
  EXPECT_FALSE(m.enhanced());
  QImage c(10, 10, QImage::Format_RGB32);
  c.fill(Qt::white);
  {
    QPainter p(&c);
    m.draw(p, QRect(0, 0, 10, 10));
  }
  EXPECT_EQ(c.pixel(5, 5), qRgb(255, 255, 255));
  EXPECT_NE(c.pixel(0, 0), qRgb(255, 255, 255));
  TMetafile odd;
  odd.loadFromBytes("anything at all");
  EXPECT_EQ(odd.saveToBytes(), QByteArray("anything at all"));
  EXPECT_EQ(odd.width(), 0);
}

TEST(Picture, LoadsFilesByExtension) {
  RegisterPictureClasses();
  TPicture picture;
  int changes = 0;
  picture.onChange = [&] { ++changes; };
  const QByteArray bmp = bmpfile::write(small24());
  picture.loadFromFile(writeFile(QStringLiteral("a.BMP"), bmp));
  ASSERT_NE(dynamic_cast<TBitmap *>(picture.graphic()), nullptr);
  EXPECT_EQ(picture.width(), 3);
  EXPECT_EQ(changes, 1);
  // A change of the graphic is a change of the picture.
  picture.graphic()->setTransparent(true);
  EXPECT_EQ(changes, 2);

  picture.loadFromFile(writeFile(QStringLiteral("b.jpeg"), TJPEGImage::encode(small24(), 90)));
  EXPECT_EQ(picture.graphic()->className(), QStringLiteral("JPEGImage"));
  picture.loadFromFile(writeFile(QStringLiteral("c.ico"), samples::ico({samples::square(16, 4)})));
  EXPECT_EQ(picture.graphic()->className(), QStringLiteral("Icon"));

  // A failing load keeps the picture as it was.
  EXPECT_THROW(picture.loadFromFile(writeFile(QStringLiteral("d.bmp"), "BMxx")), EInvalidGraphic);
  EXPECT_EQ(picture.graphic()->className(), QStringLiteral("Icon"));
  try {
    picture.loadFromFile(writeFile(QStringLiteral("e.xyz"), "x"));
    FAIL();
  } catch (const EInvalidGraphic &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Unknown picture file extension (.xyz)"));
  }
  EXPECT_TRUE(TPicture::fileFilter().contains(QStringLiteral("*.ico")));

  const QString out = sandbox::makeTempDir(QStringLiteral("out")) + QStringLiteral("/x.bmp");
  TPicture copy;
  copy.assign(&picture);
  copy.saveToFile(out);
  TIcon back;
  back.loadFromFile(out);
  EXPECT_EQ(back.width(), 16);
  copy.setGraphic(nullptr);
  EXPECT_TRUE(copy.empty());
}
