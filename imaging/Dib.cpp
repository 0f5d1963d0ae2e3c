#include "imaging/Dib.h"

#include "imaging/DibRowConverter.h"
#include "platform/Errors.h"

#include <algorithm>
#include <bit>

namespace {

const QString NotValid = QStringLiteral("Bitmap image is not valid");

} // namespace

Dib::Channel Dib::Channel::of(std::uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0)
    return c;
  c.shift = std::countr_zero(mask);
  c.width = std::popcount(mask >> c.shift);
  return c;
}

std::uint8_t Dib::Channel::expand(std::uint32_t pixel) const {
  if (width == 0)
    return 0;
  const std::uint32_t v = (pixel & mask) >> shift;
  if (width >= 8)
    return std::uint8_t(v >> (width - 8));
  return std::uint8_t(v << (8 - width));
}

std::uint32_t Dib::Channel::compress(std::uint8_t value) const {
  if (width == 0)
    return 0;
  std::uint32_t v = value;
  if (width < 8)
    v >>= (8 - width);
  else
    v <<= (width - 8);
  return (v << shift) & mask;
}

bool Dib::isValidBitCount(int bitCount) {
  switch (bitCount) {
  case 1:
  case 4:
  case 8:
  case 16:
  case 24:
  case 32:
    return true;
  default:
    return false;
  }
}

qint64 Dib::rowSize(qint64 width, int bitCount) { return ((width * bitCount + 31) / 32) * 4; }

bool Dib::sizeAllowed(qint64 width, qint64 height) {
  return width >= 0 && height >= 0 && width <= MaxDimension && height <= MaxDimension &&
         width * height <= MaxPixels;
}

Dib::Dib(int width, int height, int bitCount) {
  if (!isValidBitCount(bitCount) || !sizeAllowed(width, height))
    throw EInvalidGraphic(NotValid);
  m_width = width;
  m_height = height;
  m_bitCount = bitCount;
  m_stride = int(rowSize(width, bitCount));
  m_bits.assign(std::size_t(qint64(m_stride) * height), 0);
  if (bitCount == 1)
    m_palette = TPalette::blackWhite();
  else if (bitCount <= 8)
    m_palette.resize(1 << bitCount);
}

void Dib::setBitFields(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  if (m_bitCount != 16 && m_bitCount != 32)
    return;
  m_masks = {red, green, blue};
  m_compression = BI_BITFIELDS;
}

void Dib::setAlphaMask(std::uint32_t mask) {
  if (m_bitCount == 32)
    m_alphaMask = mask;
}

std::array<std::uint32_t, 3> Dib::channelMasks() const {
  if (m_compression == BI_BITFIELDS)
    return m_masks;
  if (m_bitCount == 16)
    return {0x7C00, 0x03E0, 0x001F};
  if (m_bitCount >= 24)
    return {0xFF0000, 0x00FF00, 0x0000FF};
  return {0, 0, 0};
}

int Dib::pixelIndex(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    return 0;
  const std::uint8_t *r = row(y);
  switch (m_bitCount) {
  case 1:
    return (r[x >> 3] >> (7 - (x & 7))) & 1;
  case 4:
    return (x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4);
  case 8:
    return r[x];
  default:
    return 0;
  }
}

