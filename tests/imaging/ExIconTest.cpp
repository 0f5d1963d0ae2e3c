#include "imaging/ExIcon.h"
#include "imaging/Bitmap.h"
#include "imaging/RangeError.h"
#include "platform/Errors.h"
#include "tests/imaging/IconSamples.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

using iconsamples::A;
using iconsamples::B;
using iconsamples::Entry;

namespace {

std::uint32_t u32At(const QByteArray &b, int at) {
  const auto *p = reinterpret_cast<const std::uint8_t *>(b.constData()) + at;
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
int u16At(const QByteArray &b, int at) { return int(u32At(b, at) & 0xFFFF); }

// 16 x 16 at 4 and 8 bits, 32 x 32 at 4 bits, 16 x 16 at 32 bits, and a 48-pixel PNG.
QByteArray mixedIcon() {
  Entry png;
  png.body = iconsamples::png(48);
  png.width = png.height = 48;
  png.bitCount = 32;
  return iconsamples::file(1, {iconsamples::squareEntry(16, 4), iconsamples::squareEntry(16, 8),
                               iconsamples::squareEntry(32, 4), iconsamples::squareEntry(16, 32),
                               png});
}

QByteArray saved(const TGraphic &g) { return g.saveToBytes(); }

template <class E> QString messageOf(const std::function<void()> &f) {
  try {
    f();
  } catch (const E &e) {
    return e.message();
  }
  return QStringLiteral("<no error>");
}

} // namespace

TEST(ExIcon, ReadsEveryImageWithItsDepthFromItsOwnHeader) {
  TExIcon icon;
  int changes = 0;
  icon.onChange = [&] { ++changes; };
  icon.loadFromBytes(mixedIcon());
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(icon.GetImageCount(), 5);
  const int widths[] = {16, 16, 32, 16, 48};
  const int codes[] = {2, 3, 2, 7, 7};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(icon.GetImage(i).Width(), widths[i]) << i;
    EXPECT_EQ(icon.GetImage(i).DepthCode(), codes[i]) << i;
    EXPECT_TRUE(icon.GetImage(i).IsIcon());
  }
  EXPECT_EQ(icon.GetCurrent(), 0);
  EXPECT_EQ(icon.width(), 16);
  EXPECT_FALSE(icon.empty());
  // The header's image-size field is cleared; the rest of the data is kept as it came.
  const QByteArray body = iconsamples::square(16, 4);
  QByteArray expected = body;
  expected.replace(20, 4, QByteArray(4, '\0'));
  EXPECT_EQ(icon.GetImage(0).RawData(), expected);
  EXPECT_EQ(icon.GetImage(4).RawData(), iconsamples::png(48));
  EXPECT_THROW((void)icon.GetImage(5), ERangeError);
  EXPECT_THROW((void)icon.GetImage(-1), ERangeError);
}

TEST(ExIcon, DirectorySizeZeroStaysZeroUntilTheImageIsDecoded) {
  Entry big = iconsamples::squareEntry(256, 4);
  ASSERT_EQ(big.width, 0);
  TExIcon icon;
  icon.loadFromBytes(iconsamples::file(1, {big}));
  EXPECT_EQ(icon.width(), 0);
  EXPECT_EQ(icon.height(), 0);
  const std::unique_ptr<TIcon> released = icon.ReleaseHandle();
  EXPECT_EQ(released->width(), 256);
  EXPECT_EQ(icon.width(), 256);
  // 256 is written as the format writes it, 0; the file reads back the same.
  const QByteArray out = saved(icon);
  EXPECT_EQ(out[6], '\0');
  TExIcon back;
  back.loadFromBytes(out);
  EXPECT_EQ(back.GetImage(0).RawData(), icon.GetImage(0).RawData());
}

