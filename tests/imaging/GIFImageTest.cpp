#include "imaging/GIFImage.h"
#include "imaging/Bitmap.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFReader.h"
#include "imaging/Icon.h"
#include "imaging/Picture.h"
#include "platform/Errors.h"
#include "tests/imaging/GIFTestSupport.h"
#include "tests/imaging/GifBuilder.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

// Sets the process-wide switch for one test and puts it back.
class LoadCorruptedGuard {
public:
  explicit LoadCorruptedGuard(bool value) : m_saved(LoadCorrupted) { LoadCorrupted = value; }
  ~LoadCorruptedGuard() { LoadCorrupted = m_saved; }

private:
  bool m_saved;
};

Bytes lzw(const Indices &in, int bits) {
  Rows rows = packRows(in, bits);
  Bytes out;
  EncodeGIFFrame(out, rows.raster, false);
  return out;
}

// Two frames: a 4-colour global table, frame 1 with an 8-entry local table.
Bytes twoFrames() {
  BlockBuilder b;
  b.header().screen(10, 8, 2, 0).gce(10, 2, 3);
  b.image(0, 0, 10, 8).data(lzw(flatShapes(10, 8, 4, 1), 8));
  b.image(2, 1, 5, 4, 3).data(lzw(flatShapes(5, 4, 8, 2), 8)).trailer();
  return b.bytes();
}

TGIFImage load(const Bytes &bytes, bool decodeNow = true) {
  TGIFImage image;
  image.read(bytes, decodeNow);
  return image;
}

Dib truecolor(int w, int h, uint32_t seed) {
  Dib dib(w, h, 24);
  const Indices shapes = flatShapes(w, h, 5, seed);
  const TColor colours[5] = {RGB(200, 30, 90), RGB(90, 30, 200), RGB(10, 220, 60), clWhite,
                             RGB(120, 110, 5)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      dib.setPixel(x, y, colours[shapes.at(x, y)]);
  return dib;
}

QImage render(const TGIFImage &image, int w, int h) {
  QImage target(w, h, QImage::Format_ARGB32);
  target.fill(qRgb(1, 2, 3));
  QPainter p(&target);
  image.draw(p, QRect(0, 0, w, h));
  return target;
}

class FakeCursor : public TGraphic, public TGIFCursorSource {
public:
  FakeCursor() {
    for (int i = 0; i < 3; ++i) {
      QImage img(4, 4, QImage::Format_ARGB32);
      img.fill(qRgb(200, 30, 90 + i));
      auto icon = std::make_unique<TIcon>();
      icon->setImage(img);
      m_icons.push_back(std::move(icon));
    }
  }
  std::vector<int> rates{10, 20, 6};
  [[nodiscard]] QString className() const override { return QStringLiteral("FakeCursor"); }
  void loadFromStream(QIODevice &) override {}
  void saveToStream(QIODevice &) const override {}
  [[nodiscard]] bool empty() const override { return false; }
  [[nodiscard]] int width() const override { return 4; }
  [[nodiscard]] int height() const override { return 4; }
  void draw(QPainter &, const QRect &) const override {}
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override { return nullptr; }
  [[nodiscard]] int gifIconCount() const override { return 3; }
  [[nodiscard]] const TGraphic &gifIcon(int i) const override {
    return *m_icons[static_cast<std::size_t>(i)];
  }
  [[nodiscard]] int gifIconRate(int i) const override { return rates[static_cast<std::size_t>(i)]; }

private:
  std::vector<std::unique_ptr<TIcon>> m_icons;
};

} // namespace

TEST(GIFImage, NewImageIsEmptyAndCannotBeResized) {
  TGIFImage image;
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(image.width(), 0);
  EXPECT_EQ(image.height(), 0);
  EXPECT_EQ(image.frameIndex(), -1);
  EXPECT_EQ(image.repeatCount(), 1);
  EXPECT_EQ(image.version(), 0);
  EXPECT_EQ(image.backgroundColor(), clNone);
  EXPECT_FALSE(image.looping());
  EXPECT_FALSE(image.transparent());
  EXPECT_EQ(image.palette(), nullptr);
  EXPECT_EQ(image.className(), QStringLiteral("GIFImage"));
  try {
    image.setWidth(5);
    FAIL();
  } catch (const EInvalidGraphicOperation &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot change the Size of a GIF image"));
  }
  EXPECT_THROW(image.setHeight(5), EInvalidGraphicOperation);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_THROW(image.saveToStream(buffer), EInvalidGraphicOperation);
  EXPECT_TRUE(buffer.data().isEmpty());
}

