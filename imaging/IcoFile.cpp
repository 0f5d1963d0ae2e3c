#include "imaging/IcoFile.h"

#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace icofile {
namespace {

constexpr int PreferredSize = 32;
constexpr int MaxIconSize = 1024;
const char PngSignature[8] = {char(0x89), 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void fail() { throw EInvalidGraphic(InvalidText); }

const std::uint8_t *bytesOf(const QByteArray &file, const Entry &e) {
  return reinterpret_cast<const std::uint8_t *>(file.constData()) + e.offset;
}

bool isPng(const QByteArray &file, const Entry &e) {
  return e.size >= 8 && std::memcmp(bytesOf(file, e), PngSignature, 8) == 0;
}

// Width, height and bit count an entry's own data claims (0s when it cannot say).
struct Shape {
  int width = 0;
  int height = 0;
  int bitCount = 0;
};

Shape shapeOf(const QByteArray &file, const Entry &e) {
  const std::uint8_t *p = bytesOf(file, e);
  if (isPng(file, e)) {
    if (e.size < 24)
      return {};
    auto be32 = [](const std::uint8_t *q) {
      return int((std::uint32_t(q[0]) << 24) | (q[1] << 16) | (q[2] << 8) | q[3]);
    };
    return {be32(p + 16), be32(p + 20), 32};
  }
  if (e.size < 16 || byteio::u32(p) < 40)
    return {e.width ? e.width : 256, e.height ? e.height : 256, 0};
  return {byteio::i32(p + 4), byteio::i32(p + 8) / 2, byteio::u16(p + 14)};
}

} // namespace

Directory parse(const QByteArray &file, int type) {
  const auto *data = reinterpret_cast<const std::uint8_t *>(file.constData());
  const qsizetype size = file.size();
  if (size < 6)
    fail();
  Directory d;
  d.type = byteio::u16(data + 2);
  const int count = byteio::u16(data + 4);
  if ((type != 0 && d.type != type) || (d.type != 1 && d.type != 2) || count == 0)
    fail();
  if (6 + qsizetype(count) * 16 > size)
    fail();
  d.entries.reserve(std::size_t(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t *p = data + 6 + i * 16;
    Entry e;
    e.width = p[0];
    e.height = p[1];
    e.colorCount = p[2];
    e.reserved = p[3];
    e.planes = byteio::u16(p + 4);
    e.bitCount = byteio::u16(p + 6);
    e.size = byteio::u32(p + 8);
    e.offset = byteio::u32(p + 12);
    if (e.size < 8 || qint64(e.offset) + qint64(e.size) > size)
      fail();
    d.entries.push_back(e);
  }
  return d;
}

Image decode(const QByteArray &file, const Entry &e) {
  if (e.size < 8 || qint64(e.offset) + qint64(e.size) > file.size())
    fail();
  const std::uint8_t *data = bytesOf(file, e);
  const qsizetype size = qsizetype(e.size);
  Image out;
  if (isPng(file, e)) {
    const Shape s = shapeOf(file, e);
    if (s.width <= 0 || s.height <= 0 || s.width > MaxIconSize || s.height > MaxIconSize)
      fail();
    QImage png = QImage::fromData(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), size), "PNG");
    if (png.isNull())
      fail();
    out.image = png.convertToFormat(QImage::Format_ARGB32);
    out.bitCount = 32;
    out.png = true;
    return out;
  }

  const DibHeader h = bmpfile::parseHeader(data, size, InvalidText);
  // The header's height covers the colour rows and the mask rows.
  if (h.height < 2 || h.width <= 0 || !h.isPlain() || h.width > MaxIconSize ||
      h.height / 2 > MaxIconSize)
    fail();
  const int rows = h.height / 2;
  out.colors = bmpfile::decodePixels(h, data, size, h.end, rows, InvalidText);
  out.bitCount = h.bitCount;
  const qint64 maskStride = Dib::rowSize(h.width, 1);
  const qint64 maskOffset = h.end + qint64(out.colors.stride()) * rows;
  // Some writers leave the mask out; such an image is fully opaque.
  const bool haveMask = maskOffset + maskStride * rows <= size;

  QImage image = out.colors.toQImage(true).convertToFormat(QImage::Format_ARGB32);
  bool alphaUsed = false;
  if (h.bitCount == 32)
    for (int y = 0; y < rows && !alphaUsed; ++y)
      for (int x = 0; x < h.width; ++x)
        if (out.colors.alpha(x, y) != 0) {
          alphaUsed = true;
          break;
        }
  for (int y = 0; y < rows && !alphaUsed; ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    const std::uint8_t *mask =
        haveMask ? data + maskOffset + qint64(rows - 1 - y) * maskStride : nullptr;
    for (int x = 0; x < h.width; ++x) {
      const bool transparent = mask && ((mask[x >> 3] >> (7 - (x & 7))) & 1);
      line[x] = transparent ? 0 : (line[x] | 0xFF000000u);
    }
  }
  out.image = image;
  return out;
}

int preferredEntry(const QByteArray &file, const Directory &directory) {
  int best = -1;
  qint64 bestDistance = 0;
  int bestBits = 0;
  for (int i = 0; i < int(directory.entries.size()); ++i) {
    const Shape s = shapeOf(file, directory.entries[std::size_t(i)]);
    // The sizes come from the data unchecked: 64-bit arithmetic cannot overflow on them.
    const qint64 distance =
        std::abs(qint64(s.width) - PreferredSize) + std::abs(qint64(s.height) - PreferredSize);
    if (best < 0 || distance < bestDistance ||
        (distance == bestDistance && s.bitCount > bestBits)) {
      best = i;
      bestDistance = distance;
      bestBits = s.bitCount;
    }
  }
  return best < 0 ? 0 : best;
}

QByteArray build(const QImage &source) {
  if (source.isNull() || source.width() > 256 || source.height() > 256)
    throw EInvalidGraphic(InvalidText);
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int w = image.width();
  const int h = image.height();
  Dib colors(w, h, 32);
  Dib mask(w, h, 1);
  for (int y = 0; y < h; ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    std::uint8_t *p = colors.row(y);
    for (int x = 0; x < w; ++x, p += 4) {
      p[0] = std::uint8_t(qBlue(line[x]));
      p[1] = std::uint8_t(qGreen(line[x]));
      p[2] = std::uint8_t(qRed(line[x]));
      p[3] = std::uint8_t(qAlpha(line[x]));
      mask.setPixelIndex(x, y, qAlpha(line[x]) < 128 ? 1 : 0);
    }
  }
  QByteArray dib = bmpfile::writePacked(colors, 2);
  for (int i = 0; i < h; ++i)
    dib.append(reinterpret_cast<const char *>(mask.bottomUpRow(i)), mask.stride());

  QByteArray out;
  byteio::putU16(out, 0);
  byteio::putU16(out, 1);
  byteio::putU16(out, 1);
  out.append(char(w >= 256 ? 0 : w)).append(char(h >= 256 ? 0 : h)).append('\0').append('\0');
  byteio::putU16(out, 1);
  byteio::putU16(out, 32);
  byteio::putU32(out, std::uint32_t(dib.size()));
  byteio::putU32(out, 6 + 16);
  out.append(dib);
  return out;
}

} // namespace icofile