TEST(ExIcon, WritesAFreshDirectoryAndReadsBackTheSameImages) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  const QByteArray out = saved(icon);
  ASSERT_GE(out.size(), 6 + 5 * 16);
  EXPECT_EQ(u16At(out, 2), 1);
  EXPECT_EQ(u16At(out, 4), 5);
  // Colour count and bit count by depth code; planes 1; offsets packed after the directory.
  const int colors[] = {16, 0, 16, 0, 0};
  const int bits[] = {0, 8, 0, 32, 32};
  std::uint32_t offset = 6 + 5 * 16;
  for (int i = 0; i < 5; ++i) {
    const int e = 6 + i * 16;
    EXPECT_EQ(std::uint8_t(out[e + 2]), colors[i]) << i;
    EXPECT_EQ(u16At(out, e + 4), 1) << i;
    EXPECT_EQ(u16At(out, e + 6), bits[i]) << i;
    EXPECT_EQ(u32At(out, e + 8), std::uint32_t(icon.GetImage(i).RawData().size())) << i;
    EXPECT_EQ(u32At(out, e + 12), offset) << i;
    EXPECT_EQ(out.mid(offset, icon.GetImage(i).RawData().size()), icon.GetImage(i).RawData());
    offset += u32At(out, e + 8);
  }
  EXPECT_EQ(std::uint32_t(out.size()), offset);
  // What the program writes, it reads back and writes again byte for byte.
  TExIcon back;
  back.loadFromBytes(out);
  ASSERT_EQ(back.GetImageCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(back.GetImage(i).RawData(), icon.GetImage(i).RawData());
    EXPECT_EQ(back.GetImage(i).DepthCode(), icon.GetImage(i).DepthCode());
  }
  EXPECT_EQ(saved(back), out);
}

TEST(ExIcon, WrongFileTypeIsRefusedAndTheObjectKept) {
  const QByteArray ico = iconsamples::file(1, {iconsamples::squareEntry(16, 4)});
  const QByteArray cur = iconsamples::file(2, {iconsamples::squareEntry(16, 4)});
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  int changes = 0;
  icon.onChange = [&] { ++changes; };
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { icon.loadFromBytes(cur); }),
            QStringLiteral("Invalid Icon or Cursor"));
  EXPECT_EQ(icon.GetImageCount(), 5);
  EXPECT_EQ(changes, 0);

  TExIconCursor cursor;
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { cursor.loadFromBytes(ico); }),
            QStringLiteral("Invalid Icon or Cursor"));
  QByteArray otherType = cur;
  otherType[2] = 7; // any type but 1 is a cursor file to the cursor kind
  cursor.loadFromBytes(otherType);
  EXPECT_EQ(cursor.GetImageCount(), 1);
  EXPECT_FALSE(cursor.GetImage(0).IsIcon());

  // No images at all is a valid, empty file.
  TExIcon none;
  none.loadFromBytes(ico.left(6).replace(4, 1, QByteArray(1, '\0')));
  EXPECT_EQ(none.GetImageCount(), 0);
  EXPECT_TRUE(none.empty());
  EXPECT_THROW((void)none.width(), ERangeError);
  EXPECT_EQ(saved(none).size(), 6);
}

TEST(ExIcon, DepthCodesFollowBitCountAndCompression) {
  auto load = [](iconsamples::DibLayout layout) {
    Entry e;
    e.body = iconsamples::dib(layout);
    TExIcon icon;
    icon.loadFromBytes(iconsamples::file(1, {e}));
    return icon.GetImage(0).DepthCode();
  };
  iconsamples::DibLayout s;
  s.bitCount = 1;
  s.table = {0, 0xFFFFFFFF};
  EXPECT_EQ(load(s), 1);
  s.table.clear();
  s.bitCount = 16;
  EXPECT_EQ(load(s), 4);
  s.compression = 3;
  s.masks = {0xF800, 0x07E0, 0x001F};
  EXPECT_EQ(load(s), 5);
  s.masks.clear();
  s.compression = 0;
  s.bitCount = 24;
  EXPECT_EQ(load(s), 6);

  const QString pixelFormat = QStringLiteral("Pixel Format Not Valid for Icons or Cursors");
  s.bitCount = 2;
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { (void)load(s); }), pixelFormat);
  s.bitCount = 16;
  s.compression = 1;
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { (void)load(s); }), pixelFormat);

  // Code 4 (16 bits without bit fields) reads but cannot be written.
  s.compression = 0;
  Entry e;
  e.body = iconsamples::dib(s);
  TExIcon icon;
  icon.loadFromBytes(iconsamples::file(1, {e}));
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { (void)saved(icon); }),
            QStringLiteral("Invalid Icon or Cursor"));
  // Nor can the empty image of a new icon.
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { (void)saved(TExIcon()); }),
            QStringLiteral("Invalid Icon or Cursor"));
}