void Dib::setPixelIndex(int x, int y, int index) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    return;
  std::uint8_t *r = row(y);
  switch (m_bitCount) {
  case 1: {
    const auto bit = std::uint8_t(0x80 >> (x & 7));
    r[x >> 3] = (index & 1) ? std::uint8_t(r[x >> 3] | bit) : std::uint8_t(r[x >> 3] & ~bit);
    break;
  }
  case 4:
    if (x & 1)
      r[x >> 1] = std::uint8_t((r[x >> 1] & 0xF0) | (index & 0x0F));
    else
      r[x >> 1] = std::uint8_t((r[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
    break;
  case 8:
    r[x] = std::uint8_t(index);
    break;
  default:
    break;
  }
}

TColor Dib::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    return clNone;
  const std::uint8_t *r = row(y);
  switch (m_bitCount) {
  case 1:
  case 4:
  case 8:
    return m_palette.entry(pixelIndex(x, y)).toColor();
  case 24: {
    const std::uint8_t *p = r + qsizetype(x) * 3;
    return RGB(p[2], p[1], p[0]);
  }
  case 16:
  case 32: {
    std::uint32_t v = 0;
    if (m_bitCount == 16)
      v = std::uint32_t(r[x * 2]) | (std::uint32_t(r[x * 2 + 1]) << 8);
    else {
      const std::uint8_t *p = r + qsizetype(x) * 4;
      v = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
          (std::uint32_t(p[3]) << 24);
    }
    const auto m = channelMasks();
    return RGB(Channel::of(m[0]).expand(v), Channel::of(m[1]).expand(v),
               Channel::of(m[2]).expand(v));
  }
  default:
    return clNone;
  }
}

void Dib::setPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    return;
  const TColor c = ColorToRGB(color) & 0x00FFFFFF;
  std::uint8_t *r = row(y);
  switch (m_bitCount) {
  case 1:
  case 4:
  case 8:
    setPixelIndex(x, y, std::max(0, m_palette.nearestIndex(c)));
    break;
  case 24: {
    std::uint8_t *p = r + qsizetype(x) * 3;
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
    break;
  }
  case 16:
  case 32: {
    const auto m = channelMasks();
    const std::uint32_t v = Channel::of(m[0]).compress(GetRValue(c)) |
                            Channel::of(m[1]).compress(GetGValue(c)) |
                            Channel::of(m[2]).compress(GetBValue(c));
    if (m_bitCount == 16) {
      r[x * 2] = std::uint8_t(v);
      r[x * 2 + 1] = std::uint8_t(v >> 8);
    } else {
      std::uint8_t *p = r + qsizetype(x) * 4;
      p[0] = std::uint8_t(v);
      p[1] = std::uint8_t(v >> 8);
      p[2] = std::uint8_t(v >> 16);
      p[3] = std::uint8_t(v >> 24);
    }
    break;
  }
  default:
    break;
  }
}

int Dib::alpha(int x, int y) const {
  if (m_bitCount != 32 || x < 0 || y < 0 || x >= m_width || y >= m_height)
    return 255;
  const std::uint8_t *p = row(y) + qsizetype(x) * 4;
  if (m_alphaMask == 0)
    return p[3];
  const std::uint32_t v = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) |
                          (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
  return Channel::of(m_alphaMask).expand(v);
}

void Dib::fill(TColor color) {
  if (empty())
    return;
  for (int x = 0; x < m_width; ++x)
    setPixel(x, 0, color);
  for (int y = 1; y < m_height; ++y)
    std::copy_n(row(0), m_stride, row(y));
}

Dib Dib::convertedTo(int bitCount, const TPalette *palette) const {
  Dib out(m_width, m_height, bitCount);
  out.xPelsPerMeter = xPelsPerMeter;
  out.yPelsPerMeter = yPelsPerMeter;
  if (bitCount <= 8) {
    if (palette)
      out.setPalette(*palette);
    else if (!m_palette.empty() && m_bitCount <= bitCount)
      out.setPalette(m_palette);
    else
      out.setPalette(TPalette::greyRamp(bitCount));
  }
  const bool sameTable = m_bitCount <= 8 && bitCount <= 8 && out.palette() == m_palette &&
                         m_palette.size() <= (1 << bitCount);
  for (int y = 0; y < m_height; ++y)
    for (int x = 0; x < m_width; ++x) {
      if (sameTable)
        out.setPixelIndex(x, y, pixelIndex(x, y));
      else
        out.setPixel(x, y, pixel(x, y));
    }
  return out;
}

QImage Dib::toQImage(bool keepAlpha) const {
  if (empty())
    return {};
  const TDibRowConverter rows(*this, keepAlpha);
  return rows.image();
}

Dib Dib::fromQImage(const QImage &image) {
  if (image.isNull() || !sizeAllowed(image.width(), image.height()))
    return {};
  const QImage src = image.convertToFormat(QImage::Format_ARGB32);
  Dib out(src.width(), src.height(), 32);
  for (int y = 0; y < src.height(); ++y) {
    const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
    std::uint8_t *p = out.row(y);
    for (int x = 0; x < src.width(); ++x, p += 4) {
      p[0] = std::uint8_t(qBlue(in[x]));
      p[1] = std::uint8_t(qGreen(in[x]));
      p[2] = std::uint8_t(qRed(in[x]));
      p[3] = std::uint8_t(qAlpha(in[x]));
    }
  }
  return out;
}
