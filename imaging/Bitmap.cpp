#include "imaging/Bitmap.h"

#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"
#include "imaging/DibRowConverter.h"
#include "imaging/DrawUtils.h"
#include "platform/Errors.h"

#include <QPainter>

#include <algorithm>

TBitmap::TBitmap(Dib dib) : m_dib(std::move(dib)) {}

TBitmap::TBitmap(const TBitmap &other)
    : TGraphic(), m_dib(other.m_dib), m_original(other.m_original),
      m_transparentColor(other.m_transparentColor), m_transparentMode(other.m_transparentMode) {
  TGraphic::setTransparent(other.transparent());
}

void TBitmap::loadFromStream(QIODevice &stream) {
  const QByteArray bytes = stream.readAll();
  Dib dib = bytes.isEmpty() ? Dib() : bmpfile::read(bytes);
  {
    std::lock_guard l(m_canvasLock);
    m_dib = std::move(dib);
    // A file this program reads is written back as it came, whatever layout its writer chose.
    m_original = bytes;
  }
  changed();
}

void TBitmap::saveToStream(QIODevice &stream) const {
  if (m_dib.empty())
    return;
  byteio::writeAll(stream, m_original.isEmpty() ? bmpfile::write(m_dib) : m_original);
}

void TBitmap::draw(QPainter &painter, const QRect &rect) const {
  if (empty() || rect.isEmpty())
    return;
  std::lock_guard l(m_canvasLock);
  if (transparent()) {
    TransparentStretchBitmap(painter, *this, transparentColor(), rect.x(), rect.y(), rect.width(),
                             rect.height(), 0, 0, width(), height());
    return;
  }
  TransparentStretchBitmap(painter, *this, clNone, rect.x(), rect.y(), rect.width(), rect.height(),
                           0, 0, width(), height());
}

std::unique_ptr<TGraphic> TBitmap::clone() const { return std::make_unique<TBitmap>(*this); }

void TBitmap::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    replaceDib(Dib());
    return;
  }
  if (const auto *b = dynamic_cast<const TBitmap *>(source)) {
    {
      std::lock_guard l(m_canvasLock);
      m_dib = b->m_dib;
      m_original = b->m_original;
      m_transparentColor = b->m_transparentColor;
      m_transparentMode = b->m_transparentMode;
    }
    TGraphic::setTransparent(b->transparent());
    changed();
    return;
  }
  TGraphic::assign(source);
}

const TPalette *TBitmap::palette() const {
  if (m_dib.empty() || m_dib.bitCount() > 8)
    return nullptr;
  return &m_dib.palette();
}

void TBitmap::setWidth(int value) { setSize(value, height()); }

void TBitmap::setHeight(int value) { setSize(width(), value); }

void TBitmap::setSize(int w, int h) {
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == width() && h == height())
    return;
  // A fresh bitmap takes the display's depth (32 bits here); a sized one keeps its own.
  const int bits = m_dib.bitCount() ? m_dib.bitCount() : 32;
  Dib resized(w, h, bits);
  if (bits <= 8)
    resized.setPalette(m_dib.bitCount() ? m_dib.palette() : resized.palette());
  if (m_dib.compression() == Dib::BI_BITFIELDS) {
    const auto m = m_dib.channelMasks();
    resized.setBitFields(m[0], m[1], m[2]);
  }
  const int rows = std::min(h, height());
  const qsizetype bytes = std::min(resized.stride(), m_dib.stride());
  for (int y = 0; y < rows; ++y)
    std::copy_n(m_dib.row(y), bytes, resized.row(y));
  replaceDib(std::move(resized));
}

