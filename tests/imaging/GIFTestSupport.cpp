#include "tests/imaging/GIFTestSupport.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace giftest {

CodePacker &CodePacker::code(int value, int width) {
  m_bits |= uint64_t(value) << m_bitCount;
  m_bitCount += width;
  while (m_bitCount >= 8) {
    m_bytes.push_back(static_cast<uint8_t>(m_bits));
    m_bits >>= 8;
    m_bitCount -= 8;
  }
  return *this;
}

Bytes CodePacker::finish(bool terminator, int blockSize) const {
  Bytes all = m_bytes;
  if (m_bitCount > 0)
    all.push_back(static_cast<uint8_t>(m_bits));
  Bytes out{static_cast<uint8_t>(m_minimum)};
  for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(blockSize)) {
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(blockSize), all.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), all.begin() + static_cast<std::ptrdiff_t>(i),
               all.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  if (terminator)
    out.push_back(0);
  return out;
}

std::vector<int> unpackCodes(const Bytes &data) {
  std::vector<int> codes;
  if (data.empty())
    return codes;
  Bytes flat;
  for (std::size_t i = 1; i < data.size();) {
    const std::size_t n = data[i++];
    if (n == 0)
      break;
    if (i + n > data.size())
      throw std::runtime_error("sub-block runs past the data");
    flat.insert(flat.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                data.begin() + static_cast<std::ptrdiff_t>(i + n));
    i += n;
  }
  const int minimum = data[0];
  const int clear = 1 << minimum;
  int size = minimum + 1;
  int nextFree = clear + 2;
  bool afterClear = true;
  std::size_t bit = 0;
  while (bit + static_cast<std::size_t>(size) <= flat.size() * 8) {
    int code = 0;
    for (int k = 0; k < size; ++k, ++bit)
      code |= ((flat[bit / 8] >> (bit % 8)) & 1) << k;
    codes.push_back(code);
    if (code == clear + 1)
      break;
    if (code == clear) {
      size = minimum + 1;
      nextFree = clear + 2;
      afterClear = true;
      continue;
    }
    if (afterClear) {
      afterClear = false;
      continue;
    }
    if (nextFree < 4096) {
      ++nextFree;
      if (nextFree == (1 << size) && size < 12)
        ++size;
    }
  }
  return codes;
}

Rows makeRows(int width, int height, int bitCount, bool bottomUp) {
  Rows r;
  const auto stride = GIFRowSize(width, bitCount);
  r.storage.assign(static_cast<std::size_t>(stride * height), 0);
  r.raster = {r.storage.data(), width, height, stride, bitCount, bottomUp};
  return r;
}

Rows packRows(const Indices &indices, int bitCount, bool bottomUp) {
  Rows r = makeRows(indices.width, indices.height, bitCount, bottomUp);
  for (int y = 0; y < indices.height; ++y) {
    uint8_t *row = r.raster.row(y);
    for (int x = 0; x < indices.width; ++x) {
      const uint8_t p = indices.at(x, y);
      if (bitCount == 8)
        row[x] = p;
      else if (bitCount == 4)
        row[x / 2] |= static_cast<uint8_t>((x & 1) ? p : p << 4);
      else
        row[x / 8] |= static_cast<uint8_t>(p << (7 - x % 8));
    }
  }
  return r;
}

