#include "imaging/DibRowConverter.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace {

std::atomic<std::int64_t> converted{0};

std::uint32_t word32(const std::uint8_t *p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}

// The source pixel a stretched pixel at `at` of `shown` takes: the one under its centre.
int sourceOf(int at, int shown, int source) {
  const auto s = (2 * std::int64_t{at} + 1) * source / (2 * std::int64_t{shown});
  return int(std::clamp<std::int64_t>(s, 0, source - 1));
}

} // namespace

TDibRowConverter::TDibRowConverter(const Dib &dib, bool keepAlpha)
    : m_dib(dib), m_bits(dib.bitCount()), m_keepAlpha(keepAlpha && dib.bitCount() == 32) {
  if (m_bits <= 8) {
    const TPalette &palette = dib.palette();
    // Entries beyond the table are black, as Dib::pixel() gives them.
    for (int i = 0; i < 256; ++i)
      m_table[std::size_t(i)] = palette.entry(i).toQRgb();
    return;
  }
  const auto masks = dib.channelMasks();
  m_red = Dib::Channel::of(masks[0]);
  m_green = Dib::Channel::of(masks[1]);
  m_blue = Dib::Channel::of(masks[2]);
  m_alpha = Dib::Channel::of(dib.alphaMask() ? dib.alphaMask() : 0xFF000000u);
  m_fastRgb32 = m_bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
                (!m_keepAlpha || m_alpha.mask == 0xFF000000u);
}

void TDibRowConverter::setTransparentIndex(int index) {
  if (m_bits > 8 || index < 0 || index > 255)
    return;
  m_table[std::size_t(index)] = 0;
  m_leavesOut = true;
}

void TDibRowConverter::setTransparentColor(TColor color) {
  const QRgb key = ColorToQRgb(ColorToRGB(color)) & 0x00FFFFFF;
  m_leavesOut = true;
  if (m_bits > 8) {
    m_keyed = true;
    m_key = key;
    return;
  }
  for (QRgb &entry : m_table)
    if (entry != 0 && (entry & 0x00FFFFFF) == key)
      entry = 0;
}

QImage::Format TDibRowConverter::format() const {
  if (m_keepAlpha)
    return QImage::Format_ARGB32;
  return m_leavesOut ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

QRgb TDibRowConverter::directPixel(const std::uint8_t *row, int x) const {
  switch (m_bits) {
  case 24: {
    const std::uint8_t *p = row + qsizetype(x) * 3;
    return leaveOut(qRgb(p[2], p[1], p[0]));
  }
  case 32: {
    const std::uint8_t *p = row + qsizetype(x) * 4;
    if (m_fastRgb32)
      return leaveOut(qRgba(p[2], p[1], p[0], m_keepAlpha ? p[3] : 255));
    const std::uint32_t v = word32(p);
    return leaveOut(qRgba(m_red.expand(v), m_green.expand(v), m_blue.expand(v),
                          m_keepAlpha ? m_alpha.expand(v) : 255));
  }
  case 16: {
    const std::uint32_t v = std::uint32_t(row[x * 2]) | (std::uint32_t(row[x * 2 + 1]) << 8);
    return leaveOut(qRgb(m_red.expand(v), m_green.expand(v), m_blue.expand(v)));
  }
  default:
    return 0;
  }
}

// Each depth has its own loop, so the choice is made once per row, not once per pixel.
void TDibRowConverter::convertRow(int y, QRgb *out) const {
  const std::uint8_t *r = m_dib.row(y);
  const int w = m_dib.width();
  switch (m_bits) {
  case 1:
    for (int x = 0; x < w; ++x)
      out[x] = m_table[(r[x >> 3] >> (7 - (x & 7))) & 1];
    break;
  case 4:
    for (int x = 0; x < w; ++x)
      out[x] = m_table[(x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4)];
    break;
  case 8:
    for (int x = 0; x < w; ++x)
      out[x] = m_table[r[x]];
    break;
  default:
    for (int x = 0; x < w; ++x)
      out[x] = directPixel(r, x);
    break;
  }
  converted.fetch_add(w, std::memory_order_relaxed);
}

void TDibRowConverter::convertColumns(int y, const int *columns, int count, QRgb *out) const {
  const std::uint8_t *r = m_dib.row(y);
  switch (m_bits) {
  case 1:
    for (int i = 0; i < count; ++i) {
      const int x = columns[i];
      out[i] = m_table[(r[x >> 3] >> (7 - (x & 7))) & 1];
    }
    break;
  case 4:
    for (int i = 0; i < count; ++i) {
      const int x = columns[i];
      out[i] = m_table[(x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4)];
    }
    break;
  case 8:
    for (int i = 0; i < count; ++i)
      out[i] = m_table[r[columns[i]]];
    break;
  default:
    for (int i = 0; i < count; ++i)
      out[i] = directPixel(r, columns[i]);
    break;
  }
  converted.fetch_add(count, std::memory_order_relaxed);
}

QImage TDibRowConverter::image() const {
  if (m_dib.empty())
    return {};
  QImage out(m_dib.width(), m_dib.height(), format());
  if (out.isNull())
    return {};
  for (int y = 0; y < m_dib.height(); ++y)
    convertRow(y, reinterpret_cast<QRgb *>(out.scanLine(y)));
  return out;
}

QImage TDibRowConverter::stretched(const QSize &size, const QRect &part) const {
  const QRect cut = part & QRect(QPoint(0, 0), size);
  if (m_dib.empty() || cut.isEmpty())
    return {};
  QImage out(cut.size(), format());
  if (out.isNull())
    return {};
  const int sw = m_dib.width();
  const int sh = m_dib.height();
  std::vector<int> columns(std::size_t(cut.width()));
  for (int i = 0; i < cut.width(); ++i)
    columns[std::size_t(i)] = sourceOf(cut.left() + i, size.width(), sw);
  const bool wholeRows = cut.left() == 0 && cut.width() == sw && size.width() == sw;
  int previous = -1;
  for (int j = 0; j < cut.height(); ++j) {
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(j));
    const int sy = sourceOf(cut.top() + j, size.height(), sh);
    // A row shown twice (a picture made larger) is converted once.
    if (sy == previous)
      std::memcpy(line, out.constScanLine(j - 1), std::size_t(cut.width()) * sizeof(QRgb));
    else if (wholeRows)
      convertRow(sy, line);
    else
      convertColumns(sy, columns.data(), cut.width(), line);
    previous = sy;
  }
  return out;
}

std::int64_t TDibRowConverter::convertedPixels() {
  return converted.load(std::memory_order_relaxed);
}