TEST(ExIcon, HostileFilesGiveOrderlyErrors) {
  const QByteArray good = iconsamples::file(1, {iconsamples::squareEntry(16, 4)});
  auto refuse = [](const QByteArray &bytes) {
    TExIcon icon;
    try {
      icon.loadFromBytes(bytes);
    } catch (const EReadError &) {
      return QStringLiteral("read");
    } catch (const EInvalidGraphic &e) {
      return e.message();
    }
    return QStringLiteral("accepted");
  };
  EXPECT_EQ(refuse(QByteArray()), "read");
  EXPECT_EQ(refuse(good.left(5)), "read");
  EXPECT_EQ(refuse(good.left(good.size() - 1)), "read"); // the image runs past the end
  QByteArray many = good.left(16);
  many[4] = many[5] = char(0xFF); // 65535 entries promised in 16 bytes
  EXPECT_EQ(refuse(many), "read");
  QByteArray far = good;
  far.replace(6 + 12, 4, iconsamples::u32s({0xFFFFFFF0u}));
  EXPECT_EQ(refuse(far), "read");
  QByteArray huge = good;
  huge.replace(6 + 8, 4, iconsamples::u32s({0x7FFFFFFFu}));
  EXPECT_EQ(refuse(huge), "read");
  for (std::uint32_t size : {0u, 39u}) {
    QByteArray shortImage = good;
    shortImage.replace(6 + 8, 4, iconsamples::u32s({size}));
    EXPECT_EQ(refuse(shortImage), QStringLiteral("Invalid Icon or Cursor")) << size;
  }

  // A header that asks for 2^30 rows reads (only its depth is read) but never decodes.
  QByteArray tall = good;
  tall.replace(22 + 8, 4, iconsamples::u32s({1u << 30}));
  TExIcon icon;
  icon.loadFromBytes(tall);
  EXPECT_TRUE(icon.GetImage(0).Decode().isNull());
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { (void)icon.ReleaseHandle(); }),
            QStringLiteral("Invalid Icon or Cursor"));
  QImage canvas(8, 8, QImage::Format_ARGB32);
  canvas.fill(Qt::white);
  QPainter p(&canvas);
  icon.draw(p, QRect(0, 0, 8, 8)); // draws nothing, raises nothing
  EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 255, 255));
}

TEST(ExIcon, TooWideImagesCannotBeWritten) {
  // The directory byte says 44, the header 300: decoding takes the header's width.
  iconsamples::DibLayout s;
  s.width = 300;
  s.height = 2;
  s.bitCount = 1;
  s.table = {0, 0xFFFFFFFF};
  Entry e;
  e.body = iconsamples::dib(s);
  e.width = 300 & 0xFF;
  e.height = 2;
  TExIcon icon;
  icon.loadFromBytes(iconsamples::file(1, {e}));
  EXPECT_EQ(icon.width(), 44);
  (void)icon.ReleaseHandle();
  EXPECT_EQ(icon.width(), 300);
  EXPECT_THROW((void)saved(icon), ERangeError);
  EXPECT_THROW(icon.setWidth(300), ERangeError);
  EXPECT_THROW(icon.setHeight(0), ERangeError);
}