TEST(GIFImage, LoadingDecodesFrameZeroOnly) {
  const TGIFImage image = load(twoFrames());
  ASSERT_EQ(image.frameCount(), 2);
  EXPECT_EQ(image.frameIndex(), 0);
  EXPECT_TRUE(image.frame(0).hasBitmap());
  EXPECT_FALSE(image.frame(1).hasBitmap());
  EXPECT_EQ(image.width(), 10);
  EXPECT_EQ(image.screenWidth(), 10);
  EXPECT_TRUE(image.paletteModified());
  EXPECT_TRUE(image.transparent());
  EXPECT_EQ(image.frame(0).Delay, 100);
  // Frame 1's 3-bit table decodes to 4 bits with a 16-entry palette, the rest grey.
  const TBitmap &bmp = image.frame(1).bitmap();
  EXPECT_EQ(bmp.dib().bitCount(), 4);
  ASSERT_EQ(bmp.dib().palette().size(), 16);
  EXPECT_EQ(bmp.dib().palette().entry(7).toColor(), image.frame(1).Item->Colors.color(7));
  for (int i = 8; i < 16; ++i)
    EXPECT_EQ(bmp.dib().palette().entry(i), (TRgbQuad{128, 128, 128, 128}));
  const Indices expected = flatShapes(5, 4, 8, 2);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      ASSERT_EQ(bmp.dib().pixelIndex(x, y), expected.at(x, y));
}

TEST(GIFImage, CopiesShareDataAndDecodeNothing) {
  const TGIFImage a = load(twoFrames());
  const TGIFImage b = load(twoFrames());
  EXPECT_FALSE(a.equals(b));
  TGIFImage copy;
  copy.assign(&a);
  EXPECT_TRUE(copy.equals(a));
  EXPECT_TRUE(a.equals(copy));
  ASSERT_EQ(copy.frameCount(), 2);
  EXPECT_EQ(copy.frame(1).Item.get(), a.frame(1).Item.get());
  EXPECT_FALSE(copy.frame(1).hasBitmap());
  EXPECT_FALSE(a.frame(1).hasBitmap());
  EXPECT_EQ(&copy.data(), &a.data());
  EXPECT_EQ(copy.frame(1).LocalColors, true);
  EXPECT_EQ(copy.frame(0).LocalColors, false);
  EXPECT_EQ(copy.frame(1).Left, 2);
  EXPECT_EQ(copy.screenWidth(), 10);
  const auto clone = a.clone();
  EXPECT_TRUE(clone->equals(a));
  TBitmap bitmap;
  EXPECT_FALSE(a.equals(bitmap));
}

TEST(GIFImage, TruecolourBitmapBecomesAn87aFileWithA256EntryTable) {
  TGIFImage image;
  const TBitmap bitmap(truecolor(30, 20, 3));
  image.assign(&bitmap);
  ASSERT_EQ(image.frameCount(), 1);
  EXPECT_EQ(image.version(), 1);
  EXPECT_FALSE(image.empty());
  const std::vector<uint8_t> bytes = image.write();
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
  EXPECT_EQ(bytes[10], 0xF7);
  EXPECT_EQ(bytes[13 + 768], 0x2C);
  EXPECT_EQ(image.data().GlobalColors.Count, 256);
  EXPECT_FALSE(image.frame(0).LocalColors);
  const TGIFImage back = load(bytes);
  const Dib &dib = back.frame(0).bitmap().dib();
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      ASSERT_EQ(dib.pixel(x, y), bitmap.dib().pixel(x, y));
}

