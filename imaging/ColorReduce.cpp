#include "imaging/ColorReduce.h"

#include "imaging/BmpFile.h"
#include "imaging/ColorHistogram.h"
#include "imaging/DrawUtils.h"
#include "imaging/MedianCut.h"
#include "platform/Errors.h"

#include <array>
#include <cstdlib>

TReductionMethod DefaultReductionMethod = rmHistogram;

namespace {

constexpr std::array<uint8_t, 4> kLevels4 = {0, 85, 170, 255};
constexpr std::array<uint8_t, 6> kLevels6 = {0, 51, 102, 153, 204, 255};
constexpr std::array<uint8_t, 7> kLevels7 = {0, 43, 85, 128, 170, 213, 255};
constexpr std::array<uint8_t, 8> kLevels8 = {0, 36, 73, 109, 146, 182, 219, 255};

struct LevelTables {
  std::array<uint8_t, 256> n4{}, n6{}, n7{}, n8{};

  template <std::size_t N>
  static void build(std::array<uint8_t, 256> &table, const std::array<uint8_t, N> &levels) {
    for (int v = 0; v < 256; ++v) {
      std::size_t best = 0;
      for (std::size_t i = 1; i < N; ++i)
        if (std::abs(v - levels[i]) < std::abs(v - levels[best]))
          best = i;
      table[static_cast<std::size_t>(v)] = static_cast<uint8_t>(best);
    }
  }
  LevelTables() {
    build(n4, kLevels4);
    build(n6, kLevels6);
    build(n7, kLevels7);
    build(n8, kLevels8);
  }
};

const LevelTables &levelTables() {
  static const LevelTables tables;
  return tables;
}

constexpr TRgbQuad kGreyFill{128, 128, 128, 128};

// The 16 colours of the standard VGA palette, in the order Windows gives them.
TPalette vgaPalette() {
  static const uint8_t rgb[16][3] = {
      {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  std::vector<TRgbQuad> entries;
  for (const auto &c : rgb)
    entries.push_back(TRgbQuad::fromRgb(c[0], c[1], c[2]));
  return TPalette(std::move(entries));
}

Dib uniform(const Dib &src, int &important, bool is784) {
  const LevelTables &t = levelTables();
  Dib out(src.width(), src.height(), 8);
  std::vector<TRgbQuad> palette(256, kGreyFill);
  if (is784) {
    for (int i = 0; i < 224; ++i)
      palette[static_cast<std::size_t>(i)] = TRgbQuad::fromRgb(
          kLevels7[static_cast<std::size_t>(i / 32)], kLevels8[static_cast<std::size_t>(i / 4 % 8)],
          kLevels4[static_cast<std::size_t>(i % 4)]);
  } else {
    for (int i = 0; i < 216; ++i)
      palette[static_cast<std::size_t>(i)] = TRgbQuad::fromRgb(
          kLevels6[static_cast<std::size_t>(i / 36)], kLevels6[static_cast<std::size_t>(i / 6 % 6)],
          kLevels6[static_cast<std::size_t>(i % 6)]);
  }
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t *s = src.row(y);
    uint8_t *d = out.row(y);
    for (int x = 0; x < src.width(); ++x, s += 3) {
      const uint8_t b = s[0], g = s[1], r = s[2];
      d[x] = is784 ? static_cast<uint8_t>(32 * t.n7[r] + 4 * t.n8[g] + t.n4[b])
                   : static_cast<uint8_t>(36 * t.n6[r] + 6 * t.n6[g] + t.n6[b]);
    }
  }
  out.setPalette(TPalette(std::move(palette)));
  important = is784 ? 224 : 216;
  return out;
}

// Rows are counted from the first row in memory, which is the bottom of the picture.
Dib channelCycle(const Dib &src) {
  Dib out(src.width(), src.height(), 8);
  std::vector<TRgbQuad> palette(256);
  for (int i = 0; i < 64; ++i) {
    palette[static_cast<std::size_t>(i)] = TRgbQuad::fromRgb(static_cast<uint8_t>(4 * i), 0, 0);
    palette[static_cast<std::size_t>(64 + i)] =
        TRgbQuad::fromRgb(0, static_cast<uint8_t>(4 * i), 0);
    palette[static_cast<std::size_t>(128 + i)] =
        TRgbQuad::fromRgb(0, 0, static_cast<uint8_t>(4 * i));
  }
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t *s = src.bottomUpRow(y);
    uint8_t *d = out.bottomUpRow(y);
    for (int x = 0; x < src.width(); ++x, s += 3) {
      switch ((x + y) % 3) {
      case 0:
        d[x] = s[2] / 4;
        break;
      case 1:
        d[x] = static_cast<uint8_t>(64 + s[1] / 4);
        break;
      default:
        d[x] = static_cast<uint8_t>(128 + s[0] / 4);
        break;
      }
    }
  }
  out.setPalette(TPalette(std::move(palette)));
  return out;
}

Dib grayscale(const Dib &src) {
  Dib out(src.width(), src.height(), 8);
  for (int y = 0; y < src.height(); ++y) {
    const uint8_t *s = src.row(y);
    uint8_t *d = out.row(y);
    for (int x = 0; x < src.width(); ++x, s += 3)
      d[x] = static_cast<uint8_t>((77 * s[2] + 150 * s[1] + 29 * s[0]) / 256);
  }
  std::vector<TRgbQuad> palette;
  palette.reserve(256);
  for (int i = 0; i < 256; ++i)
    palette.push_back(TRgbQuad::fromRgb(static_cast<uint8_t>(i), static_cast<uint8_t>(i),
                                        static_cast<uint8_t>(i)));
  out.setPalette(TPalette(std::move(palette)));
  return out;
}

} // namespace