Indices unpackRows(const GIFRaster &raster) {
  Indices out{raster.width, raster.height, {}};
  out.pixels.reserve(static_cast<std::size_t>(raster.width) * raster.height);
  for (int y = 0; y < raster.height; ++y) {
    const uint8_t *row = raster.row(y);
    for (int x = 0; x < raster.width; ++x) {
      if (raster.bitCount == 8)
        out.pixels.push_back(row[x]);
      else if (raster.bitCount == 4)
        out.pixels.push_back((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4);
      else
        out.pixels.push_back((row[x / 8] >> (7 - x % 8)) & 1);
    }
  }
  return out;
}

Indices noise(int width, int height, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  Indices out{width, height, Bytes(static_cast<std::size_t>(width) * height)};
  for (auto &p : out.pixels)
    p = static_cast<uint8_t>(rng() % static_cast<uint32_t>(colours));
  return out;
}

Indices flatShapes(int width, int height, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  Indices out{width, height, Bytes(static_cast<std::size_t>(width) * height, 0)};
  const int shapes = 3 + static_cast<int>(rng() % 12);
  for (int s = 0; s < shapes; ++s) {
    const int x0 = static_cast<int>(rng() % static_cast<uint32_t>(std::max(width, 1)));
    const int y0 = static_cast<int>(rng() % static_cast<uint32_t>(std::max(height, 1)));
    const int w = 1 + static_cast<int>(rng() % static_cast<uint32_t>(std::max(width / 2, 1)));
    const int h = 1 + static_cast<int>(rng() % static_cast<uint32_t>(std::max(height / 2, 1)));
    const auto c = static_cast<uint8_t>(rng() % static_cast<uint32_t>(colours));
    for (int y = y0; y < std::min(height, y0 + h); ++y)
      for (int x = x0; x < std::min(width, x0 + w); ++x)
        out.pixels[static_cast<std::size_t>(y) * width + x] = c;
  }
  return out;
}

Indices plasma(int width, int height, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> phase(0.0, 6.28);
  const double a = phase(rng), b = phase(rng), c = phase(rng);
  Indices out{width, height, Bytes(static_cast<std::size_t>(width) * height)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const double v = std::sin(x * 0.031 + a) + std::sin(y * 0.027 + b) +
                       std::sin((x + y) * 0.019 + c) + double(rng() % 100) / 400.0;
      const int q = static_cast<int>((v + 3.25) / 6.5 * colours);
      out.pixels[static_cast<std::size_t>(y) * width + x] =
          static_cast<uint8_t>(std::clamp(q, 0, colours - 1));
    }
  return out;
}

BlockBuilder &BlockBuilder::raw(const Bytes &bytes) {
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  return *this;
}

BlockBuilder &BlockBuilder::byte(int b) {
  m_bytes.push_back(static_cast<uint8_t>(b));
  return *this;
}

BlockBuilder &BlockBuilder::word(int w) { return byte(w & 255).byte((w >> 8) & 255); }

BlockBuilder &BlockBuilder::text(const std::string &s) {
  m_bytes.insert(m_bytes.end(), s.begin(), s.end());
  return *this;
}

BlockBuilder &BlockBuilder::header(const std::string &version) { return text("GIF" + version); }

BlockBuilder &BlockBuilder::screen(int width, int height, int tableBits, int background,
                                   int aspect) {
  word(width).word(height);
  byte(tableBits > 0 ? 0x80 | 0x70 | (tableBits - 1) : 0x70);
  byte(background).byte(aspect);
  if (tableBits > 0)
    table(1 << tableBits);
  return *this;
}

uint8_t tableByte(uint32_t seed, int entry, int channel) {
  return static_cast<uint8_t>((entry * (channel == 0   ? 7
                                        : channel == 1 ? 13
                                                       : 29) +
                               channel * 50 + static_cast<int>(seed) * 3) &
                              255);
}

BlockBuilder &BlockBuilder::table(int entries, uint32_t seed) {
  for (int i = 0; i < entries; ++i)
    for (int c = 0; c < 3; ++c)
      byte(tableByte(seed, i, c));
  return *this;
}

BlockBuilder &BlockBuilder::gce(int delay, int disposal, int transparentIndex) {
  byte(0x21).byte(0xF9).byte(4);
  byte((disposal & 7) << 2 | (transparentIndex >= 0 ? 1 : 0));
  word(delay).byte(transparentIndex >= 0 ? transparentIndex : 0).byte(0);
  return *this;
}

BlockBuilder &BlockBuilder::loop(int count, const std::string &id) {
  byte(0x21).byte(0xFF).byte(11).text(id);
  return byte(3).byte(1).word(count).byte(0);
}

BlockBuilder &BlockBuilder::comment(const std::vector<std::string> &lines) {
  byte(0x21).byte(0xFE);
  for (const auto &l : lines)
    byte(static_cast<int>(l.size())).text(l);
  return byte(0);
}

BlockBuilder &BlockBuilder::image(int left, int top, int width, int height, int tableBits,
                                  bool interlaced) {
  byte(0x2C).word(left).word(top).word(width).word(height);
  byte((tableBits > 0 ? 0x80 | (tableBits - 1) : 0) | (interlaced ? 0x40 : 0));
  if (tableBits > 0)
    table(1 << tableBits, 2);
  return *this;
}

BlockBuilder &BlockBuilder::data(const Bytes &compressed) { return raw(compressed); }

BlockBuilder &BlockBuilder::trailer() { return byte(0x3B); }

} // namespace giftest