TEST(GIFImage, SecondBitmapFrameGetsALocalTable) {
  Dib first(6, 4, 8);
  first.setPalette(TPalette({TRgbQuad::fromRgb(200, 30, 90), TRgbQuad::fromRgb(1, 2, 3)}));
  first.setPixelIndex(2, 2, 1);
  Dib second(3, 9, 4);
  second.setPalette(TPalette(
      {TRgbQuad::fromRgb(90, 30, 200), TRgbQuad::fromRgb(9, 8, 7), TRgbQuad::fromRgb(5, 250, 5)}));
  second.setPixelIndex(1, 8, 2);
  TGIFImage image;
  const TBitmap a(first), b(second);
  EXPECT_EQ(image.addFrame(&a), 0);
  EXPECT_EQ(image.addFrame(&b), 1);
  EXPECT_EQ(image.version(), 2);
  EXPECT_EQ(image.screenHeight(), 9);
  const std::vector<uint8_t> bytes = image.write();
  // The 8-bit palette of two entries is padded to 256 black entries.
  EXPECT_EQ(image.data().GlobalColors.Count, 256);
  EXPECT_EQ(image.data().GlobalColors.color(0), RGB(200, 30, 90));
  EXPECT_EQ(image.data().GlobalColors.color(2), clBlack);
  EXPECT_TRUE(image.frame(1).LocalColors);
  EXPECT_EQ(image.frame(1).Item->Colors.Count, 16);
  const TGIFImage back = load(bytes);
  ASSERT_EQ(back.frameCount(), 2);
  EXPECT_TRUE(back.frame(1).LocalColors);
  EXPECT_EQ(back.frame(1).bitmap().dib().pixel(1, 8), RGB(5, 250, 5));
  EXPECT_EQ(back.frame(0).bitmap().dib().pixel(2, 2), RGB(1, 2, 3));
  EXPECT_EQ(back.frame(0).bitmap().dib().pixel(0, 0), RGB(200, 30, 90));
}

TEST(GIFImage, GrayscaleFramesAreReducedToGrey) {
  TGIFImage image;
  const TBitmap bitmap(truecolor(8, 8, 5));
  image.addFrame(&bitmap);
  image.frame(0).Grayscale = true;
  (void)image.write();
  EXPECT_EQ(image.data().GlobalColors.color(200), RGB(200, 200, 200));
}