void InitLevelTables() { (void)levelTables(); }

int NearestLevel(int levels, int value) {
  const LevelTables &t = levelTables();
  const auto v = static_cast<std::size_t>(value & 255);
  switch (levels) {
  case 4:
    return t.n4[v];
  case 6:
    return t.n6[v];
  case 7:
    return t.n7[v];
  default:
    return t.n8[v];
  }
}

int BytesPerScanline(int width, int bitCount) {
  return static_cast<int>(Dib::rowSize(width, bitCount));
}

int ColorsOfBitCount(int bitCount) {
  switch (bitCount) {
  case 1:
    return 2;
  case 4:
    return 16;
  case 8:
    return 256;
  default:
    return 0;
  }
}

Dib ReduceTo8Bits(const Dib &bitmap, TReductionMethod method) {
  const Dib rgb = bitmap.bitCount() == 24 && bitmap.compression() == Dib::BI_RGB
                      ? bitmap
                      : bitmap.convertedTo(24);
  int important = 0;
  Dib out;
  switch (method) {
  case rmHistogram:
    out = ReduceByHistogram(rgb);
    break;
  case rmMedianCut:
    out = ReduceByMedianCut(rgb, important);
    break;
  case rmUniform784:
    out = uniform(rgb, important, true);
    break;
  case rmUniform666:
    out = uniform(rgb, important, false);
    break;
  case rmChannelCycle:
    out = channelCycle(rgb);
    break;
  case rmGrayscale:
    out = grayscale(rgb);
    break;
  }
  out.clrUsed = 0;
  out.clrImportant = static_cast<uint32_t>(important);
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  return out;
}

QByteArray BitmapToDIBStream(const Dib &bitmap, int targetBits, TReductionMethod method) {
  if (bitmap.empty())
    throw EInvalidGraphic(bmpfile::NotValidText);
  if (bitmap.bitCount() == targetBits && method != rmGrayscale)
    return bmpfile::write(bitmap);
  Dib out;
  switch (targetBits) {
  case 1: {
    const TPalette bw = TPalette::blackWhite();
    out = bitmap.convertedTo(1, &bw);
    break;
  }
  case 4: {
    const TPalette vga = vgaPalette();
    out = bitmap.convertedTo(4, &vga);
    break;
  }
  case 8:
    out = ReduceTo8Bits(bitmap, method);
    break;
  case 24:
    out = bitmap.convertedTo(24);
    break;
  default:
    ReportNotImplemented();
  }
  // A header of its own: nothing of the source's compression, table size or image size stays.
  out.clrUsed = 0;
  if (targetBits != 8)
    out.clrImportant = 0;
  out.xPelsPerMeter = bitmap.xPelsPerMeter;
  out.yPelsPerMeter = bitmap.yPelsPerMeter;
  return bmpfile::write(out);
}

QByteArray ReduceBitmapColors(const Dib &bitmap, int colorCount) {
  const int bits = colorCount <= 2 ? 1 : colorCount <= 16 ? 4 : colorCount <= 256 ? 8 : 24;
  return BitmapToDIBStream(bitmap, bits, DefaultReductionMethod);
}