TEST(ExIcon, ReleaseHandleGivesTheImageAloneAndKeepsSharedHandles) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  icon.SetCurrent(1);
  {
    const std::unique_ptr<TIcon> one = icon.ReleaseHandle();
    EXPECT_EQ(one->width(), 16);
    EXPECT_EQ(one->bitCount(), 8);
    ASSERT_EQ(one->images().size(), 1u);
    EXPECT_EQ(one->image().pixel(15, 15), B);
    EXPECT_EQ(qAlpha(one->image().pixel(0, 0)), 0);
    // Not shared: the record gives its handle up.
    EXPECT_FALSE(icon.GetImage(1).HasHandle());
  }
  TExIcon other;
  other.assign(&icon);
  EXPECT_EQ(&other.GetImage(1), &icon.GetImage(1));
  const std::unique_ptr<TIcon> copy = other.ReleaseHandle();
  EXPECT_EQ(copy->bitCount(), 8);
  // Shared: the image keeps its handle, for both holders.
  EXPECT_TRUE(icon.GetImage(1).HasHandle());
  // The PNG image hands over its PNG.
  icon.SetCurrent(4);
  const std::unique_ptr<TIcon> png = icon.ReleaseHandle();
  EXPECT_EQ(png->width(), 48);
  EXPECT_EQ(png->icoBytes().mid(22), iconsamples::png(48));
  // An index set out of range is refused where it is used.
  icon.SetCurrent(9);
  EXPECT_THROW((void)icon.ReleaseHandle(), ERangeError);
  // An image without data gives an empty icon.
  TExIcon fresh;
  EXPECT_TRUE(fresh.ReleaseHandle()->empty());
}

TEST(ExIcon, DecodesEveryDepthWithItsMask) {
  auto first = [](const QByteArray &body) {
    Entry e;
    e.body = body;
    TExIcon icon;
    icon.loadFromBytes(iconsamples::file(1, {e}));
    return icon.GetImage(0).Decode();
  };
  for (int bits : {1, 4, 8, 24, 32}) {
    const QImage img = first(iconsamples::square(8, bits));
    ASSERT_FALSE(img.isNull()) << bits;
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << bits;
    EXPECT_EQ(img.pixel(1, 7), A) << bits;
    EXPECT_EQ(img.pixel(7, 0), B) << bits;
  }
  // 5-5-5 words widen to 8 bits per channel by shifting.
  const QImage w16 = first(iconsamples::square(8, 16));
  EXPECT_EQ(w16.pixel(1, 1), qRgb(200, 24, 88));
  // A 32-bit image whose alpha is all zero takes the mask.
  iconsamples::DibLayout s;
  s.width = s.height = 4;
  s.bitCount = 32;
  s.pixel = [](int, int) { return A & 0x00FFFFFFu; };
  s.transparent = [](int x, int) { return x == 3; };
  const QImage noAlpha = first(iconsamples::dib(s));
  EXPECT_EQ(noAlpha.pixel(0, 0), A);
  EXPECT_EQ(qAlpha(noAlpha.pixel(3, 2)), 0);
}

TEST(ExIcon, DrawsThirtyTwoBitImagesWithTheirAlpha) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  icon.SetCurrent(3);
  QImage canvas(32, 32, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    icon.draw(p, QRect(0, 0, 32, 32));
  }
  EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255)); // transparent pixel, stretched twice
  EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(2, 2), A | 0xFF000000u);
  EXPECT_EQ(canvas.pixel(31, 31), B | 0xFF000000u);
}

