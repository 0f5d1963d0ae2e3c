#include "imaging/GIFEncoder.h"

#include "platform/Errors.h"

#include <array>
#include <cstring>

namespace {

constexpr int kHashSize = 17777;
constexpr int kLastCode = 4094;

// Packs codes least significant bit first and cuts the bytes into sub-blocks of 255.
class BitSink {
public:
  explicit BitSink(std::vector<uint8_t> &target) : m_target(target) {}

  void write(int code, int size) {
    m_bits |= uint64_t(code) << m_bitCount;
    m_bitCount += size;
    while (m_bitCount >= 8) {
      m_block[m_blockLength++] = static_cast<uint8_t>(m_bits);
      m_bits >>= 8;
      m_bitCount -= 8;
      if (m_blockLength == 255)
        emitBlock();
    }
  }

  // Writes the last partial byte and block, then the zero terminator.
  void flush() {
    if (m_bitCount > 0) {
      m_block[m_blockLength++] = static_cast<uint8_t>(m_bits);
      m_bits = 0;
      m_bitCount = 0;
      if (m_blockLength == 255)
        emitBlock();
    }
    if (m_blockLength > 0)
      emitBlock();
    m_target.push_back(0);
  }

private:
  void emitBlock() {
    m_target.push_back(static_cast<uint8_t>(m_blockLength));
    m_target.insert(m_target.end(), m_block.begin(), m_block.begin() + m_blockLength);
    m_blockLength = 0;
  }

  std::vector<uint8_t> &m_target;
  std::array<uint8_t, 255> m_block{};
  int m_blockLength = 0;
  uint64_t m_bits = 0;
  int m_bitCount = 0;
};

struct StringRecord {
  uint16_t prefix;
  uint16_t code;
  uint8_t suffix;
};

inline int pixelAt(const uint8_t *row, int x, int bitCount) {
  switch (bitCount) {
  case 8:
    return row[x];
  case 4:
    return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
  default:
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
}

} // namespace

void EncodeGIFFrame(std::vector<uint8_t> &target, const GIFRaster &source, bool interlaced,
                    const GIFProgress *progress) {
  const bool reporting = progress && *progress;
  auto report = [&](GIFProgressStage stage, int percent, const std::string &message = {}) {
    if (reporting)
      (*progress)(stage, percent, message);
  };
  report(GIFProgressStage::Starting, 0);
  const int bits = source.bitCount;
  if (bits != 1 && bits != 4 && bits != 8) {
    const EInvalidGraphicOperation error(QStringLiteral("GIF image encoding error"));
    report(GIFProgressStage::Ending, 0, error.what());
    throw error;
  }

  // Strings are found through an open-addressing hash over a fixed pool: a string is its prefix
  // code plus one pixel, and the running hash is built from its pixels and length. A string not
  // yet known is written as its prefix and added; at code 4094 the table starts over with a
  // clear code, so the decoder's table never fills.
  const int startSize = bits == 1 ? 3 : bits + 1;
  const int clear = 1 << (startSize - 1);
  const int end = clear + 1;
  target.push_back(static_cast<uint8_t>(startSize - 1));

  std::array<StringRecord, 4096> pool;
  std::array<uint16_t, kHashSize> table; // 0 = empty, else a code (never below clear + 2)
  table.fill(0);
  BitSink sink(target);

  int codeSize = startSize;
  int capacity = 1 << codeSize;
  int lastCode = end;
  int prefix = 0;
  int length = 0;
  int hash = 0;
  sink.write(clear, codeSize);

  GIFRowOrder order(source.width > 0 ? source.height : 0, interlaced);
  int rowsDone = 0;
  int lastPercent = -1;
  for (; !order.done(); order.advance()) {
    const uint8_t *row = source.row(order.current());
    for (int x = 0; x < source.width; ++x) {
      const int pixel = pixelAt(row, x, bits);
      ++length;
      if (length == 1) {
        prefix = pixel;
        hash = 301 * pixel + 903;
        continue;
      }
      hash = ((pixel + length + 4) * hash) % kHashSize;
      int slot = hash;
      while (table[slot] != 0) {
        const StringRecord &r = pool[table[slot]];
        if (r.prefix == prefix && r.suffix == pixel)
          break;
        slot = slot + 1 == kHashSize ? 0 : slot + 1;
      }
      if (table[slot] != 0) {
        prefix = pool[table[slot]].code;
        continue;
      }
      sink.write(prefix, codeSize);
      ++lastCode;
      pool[lastCode] = {static_cast<uint16_t>(prefix), static_cast<uint16_t>(lastCode),
                        static_cast<uint8_t>(pixel)};
      table[slot] = static_cast<uint16_t>(lastCode);
      prefix = pixel;
      hash = 301 * pixel + 903;
      length = 1;
      if (lastCode == capacity) {
        capacity <<= 1;
        ++codeSize;
      } else if (lastCode == kLastCode) {
        sink.write(prefix, codeSize);
        sink.write(clear, codeSize);
        length = 0;
        lastCode = end;
        codeSize = startSize;
        capacity = 1 << codeSize;
        table.fill(0);
      }
    }
    ++rowsDone;
    if (reporting) {
      const int percent = static_cast<int>(int64_t{rowsDone} * 100 / source.height);
      if (percent != lastPercent) {
        lastPercent = percent;
        report(GIFProgressStage::Running, percent);
      }
    }
  }
  // After a clear that fell on the last pixel there is no string left to write. The decoder adds
  // a string after the last code as after any other, and may widen its codes for the end code:
  // count that string too, or the end code comes one bit short.
  if (length > 0) {
    sink.write(prefix, codeSize);
    if (++lastCode == capacity)
      ++codeSize;
  }
  sink.write(end, codeSize);
  sink.flush();
  report(GIFProgressStage::Ending, 100);
}
