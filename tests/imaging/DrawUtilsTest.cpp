#include "imaging/DrawUtils.h"
#include "imaging/Bitmap.h"
#include "platform/Errors.h"
#include "tests/imaging/PictureSamples.h"

#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

using samples::Odd;
using samples::Other;

namespace {

constexpr QRgb Backdrop = qRgb(1, 99, 201);

QImage canvas(int w, int h) {
  QImage c(w, h, QImage::Format_RGB32);
  c.fill(Backdrop);
  return c;
}

// 16 x 16: a checkerboard of Odd and Other cells of one pixel; the bottom-left pixel is Other.
TBitmap checker() {
  Dib d(16, 16, 24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      d.setPixel(x, y, ((x + y) % 2) ? Other : Odd);
  return TBitmap(std::move(d));
}

} // namespace

TEST(TransparentStretch, DefaultKeyIsTheBottomLeftPixelAndStretchingNeverBlends) {
  const TBitmap b = checker();
  ASSERT_EQ(b.dib().pixel(0, 15), Other);
  QImage c = canvas(32, 32);
  {
    QPainter p(&c);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true); // the routine turns it off
    TransparentStretchBitmap(p, b, clDefault, 0, 0, 32, 32, 0, 0, 16, 16);
  }
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool keyed = ((x / 2 + y / 2) % 2) == 1;
      ASSERT_EQ(c.pixel(x, y), keyed ? Backdrop : ColorToQRgb(Odd)) << x << "," << y;
    }
}

TEST(TransparentStretch, NoneCopiesEverythingAndSizesDefaultToTheBitmaps) {
  const TBitmap b = checker();
  QImage c = canvas(40, 40);
  {
    QPainter p(&c);
    TransparentStretchBitmap(p, b, clNone, 4, 4, 0, 0, 0, 0, 0, 0);
  }
  EXPECT_EQ(c.pixel(4, 4), ColorToQRgb(Odd));
  EXPECT_EQ(c.pixel(5, 4), ColorToQRgb(Other));
  EXPECT_EQ(c.pixel(19, 19), ColorToQRgb(Odd));
  EXPECT_EQ(c.pixel(20, 20), Backdrop); // drawn at the bitmap's own size
  EXPECT_EQ(c.pixel(3, 3), Backdrop);
}

TEST(TransparentStretch, SourceRectanglesAreTakenAndClamped) {
  Dib d(4, 1, 24);
  d.setPixel(0, 0, Odd);
  d.setPixel(1, 0, Other);
  d.setPixel(2, 0, clWhite);
  d.setPixel(3, 0, clBlack);
  const TBitmap b(std::move(d));
  QImage c = canvas(8, 2);
  {
    QPainter p(&c);
    TransparentStretchBitmapRect(p, 0, 0, 4, 1, TRect{1, 0, 3, 1}, b, clNone);
    // Reaching past the right edge: only the pixels that exist are used.
    TransparentStretchBitmap(p, b, clNone, 0, 1, 2, 1, 3, 0, 5, 1);
  }
  EXPECT_EQ(c.pixel(0, 0), ColorToQRgb(Other));
  EXPECT_EQ(c.pixel(1, 0), ColorToQRgb(Other));
  EXPECT_EQ(c.pixel(2, 0), qRgb(255, 255, 255));
  EXPECT_EQ(c.pixel(0, 1), qRgb(0, 0, 0));
  EXPECT_EQ(c.pixel(1, 1), qRgb(0, 0, 0));
}

TEST(TransparentStretch, MonochromeLeavesWhiteOutAndEmptyDrawsNothing) {
  Dib m(2, 1, 1);
  m.setPixelIndex(0, 0, 1); // white
  const TBitmap mono(std::move(m));
  QImage c = canvas(2, 1);
  {
    QPainter p(&c);
    TransparentStretchBitmap(p, mono, Odd, 0, 0, 2, 1, 0, 0, 2, 1);
  }
  EXPECT_EQ(c.pixel(0, 0), Backdrop);
  EXPECT_EQ(c.pixel(1, 0), qRgb(0, 0, 0));

  const TBitmap empty;
  QImage e = canvas(2, 2);
  {
    QPainter p(&e);
    TransparentStretchBitmap(p, empty, clDefault, 0, 0, 2, 2, 0, 0, 0, 0);
  }
  EXPECT_EQ(e.pixel(0, 0), Backdrop);
}

TEST(TransparentStretch, SystemColourKeysResolveThroughTheTable) {
  systemcolors::resetToDefaults();
  Dib d(2, 1, 24);
  d.setPixel(0, 0, clWhite); // clWindow's default
  d.setPixel(1, 0, Odd);
  const TBitmap b(std::move(d));
  QImage c = canvas(2, 1);
  {
    QPainter p(&c);
    TransparentStretchBitmap(p, b, clWindow, 0, 0, 2, 1, 0, 0, 2, 1);
  }
  EXPECT_EQ(c.pixel(0, 0), Backdrop);
  EXPECT_EQ(c.pixel(1, 0), ColorToQRgb(Odd));
}

TEST(DrawUtils, SmallRoutines) {
  EXPECT_EQ(Max(3, 3), 3);
  EXPECT_EQ(Min(3, 3), 3);
  EXPECT_EQ(Max(-1, 0), 0);
  EXPECT_EQ(Min(-1, 0), -1);
  EXPECT_EQ(RectWidth(TRect{2, 3, 10, 4}), 8);
  EXPECT_EQ(RectHeight(TRect{2, 3, 10, 4}), 1);
  EXPECT_EQ(PaletteColor(Odd), 0x02000000u | Odd);
  EXPECT_EQ(ResourceText(QStringLiteral("HANDCUR")), QStringLiteral("HANDCUR"));

  auto none = AllocZeroedBlock(0);
  EXPECT_EQ(none, nullptr);
  FreeBlock(none);
  EXPECT_EQ(AllocZeroedBlock(-4), nullptr);
  auto block = AllocZeroedBlock(16);
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(block[std::size_t(i)], 0);
  EXPECT_EQ(OffsetPointer(block.get(), 5), block.get() + 5);
  FreeBlock(block);
  EXPECT_EQ(block, nullptr);

  const std::uint8_t a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (std::size_t n = 0; n < 8; ++n) {
    std::uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_TRUE(CompareMem(a, b, n));
    if (n > 0) {
      b[n - 1] = 99;
      EXPECT_FALSE(CompareMem(a, b, n)) << n;
    }
  }

  std::uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  MoveMemory(row + 2, row, 5); // overlapping, forwards
  const std::uint8_t expected[8] = {1, 2, 1, 2, 3, 4, 5, 8};
  EXPECT_TRUE(CompareMem(row, expected, 8));
}

TEST(DrawUtils, CursorsAndTheNotImplementedReport) {
  EXPECT_EQ(ScreenCursor(crHandCursor).shape(), Qt::PointingHandCursor);
  EXPECT_EQ(ScreenCursor(14001).shape(), Qt::ClosedHandCursor);
  EXPECT_EQ(ScreenCursor(1).shape(), Qt::ArrowCursor);

  QStringList shown;
  const errors::ScopedInfoReporter reporter([&](const QString &m) { shown << m; });
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  EXPECT_THROW(ReportNotImplemented(), EAbort);
  EXPECT_EQ(shown, QStringList{QStringLiteral("Function not yet implemented")});
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