QImage TBitmap::toImage() const {
  std::lock_guard l(m_canvasLock);
  QImage image = m_dib.toQImage(m_dib.alphaMask() != 0);
  return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QImage TBitmap::renderScaled(const QSize &size, const QRect &part) const {
  std::lock_guard l(m_canvasLock);
  if (empty())
    return {};
  TDibRowConverter rows(m_dib, m_dib.alphaMask() != 0);
  if (transparent())
    rows.setTransparentColor(TransparentKeyOf(*this, transparentColor()));
  return rows.stretched(size, part);
}

void TBitmap::setDib(Dib dib) { replaceDib(std::move(dib)); }

void TBitmap::replaceDib(Dib dib) {
  {
    std::lock_guard l(m_canvasLock);
    m_dib = std::move(dib);
    m_original.clear();
  }
  changed();
}

TBitmap::TPixelFormat TBitmap::pixelFormat() const {
  switch (m_dib.bitCount()) {
  case 1:
    return TPixelFormat::pf1bit;
  case 4:
    return TPixelFormat::pf4bit;
  case 8:
    return TPixelFormat::pf8bit;
  case 16:
    return m_dib.channelMasks()[1] == 0x03E0 ? TPixelFormat::pf15bit : TPixelFormat::pf16bit;
  case 24:
    return TPixelFormat::pf24bit;
  case 32:
    return TPixelFormat::pf32bit;
  default:
    return TPixelFormat::pfDevice;
  }
}

void TBitmap::setPixelFormat(TPixelFormat format) {
  if (format == pixelFormat())
    return;
  int bits = 32;
  switch (format) {
  case TPixelFormat::pf1bit:
    bits = 1;
    break;
  case TPixelFormat::pf4bit:
    bits = 4;
    break;
  case TPixelFormat::pf8bit:
    bits = 8;
    break;
  case TPixelFormat::pf15bit:
  case TPixelFormat::pf16bit:
    bits = 16;
    break;
  case TPixelFormat::pf24bit:
    bits = 24;
    break;
  case TPixelFormat::pfDevice:
  case TPixelFormat::pf32bit:
    bits = 32;
    break;
  }
  if (m_dib.empty()) {
    Dib d(0, 0, bits);
    if (format == TPixelFormat::pf16bit)
      d.setBitFields(0xF800, 0x07E0, 0x001F);
    replaceDib(std::move(d));
    return;
  }
  Dib converted = [&] {
    if (bits != 16)
      return m_dib.convertedTo(bits);
    // 16 bits: set the masks before the pixels go in.
    Dib d(m_dib.width(), m_dib.height(), 16);
    if (format == TPixelFormat::pf16bit)
      d.setBitFields(0xF800, 0x07E0, 0x001F);
    for (int y = 0; y < d.height(); ++y)
      for (int x = 0; x < d.width(); ++x)
        d.setPixel(x, y, m_dib.pixel(x, y));
    return d;
  }();
  replaceDib(std::move(converted));
}

void TBitmap::setMonochrome(bool value) {
  if (value == monochrome())
    return;
  if (value) {
    const TPalette bw = TPalette::blackWhite();
    replaceDib(m_dib.empty() ? Dib(0, 0, 1) : m_dib.convertedTo(1, &bw));
  } else {
    replaceDib(m_dib.empty() ? Dib() : m_dib.convertedTo(24));
  }
}

TColor TBitmap::transparentColor() const {
  if (m_dib.empty())
    return clDefault;
  if (m_transparentMode == TTransparentMode::tmAuto)
    return m_dib.pixel(0, m_dib.height() - 1);
  return m_transparentColor;
}

void TBitmap::setTransparentColor(TColor color) {
  if (color == clDefault) {
    setTransparentMode(TTransparentMode::tmAuto);
    return;
  }
  m_transparentColor = color;
  m_transparentMode = TTransparentMode::tmFixed;
  changed();
}

void TBitmap::setTransparentMode(TTransparentMode mode) {
  if (mode == m_transparentMode)
    return;
  // Fixing the mode fixes the colour the automatic mode gave.
  m_transparentColor = mode == TTransparentMode::tmAuto ? clDefault : transparentColor();
  m_transparentMode = mode;
  changed();
}

void TBitmap::paint(const std::function<void(QPainter &)> &painter) {
  if (empty() || !painter)
    return;
  {
    std::lock_guard l(m_canvasLock);
    const bool alpha = m_dib.alphaMask() != 0;
    QImage image = m_dib.toQImage(alpha);
    {
      QPainter p(&image);
      painter(p);
    }
    Dib drawn = Dib::fromQImage(image);
    if (alpha) {
      // A picture with alpha keeps it, now in the fourth byte.
      drawn.setAlphaMask(0xFF000000u);
    } else if (m_dib.bitCount() == 32) {
      // Drawing gives opaque pixels; keep the fourth byte as the display would leave it (0).
      for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
          drawn.row(y)[qsizetype(x) * 4 + 3] = 0;
    }
    Dib back =
        m_dib.bitCount() == 32 ? std::move(drawn) : drawn.convertedTo(m_dib.bitCount(), palette());
    if (m_dib.compression() == Dib::BI_BITFIELDS && m_dib.bitCount() == 16) {
      const auto m = m_dib.channelMasks();
      // NOLINTNEXTLINE(bugprone-use-after-move): only a 32-bit picture moved it.
      Dib d(drawn.width(), drawn.height(), 16);
      d.setBitFields(m[0], m[1], m[2]);
      for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x)
          d.setPixel(x, y, drawn.pixel(x, y));
      back = std::move(d);
    }
    back.xPelsPerMeter = m_dib.xPelsPerMeter;
    back.yPelsPerMeter = m_dib.yPelsPerMeter;
    back.clrUsed = m_dib.clrUsed;
    back.clrImportant = m_dib.clrImportant;
    m_dib = std::move(back);
    m_original.clear();
  }
  changed();
}
