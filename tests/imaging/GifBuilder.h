#pragma once

#include <QByteArray>
#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <vector>

// Writes small GIF files for the tests, independently of the program's own writer. The pixel
// data is LZW-coded without compression: literal codes only, with a clear code often enough that
// the code width never grows.
namespace gifbuilder {

struct Frame {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  std::vector<std::uint8_t> pixels; // colour indices, row by row
  int delayCs = 0;                  // hundredths of a second
  int disposal = 0;
  int transparentIndex = -1;
  std::vector<QRgb> localColors; // empty: the frame uses the global table
};

struct Image {
  int screenWidth = 1;
  int screenHeight = 1;
  std::vector<QRgb> globalColors; // empty: no global table
  int backgroundIndex = 0;
  std::vector<Frame> frames;
};

namespace detail {

inline int tableBits(std::size_t count) {
  int bits = 1;
  while ((std::size_t(1) << bits) < count && bits < 8)
    ++bits;
  return bits;
}

inline void put16(QByteArray &out, int v) {
  out.append(char(v & 0xFF));
  out.append(char((v >> 8) & 0xFF));
}

inline void putTable(QByteArray &out, const std::vector<QRgb> &colors, int bits) {
  for (int i = 0; i < (1 << bits); ++i) {
    const QRgb c = i < int(colors.size()) ? colors[std::size_t(i)] : qRgb(0, 0, 0);
    out.append(char(qRed(c)));
    out.append(char(qGreen(c)));
    out.append(char(qBlue(c)));
  }
}

inline void putPixels(QByteArray &out, const std::vector<std::uint8_t> &pixels, int minCodeSize) {
  const int clear = 1 << minCodeSize;
  const int width = minCodeSize + 1;
  const int perChunk = (1 << minCodeSize) - 3;
  std::vector<std::uint8_t> bytes;
  std::uint32_t acc = 0;
  int nbits = 0;
  auto putCode = [&](int code) {
    acc |= std::uint32_t(code) << nbits;
    nbits += width;
    while (nbits >= 8) {
      bytes.push_back(std::uint8_t(acc & 0xFF));
      acc >>= 8;
      nbits -= 8;
    }
  };
  putCode(clear);
  int inChunk = 0;
  for (std::uint8_t p : pixels) {
    if (inChunk == perChunk) {
      putCode(clear);
      inChunk = 0;
    }
    putCode(p);
    ++inChunk;
  }
  putCode(clear + 1);
  if (nbits > 0)
    bytes.push_back(std::uint8_t(acc & 0xFF));
  out.append(char(minCodeSize));
  for (std::size_t i = 0; i < bytes.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, bytes.size() - i);
    out.append(char(n));
    out.append(reinterpret_cast<const char *>(bytes.data() + i), qsizetype(n));
  }
  out.append(char(0));
}

} // namespace detail

inline QByteArray build(const Image &image) {
  using namespace detail;
  QByteArray out("GIF89a");
  put16(out, image.screenWidth);
  put16(out, image.screenHeight);
  const bool global = !image.globalColors.empty();
  const int gbits = global ? tableBits(image.globalColors.size()) : 1;
  out.append(char((global ? 0x80 : 0) | 0x70 | (global ? gbits - 1 : 0)));
  out.append(char(image.backgroundIndex));
  out.append(char(0));
  if (global)
    putTable(out, image.globalColors, gbits);
  for (const Frame &f : image.frames) {
    out.append("\x21\xF9\x04", 3);
    out.append(char(((f.disposal & 7) << 2) | (f.transparentIndex >= 0 ? 1 : 0)));
    put16(out, f.delayCs);
    out.append(char(f.transparentIndex >= 0 ? f.transparentIndex : 0));
    out.append(char(0));
    out.append(char(0x2C));
    put16(out, f.left);
    put16(out, f.top);
    put16(out, f.width);
    put16(out, f.height);
    const bool local = !f.localColors.empty();
    const int lbits = local ? tableBits(f.localColors.size()) : 0;
    out.append(char(local ? 0x80 | (lbits - 1) : 0));
    if (local)
      putTable(out, f.localColors, lbits);
    const int bits = local ? lbits : (global ? gbits : 8);
    putPixels(out, f.pixels, std::max(2, bits));
  }
  out.append(char(0x3B));
  return out;
}

// A frame of one colour index.
inline Frame solid(int left, int top, int width, int height, std::uint8_t index) {
  Frame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.pixels.assign(std::size_t(width * height), index);
  return f;
}

} // namespace gifbuilder