TEST(ExIcon, CursorFilesKeepTheirHotSpots) {
  // A real cursor file: the hot spot sits in the directory, the image starts with its header.
  Entry e = iconsamples::squareEntry(32, 4);
  e.planes = 5;
  e.bitCount = 27;
  const QByteArray cur = iconsamples::file(2, {e});
  TExIconCursor cursor;
  cursor.loadFromBytes(cur);
  ASSERT_EQ(cursor.GetImageCount(), 1);
  EXPECT_EQ(cursor.GetImage(0).HotSpot(), QPoint(5, 27));
  EXPECT_EQ(cursor.GetImage(0).DepthCode(), 2);
  EXPECT_FALSE(cursor.GetImage(0).Decode().isNull());
  // Written back in the same layout: the hot spot in the directory.
  const QByteArray out = saved(cursor);
  EXPECT_EQ(u16At(out, 2), 2);
  EXPECT_EQ(u16At(out, 6 + 4), 5);
  EXPECT_EQ(u16At(out, 6 + 6), 27);
  EXPECT_EQ(u32At(out, 22), 40u);
  EXPECT_EQ(out.mid(22), e.body.replace(20, 4, QByteArray(4, '\0')));

  // The resource layout (hot spot in front of the header, as the old writer stored it) reads
  // too, whatever the directory says.
  Entry resource = iconsamples::squareEntry(32, 4);
  resource.body = iconsamples::u32s({(9u << 16) | 40u}) + resource.body;
  TExIconCursor old;
  old.loadFromBytes(iconsamples::file(2, {resource}));
  EXPECT_EQ(old.GetImage(0).HotSpot(), QPoint(40, 9));
  EXPECT_EQ(old.GetImage(0).DepthCode(), 2);
  EXPECT_FALSE(old.GetImage(0).Decode().isNull());
}

TEST(ExIcon, AssignSharesImagesOrRebuildsFromOtherPictures) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  icon.SetCurrent(2);
  TExIcon copy;
  int changes = 0;
  copy.onChange = [&] { ++changes; };
  copy.assign(&icon);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.GetImageCount(), 5);
  EXPECT_EQ(copy.GetCurrent(), 2);
  EXPECT_EQ(copy.TransparentColor(), RGB(254, 230, 248));
  EXPECT_EQ(saved(*copy.clone()), saved(icon));

  // Null: a fresh image of the same size and depth; the other holder keeps its own.
  copy.assign(nullptr);
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(copy.width(), 32);
  EXPECT_EQ(copy.GetImage(2).DepthCode(), 2);
  EXPECT_FALSE(icon.empty());

  // A bitmap: drawn at the image's size; its transparent colour becomes the mask.
  Dib dib(16, 16, 24);
  dib.fill(clRed);
  dib.setPixel(0, 15, clLime); // the bottom-left pixel: the bitmap's transparent colour
  dib.setPixel(5, 15, clLime);
  TBitmap bitmap(dib);
  TExIcon built;
  built.SetCurrent(0);
  built.assign(&bitmap);
  EXPECT_EQ(built.width(), 32);
  EXPECT_EQ(built.GetImage(0).DepthCode(), 2);
  const QImage img = built.GetImage(0).Decode();
  ASSERT_EQ(img.width(), 32);
  EXPECT_EQ(img.pixel(4, 4), qRgb(255, 0, 0));
  EXPECT_EQ(qAlpha(img.pixel(0, 31)), 0);
  EXPECT_EQ(qAlpha(img.pixel(11, 30)), 0);
  EXPECT_EQ(qAlpha(img.pixel(15, 30)), 255);
  // Which writes as an ordinary 4-bit icon.
  TExIcon back;
  back.loadFromBytes(saved(built));
  EXPECT_EQ(back.GetImage(0).Decode(), img);

  TBitmap empty;
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { built.assign(&empty); }),
            QStringLiteral("Invalid Bitmap"));
}

TEST(ExIcon, ThirtyTwoBitRebuildKeepsAlphaNotAWhiteBox) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  icon.SetCurrent(3); // 16 x 16 at 32 bits
  icon.setWidth(32);
  EXPECT_EQ(icon.width(), 32);
  EXPECT_EQ(icon.GetImage(3).DepthCode(), 7);
  const QImage img = icon.GetImage(3).Decode();
  ASSERT_EQ(img.size(), QSize(32, 16));
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);
  EXPECT_EQ(img.pixel(2, 0), A);
  EXPECT_EQ(img.pixel(31, 15), B);
}