TEST(GIFImage, TablelessFramesRaiseWhenDecodedButDrawNothing) {
  BlockBuilder b;
  b.header().screen(4, 3, 0);
  b.image(0, 0, 4, 3).data(lzw(flatShapes(4, 3, 2, 1), 8));
  b.image(0, 0, 4, 3, 1).data(lzw(flatShapes(4, 3, 2, 1), 1)).trailer();
  // Frame 0 fails to decode at load: it is removed and the error passes on.
  TGIFImage image;
  try {
    image.read(b.bytes());
    FAIL();
  } catch (const EInvalidGraphicOperation &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Wrong number of colors; must be a power of 2"));
  }
  EXPECT_EQ(image.frameCount(), 1);
  // Without decoding at load, drawing the table-less frame draws nothing and raises nothing.
  TGIFImage lazy = load(b.bytes(), false);
  ASSERT_EQ(lazy.frameCount(), 2);
  const QImage drawn = render(lazy, 4, 3);
  EXPECT_EQ(drawn.pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_TRUE(lazy.frame(0).Corrupted);
  EXPECT_THROW((void)lazy.frame(0).bitmap(), EInvalidGraphicOperation);
}

TEST(GIFImage, HugeFramesAreRefusedBeforeAllocating) {
  BlockBuilder b;
  b.header().screen(65535, 65535, 1);
  b.image(0, 0, 65535, 65535).data(lzw(flatShapes(4, 3, 2, 1), 1)).trailer();
  TGIFImage image;
  EXPECT_THROW(image.read(b.bytes()), EReadError);
  TGIFImage lazy = load(b.bytes(), false);
  EXPECT_EQ(lazy.width(), 65535);
  (void)render(lazy, 4, 4);
  EXPECT_TRUE(lazy.frame(0).Corrupted);
}

TEST(GIFImage, SavingKeepsTheScreenTheApplicationExtensionsAndALoneLoopBlock) {
  // A 20x10 screen whose frame lies partly outside it, another program's metadata block, and a
  // loop block on a picture of one frame.
  BlockBuilder b;
  b.header().screen(20, 10, 2).loop(5);
  b.byte(0x21).byte(0xFF).byte(11).text("XMP DataXMP").byte(4).text("<x/>").byte(0);
  b.image(50, 36, 20, 10).data(lzw(flatShapes(20, 10, 4, 1), 8)).trailer();
  const TGIFImage original = load(b.bytes());
  // Saved through a copy, as the animator and the store take pictures.
  TGIFImage copy(original);
  const Bytes saved = copy.write();
  const TGIFImage back = load(saved);
  EXPECT_EQ(back.screenWidth(), 20);
  EXPECT_EQ(back.screenHeight(), 10);
  EXPECT_TRUE(back.looping());
  EXPECT_EQ(back.repeatCount(), 5);
  const std::string text(saved.begin(), saved.end());
  EXPECT_NE(text.find("\x21\xFF\x0BXMP DataXMP\x04<x/>", 0), std::string::npos);
  EXPECT_NE(text.find("NETSCAPE2.0\x03\x01\x05", 0), std::string::npos);
  // Saving again gives the same bytes.
  TGIFImage again(back);
  EXPECT_EQ(again.write(), saved);
}

TEST(GIFImage, FramesAreCutToTheScreenAndAnImageHoldsBoundedPixelsAndFrames) {
  // 20 frames of 8000 x 8000 on a 16 x 16 screen, their data a short run of pixels: each frame
  // is decoded as far as the screen shows it.
  const Indices run = flatShapes(64, 2, 4, 3);
  BlockBuilder hostile;
  hostile.header().screen(16, 16, 2);
  for (int i = 0; i < 20; ++i)
    hostile.gce(2).image(0, 0, 8000, 8000).data(lzw(run, 8));
  TGIFImage image = load(hostile.trailer().bytes());
  ASSERT_EQ(image.frameCount(), 20);
  for (int i = 0; i < 20; ++i) {
    const TBitmap &bitmap = image.frame(i).bitmap();
    ASSERT_EQ(bitmap.width(), 16) << "frame " << i;
    ASSERT_EQ(bitmap.height(), 16) << "frame " << i;
    EXPECT_EQ(bitmap.dib().pixelIndex(15, 0), run.at(15, 0));
    EXPECT_EQ(bitmap.dib().pixelIndex(15, 1), 0);
  }
  // An interlaced frame reaching past the screen's corner keeps its top-left part.
  const Indices shapes = flatShapes(8, 6, 4, 5);
  BlockBuilder corner;
  corner.header().screen(5, 3, 2).image(1, 1, 8, 6, 0, true);
  {
    Rows rows = packRows(shapes, 8);
    Bytes data;
    EncodeGIFFrame(data, rows.raster, true);
    corner.data(data).trailer();
  }
  TGIFImage cornerImage = load(corner.bytes());
  const TBitmap &cut = cornerImage.frame(0).bitmap();
  ASSERT_EQ(cut.width(), 4);
  ASSERT_EQ(cut.height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(cut.dib().pixelIndex(x, y), shapes.at(x, y)) << x << "," << y;

  // Six screen-sized frames of 4096 x 4096 pixels, one of them given a picture of its own:
  // decoding the others holds at most GIFMaxPixels, dropping the frames decoded just before but
  // never a given picture; a dropped frame decodes again.
  BlockBuilder large;
  large.header().screen(4096, 4096, 2);
  for (int i = 0; i < 6; ++i)
    large.image(0, 0, 4096, 4096).data(lzw(run, 8));
  TGIFImage big = load(large.trailer().bytes());
  big.frame(4).setBitmap(TBitmap(Dib(8, 8, 8)));
  for (int i = 0; i < 6; ++i)
    ASSERT_EQ(big.frame(i).bitmap().width(), i == 4 ? 8 : 4096);
  int64_t held = 0;
  for (int i = 0; i < 6; ++i)
    held += big.frame(i).hasBitmap() && i != 4 ? int64_t{4096} * 4096 : 0;
  EXPECT_LE(held, GIFMaxPixels);
  EXPECT_FALSE(big.frame(3).hasBitmap());
  EXPECT_EQ(big.frame(4).bitmap().width(), 8);
  EXPECT_EQ(big.frame(3).bitmap().dib().pixelIndex(1, 0), run.at(1, 0));

  // A file of 5000 one-pixel frames gives the first GIFMaxFrames of them.
  BlockBuilder many;
  many.header().screen(1, 1, 2);
  for (int i = 0; i < 5000; ++i)
    many.image(0, 0, 1, 1).data(lzw(flatShapes(1, 1, 4, 1), 8));
  EXPECT_EQ(load(many.trailer().bytes(), false).frameCount(), int(GIFMaxFrames));
}

TEST(GIFImage, CorruptedFramesFollowTheSwitch) {
  const Bytes whole = twoFrames();
  const Bytes cut(whole.begin(), whole.end() - 4);
  {
    const TGIFImage image = load(cut, false);
    ASSERT_EQ(image.frameCount(), 2);
    EXPECT_TRUE(image.frame(1).Corrupted);
  }
  LoadCorruptedGuard off(false);
  TGIFImage image;
  EXPECT_THROW(image.read(cut), EReadError);
  EXPECT_EQ(image.frameCount(), 1);
}

TEST(GIFImage, AssigningItsOwnFrame) {
  TGIFImage image = load(twoFrames());
  image.assign(image.frame(1));
  ASSERT_EQ(image.frameCount(), 1);
  EXPECT_EQ(image.frameIndex(), 0);
  EXPECT_EQ(image.frame(0).Left, 2);
  EXPECT_TRUE(image.frame(0).LocalColors);
  EXPECT_EQ(image.data().GlobalColors.Count, 4);
  EXPECT_EQ(image.frame(0).bitmap().width(), 5);
  // Another image's frame: the table is written locally.
  const TGIFImage other = load(twoFrames());
  TGIFImage fromOther;
  fromOther.assign(other.frame(0));
  EXPECT_TRUE(fromOther.frame(0).LocalColors);
  EXPECT_EQ(fromOther.version(), 1);
  EXPECT_EQ(fromOther.frame(0).TransparentColor, other.frame(0).TransparentColor);
}

TEST(GIFImage, DrawLeavesTheTransparentIndexOut) {
  // Entries 1 and 3 hold the same colour; index 3 is the transparent one.
  BlockBuilder b;
  b.header().screen(2, 1, 2);
  Bytes file = b.bytes();
  const std::size_t table = 13;
  for (int entry : {1, 3}) {
    file[table + 3 * entry] = 200;
    file[table + 3 * entry + 1] = 30;
    file[table + 3 * entry + 2] = 90;
  }
  BlockBuilder rest;
  rest.raw(file).gce(0, 0, 3).image(0, 0, 2, 1).data(lzw(Indices{2, 1, {1, 3}}, 8)).trailer();
  const TGIFImage image = load(rest.bytes());
  EXPECT_EQ(image.frame(0).TransparentColor, RGB(200, 30, 90));
  const QImage drawn = render(image, 2, 1);
  EXPECT_EQ(drawn.pixel(0, 0), qRgb(200, 30, 90));
  EXPECT_EQ(drawn.pixel(1, 0), qRgb(1, 2, 3));
  // Written back, the index stays 3.
  TGIFImage copy;
  copy.assign(&image);
  const auto bytes = copy.write();
  const TGIFImage back = load(bytes);
  EXPECT_EQ(back.frame(0).TransparentIndex, 3);

  // A bitmap frame is keyed by colour, stretched by nearest neighbour.
  Dib dib(2, 1, 24);
  dib.setPixel(0, 0, RGB(200, 30, 90));
  dib.setPixel(1, 0, RGB(90, 30, 200));
  TBitmap bitmap(dib);
  bitmap.setTransparentColor(RGB(200, 30, 90));
  bitmap.setTransparent(true);
  TGIFImage keyed;
  keyed.assign(&bitmap);
  EXPECT_EQ(keyed.frame(0).TransparentColor, RGB(200, 30, 90));
  const QImage k = render(keyed, 4, 2);
  EXPECT_EQ(k.pixel(1, 1), qRgb(1, 2, 3));
  EXPECT_EQ(k.pixel(2, 0), qRgb(90, 30, 200));
  keyed.setTransparent(false);
  EXPECT_EQ(render(keyed, 4, 2).pixel(0, 0), qRgb(200, 30, 90));
}

TEST(GIFImage, FramesFromIconsUseTheFuchsiaFallback) {
  QImage img(3, 3, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  img.setPixel(1, 1, qRgb(10, 220, 60));
  TIcon icon;
  icon.setImage(img);
  TGIFImage image;
  image.addFrame(&icon);
  const TGIFFrame &f = image.frame(0);
  EXPECT_EQ(f.TransparentColor, clFuchsia);
  EXPECT_EQ(f.bitmap().dib().pixel(0, 0), clFuchsia);
  EXPECT_EQ(f.bitmap().dib().pixel(1, 1), RGB(10, 220, 60));
  EXPECT_EQ(image.screenWidth(), 3);
}

TEST(GIFImage, CursorAnimationsBecomeFrames) {
  FakeCursor cursor;
  TGIFImage image;
  image.assign(&cursor);
  ASSERT_EQ(image.frameCount(), 3);
  EXPECT_EQ(image.frame(0).Delay, 166);
  EXPECT_EQ(image.frame(1).Delay, 333);
  EXPECT_EQ(image.frame(2).Delay, 100);
  EXPECT_EQ(image.backgroundColor(), clWindow);
  EXPECT_EQ(image.version(), 2);
  cursor.rates[0] = 5000;
  image.assign(&cursor);
  EXPECT_EQ(image.frame(0).Delay, 65535);
  const auto bytes = image.write();
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
}

TEST(GIFImage, AssignErrorsAndAssignTo) {
  TGIFImage image = load(twoFrames());
  TOpaqueGraphic opaque(QStringLiteral("Metafile"), QByteArray("x"));
  try {
    image.assign(&opaque);
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a TMetafile to a TGIFImage"));
  }
  TBitmap bitmap;
  bitmap.assign(&image);
  EXPECT_EQ(bitmap.width(), 10);
  EXPECT_TRUE(bitmap.transparent());
  EXPECT_EQ(bitmap.transparentColor(), image.frame(0).TransparentColor);
  TGIFImage other;
  other.assign(&image);
  EXPECT_TRUE(other.equals(image));
  image.clear();
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(image.frameCount(), 0);
  // Asking an empty image for its bitmap gives it one empty frame.
  EXPECT_TRUE(image.bitmap().empty());
  EXPECT_EQ(image.frameCount(), 1);
  EXPECT_TRUE(image.empty());
}

TEST(GIFImage, SizePrefixedStreams) {
  TGIFImage image = load(twoFrames());
  QBuffer buffer;
  buffer.open(QIODevice::ReadWrite);
  buffer.write("ab");
  image.writeData(buffer);
  buffer.write("tail");
  const QByteArray all = buffer.data();
  buffer.seek(2);
  TGIFImage back;
  back.readData(buffer);
  EXPECT_EQ(buffer.pos(), all.size() - 4);
  EXPECT_EQ(back.frameCount(), 2);

  auto readPrefixed = [](QByteArray bytes) {
    QBuffer b(&bytes);
    b.open(QIODevice::ReadOnly);
    TGIFImage i;
    i.readData(b);
  };
  EXPECT_THROW(readPrefixed(QByteArray("\xff\xff\xff\xff", 4)), EReadError);
  EXPECT_THROW(readPrefixed(QByteArray("\x10\x00\x00\x00GIF89a", 10)), EReadError);
  EXPECT_THROW(readPrefixed(QByteArray("\x10\x00", 2)), EReadError);
}

TEST(GIFImage, RegistrationAndPictureFiles) {
  RegisterGIFImage();
  EXPECT_TRUE(graphics::isRegistered(QStringLiteral("GIFImage")));
  const auto g = graphics::create(QStringLiteral("GIFImage"));
  EXPECT_NE(dynamic_cast<TGIFImage *>(g.get()), nullptr);
  EXPECT_EQ(TPicture::classForExtension(QStringLiteral("GIF")), QStringLiteral("GIFImage"));
  EXPECT_TRUE(TPicture::fileFilter().contains(QStringLiteral("CompuServe GIF Image")));
  const Bytes bytes = twoFrames();
  g->loadFromBytes(QByteArray(reinterpret_cast<const char *>(bytes.data()),
                              static_cast<qsizetype>(bytes.size())));
  EXPECT_EQ(g->width(), 10);
}

TEST(GIFImage, ProgressAndChangeNotifications) {
  TGIFImage image;
  int changes = 0;
  std::vector<GIFProgressStage> stages;
  image.onChange = [&] { ++changes; };
  image.onProgress = [&](GIFProgressStage s, int, const std::string &) { stages.push_back(s); };
  image.read(twoFrames());
  EXPECT_EQ(changes, 1);
  ASSERT_GE(stages.size(), 2u);
  EXPECT_EQ(stages.front(), GIFProgressStage::Starting);
  EXPECT_EQ(stages.back(), GIFProgressStage::Ending);
}

TEST(GIFImage, FrameComments) {
  TGIFImage image = load(twoFrames());
  image.frame(1).setComment({"hello"});
  image.frame(1).setComment({"again"});
  ASSERT_EQ(image.frame(1).Extensions.size(), 1u);
  TGIFImage copy;
  copy.assign(&image);
  EXPECT_EQ(copy.frame(1).comment(), TGIFLines{"again"});
  const TGIFImage back = load(copy.write());
  EXPECT_EQ(back.frame(1).comment(), TGIFLines{"again"});
}

TEST(GIFImage, Clipboard) {
  auto *clipboard = QGuiApplication::clipboard();
  TGIFImage image = load(twoFrames());
  image.saveToClipboard();
  const QMimeData *mime = clipboard->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_TRUE(mime->hasFormat(GIFClipboardMimeType));
  EXPECT_TRUE(mime->hasImage());
  TGIFImage back;
  ASSERT_TRUE(back.loadFromClipboard());
  EXPECT_EQ(back.frameCount(), 2);
  EXPECT_EQ(back.frame(0).bitmap().width(), 10);

  TGIFImage fromBitmap;
  const TBitmap bitmap(truecolor(5, 5, 1));
  fromBitmap.assign(&bitmap);
  fromBitmap.saveToClipboard();
  mime = clipboard->mimeData();
  EXPECT_FALSE(mime->hasFormat(GIFClipboardMimeType));
  EXPECT_TRUE(mime->hasImage());
  TGIFImage picture;
  ASSERT_TRUE(picture.loadFromClipboard());
  EXPECT_EQ(picture.frameCount(), 1);
  EXPECT_EQ(picture.frame(0).bitmap().dib().pixel(0, 0), bitmap.dib().pixel(0, 0));
}

TEST(GIFImage, AFrameLargerThanAPictureIsShownAtIsRefusedBeforeItIsDecoded) {
  // A file of about a hundred bytes declaring an 8000 x 8000 screen and frame, with 64 pixels of
  // data, once held 64 million pixels; 4096 x 4096 is the most a picture is shown at.
  const auto tiny = [](int side) {
    gifbuilder::Image spec;
    spec.screenWidth = side;
    spec.screenHeight = side;
    spec.globalColors = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
    gifbuilder::Frame f;
    f.width = side;
    f.height = side;
    f.pixels.assign(64, 1);
    spec.frames = {f};
    return gifbuilder::build(spec);
  };
  ASSERT_LT(tiny(8000).size(), 120);
  TGIFImage image;
  EXPECT_THROW(image.loadFromBytes(tiny(8000)), EReadError);
  EXPECT_EQ(image.frameCount(), 0);
  image.loadFromBytes(tiny(4096));
  EXPECT_EQ(image.width(), 4096);
  EXPECT_EQ(image.frame(0).bitmap().dib().pixelIndex(63, 0), 1);
  EXPECT_EQ(image.frame(0).bitmap().dib().pixelIndex(64, 0), 0);
}
