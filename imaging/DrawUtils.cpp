#include "imaging/DrawUtils.h"

#include "imaging/Bitmap.h"
#include "platform/Errors.h"

#include <QGuiApplication>
#include <QPainter>
#include <QThread>

#include <cstring>

QCursor ScreenCursor(int cursor) {
  switch (cursor) {
  case crHandCursor:
    return QCursor(Qt::PointingHandCursor);
  case crDragCursor:
    return QCursor(Qt::ClosedHandCursor);
  default:
    return QCursor(Qt::ArrowCursor);
  }
}

void TransparentStretchBlt(QPainter &dst, int dstX, int dstY, int dstW, int dstH, const QImage &src,
                           int srcX, int srcY, int srcW, int srcH, TColor transparentColor,
                           const TPalette *) {
  // The original built a mask and an inverse mask from the source and combined them with the
  // destination by AND and OR, each stretched the same way. The same picture comes from an
  // alpha channel that is 0 exactly where the source has the key, applied before the stretch,
  // and a nearest-pixel stretch (no smoothing, so no blended edges).
  if (src.isNull() || dstW == 0 || dstH == 0)
    return;
  // Unlike the original, a source rectangle that reaches outside the picture is clamped.
  const QRect source = QRect(srcX, srcY, srcW, srcH).intersected(src.rect());
  if (source.isEmpty())
    return;
  QImage part = src.copy(source).convertToFormat(QImage::Format_ARGB32);
  if (transparentColor != clNone) {
    const QRgb key = ColorToQRgb(transparentColor) & 0x00FFFFFF;
    for (int y = 0; y < part.height(); ++y) {
      auto *line = reinterpret_cast<QRgb *>(part.scanLine(y));
      for (int x = 0; x < part.width(); ++x)
        if ((line[x] & 0x00FFFFFF) == key)
          line[x] = 0;
    }
  }
  dst.save();
  dst.setRenderHint(QPainter::SmoothPixmapTransform, false);
  dst.drawImage(QRect(dstX, dstY, dstW, dstH), part);
  dst.restore();
}

void TransparentStretchBitmap(QPainter &dst, const TBitmap &bitmap, TColor transparentColor,
                              int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW,
                              int srcH) {
  std::lock_guard l(bitmap.canvasLock());
  // An empty bitmap has no bottom-left pixel to take as the key; it draws nothing.
  if (bitmap.empty())
    return;
  if (dstW < 1)
    dstW = bitmap.width();
  if (dstH < 1)
    dstH = bitmap.height();
  if (srcW < 1 || srcH < 1) {
    srcX = 0;
    srcY = 0;
    srcW = bitmap.width();
    srcH = bitmap.height();
  }
  // A bitmap whose file declared an alpha mask draws with its alpha.
  const QImage image = bitmap.dib().toQImage(bitmap.dib().alphaMask() != 0);
  if (transparentColor == clNone) {
    TransparentStretchBlt(dst, dstX, dstY, dstW, dstH, image, srcX, srcY, srcW, srcH, clNone);
    return;
  }
  TransparentStretchBlt(dst, dstX, dstY, dstW, dstH, image, srcX, srcY, srcW, srcH,
                        TransparentKeyOf(bitmap, transparentColor), bitmap.palette());
}

TColor TransparentKeyOf(const TBitmap &bitmap, TColor transparentColor) {
  if (bitmap.monochrome())
    return clWhite;
  if (transparentColor == clDefault)
    return ColorToRGB(bitmap.dib().pixel(0, bitmap.height() - 1));
  return ColorToRGB(transparentColor);
}

void TransparentStretchBitmapRect(QPainter &dst, int dstX, int dstY, int dstW, int dstH,
                                  const TRect &srcRect, const TBitmap &bitmap,
                                  TColor transparentColor) {
  TransparentStretchBitmap(dst, bitmap, transparentColor, dstX, dstY, dstW, dstH, srcRect.left,
                           srcRect.top, RectWidth(srcRect), RectHeight(srcRect));
}

std::unique_ptr<std::uint8_t[]> AllocZeroedBlock(std::int64_t size) {
  if (size <= 0)
    return nullptr;
  return std::make_unique<std::uint8_t[]>(std::size_t(size));
}

void FreeBlock(std::unique_ptr<std::uint8_t[]> &block) { block.reset(); }

bool CompareMem(const void *a, const void *b, std::size_t length) {
  return length == 0 || std::memcmp(a, b, length) == 0;
}

void MoveMemory(void *destination, const void *source, std::size_t count) {
  if (count)
    std::memmove(destination, source, count);
}

void ReportNotImplemented() {
  // The screen has one cursor setting; clear every override so the default shows. Only the GUI
  // thread may touch it.
  if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
      QThread::currentThread() == QCoreApplication::instance()->thread()) {
    for (int i = 0; i < 64 && QGuiApplication::overrideCursor(); ++i)
      QGuiApplication::restoreOverrideCursor();
  }
  NotImplemented();
}