TEST(ExIcon, PaletteSetsTheDepthAndRedraws) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  icon.SetCurrent(1); // 8 bits: a 256-entry table from the header
  ASSERT_NE(icon.palette(), nullptr);
  EXPECT_EQ(icon.palette()->size(), 256);
  EXPECT_EQ(icon.palette()->entry(1).toQRgb(), B);
  icon.SetPalette(TPalette({TRgbQuad::fromQRgb(A), TRgbQuad::fromQRgb(B)}));
  EXPECT_EQ(icon.GetImage(1).DepthCode(), 1);
  EXPECT_EQ(icon.palette()->size(), 2);
  const QImage img = icon.GetImage(1).Decode();
  EXPECT_EQ(img.pixel(3, 3), A);
  EXPECT_EQ(img.pixel(12, 3), B);
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  // A 32-bit image has none.
  icon.SetCurrent(3);
  EXPECT_EQ(icon.palette(), nullptr);
}

TEST(ExIcon, AssignsToABitmapOnItsTransparentColour) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  TBitmap bitmap;
  bitmap.assign(&icon);
  EXPECT_EQ(bitmap.width(), 16);
  EXPECT_EQ(bitmap.dib().bitCount(), 24);
  EXPECT_TRUE(bitmap.transparent());
  EXPECT_EQ(bitmap.transparentColor(), RGB(254, 230, 248));
  EXPECT_EQ(bitmap.dib().pixel(0, 0), RGB(254, 230, 248));
  EXPECT_EQ(bitmap.dib().pixel(15, 15), RGB(20, 140, 250));
}

TEST(ExIcon, ClipboardFormIsAPlainDibWithItsMask) {
  TExIcon icon;
  icon.loadFromBytes(mixedIcon());
  int format = 0;
  QByteArray data;
  icon.SaveToClipboardFormat(format, data);
  EXPECT_EQ(format, TExIconCursor::CF_DIB);
  EXPECT_EQ(u32At(data, 8), 16u); // height no longer doubled
  EXPECT_EQ(data.size(), 40 + 64 + 8 * 16 + 4 * 16);

  TExIcon pasted;
  pasted.LoadFromClipboardFormat(format, data);
  EXPECT_EQ(pasted.GetImage(0).Decode(), icon.GetImage(0).Decode());
  // Without a mask the image is opaque.
  pasted.LoadFromClipboardFormat(format, data.left(40 + 64 + 8 * 16));
  EXPECT_EQ(qAlpha(pasted.GetImage(0).Decode().pixel(0, 0)), 255);
  EXPECT_EQ(messageOf<EInvalidGraphic>([&] { pasted.LoadFromClipboardFormat(2, data); }),
            QStringLiteral("Unsupported clipboard format"));
  EXPECT_THROW(pasted.LoadFromClipboardFormat(format, data.left(60)), EInvalidGraphic);

  // A PNG image goes as 32 bits.
  icon.SetCurrent(4);
  icon.SaveToClipboardFormat(format, data);
  EXPECT_EQ(u16At(data, 14), 32);
  pasted.LoadFromClipboardFormat(format, data);
  EXPECT_EQ(pasted.width(), 48);
  EXPECT_EQ(pasted.GetImage(0).Decode(), icon.GetImage(4).Decode());

  // Through the desktop clipboard.
  icon.SetCurrent(1);
  icon.CopyToClipboard();
  TExIcon fromClipboard;
  fromClipboard.PasteFromClipboard();
  EXPECT_EQ(fromClipboard.GetImage(0).Decode(), icon.GetImage(1).Decode());
  EXPECT_EQ(fromClipboard.GetImage(0).DepthCode(), 3);
}
