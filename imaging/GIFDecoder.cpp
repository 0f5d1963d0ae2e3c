#include "imaging/GIFDecoder.h"

#include "platform/Errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

static_assert(std::endian::native == std::endian::little, "the bit reader loads bytes as one word");

constexpr int kMaxCode = 4096;
constexpr int kStackSize = 4097;

// Codes come least significant bit first from the concatenated sub-blocks. The sub-blocks are
// joined once up front, so a code never has to be assembled across a block boundary.
class BitSource {
public:
  explicit BitSource(std::span<const uint8_t> subBlocks) {
    m_bytes.reserve(subBlocks.size());
    std::size_t i = 0;
    while (i < subBlocks.size()) {
      const std::size_t length = subBlocks[i++];
      if (length == 0)
        break;
      // A block that claims more than is there gives what is there; the codes then run out.
      const std::size_t n = std::min(length, subBlocks.size() - i);
      const std::span<const uint8_t> block = subBlocks.subspan(i, n);
      m_bytes.insert(m_bytes.end(), block.begin(), block.end());
      i += n;
    }
    m_size = m_bytes.size();
    m_bytes.resize(m_size + 8, 0);
    m_consumedScale = m_size == 0 ? 0.0 : double(subBlocks.size()) / double(m_size);
  }

  // The next code of `size` bits, or -1 when fewer bits than that remain.
  int read(int size) {
    if (m_bitCount < size) {
      // Eight bytes at a time: the buffer has eight zero bytes of slack past its end, and only
      // the bytes that are really there are counted.
      const std::size_t available = m_size - m_pos;
      if (available == 0)
        return -1;
      uint64_t next;
      std::memcpy(&next, m_bytes.data() + m_pos, 8);
      const auto take =
          std::min<std::size_t>(static_cast<std::size_t>(63 - m_bitCount) / 8, available);
      m_bits |= next << m_bitCount;
      m_pos += take;
      m_bitCount += static_cast<int>(take) * 8;
      m_bits &= (uint64_t{1} << m_bitCount) - 1;
      if (m_bitCount < size)
        return -1;
    }
    const int code = static_cast<int>(m_bits & ((uint64_t{1} << size) - 1));
    m_bits >>= size;
    m_bitCount -= size;
    return code;
  }

  // How much of the original sub-block data has been taken in, in source bytes.
  [[nodiscard]] std::size_t consumed() const {
    return std::size_t(double(m_pos) * m_consumedScale);
  }

private:
  std::vector<uint8_t> m_bytes;
  std::size_t m_size = 0;
  std::size_t m_pos = 0;
  uint64_t m_bits = 0;
  int m_bitCount = 0;
  double m_consumedScale = 0.0;
};

// Puts decoded pixels into the rows, in interlace order when asked. The frame may be larger
// than `out`: only its top-left part that `out` holds is kept, and the writer is done once every
// row of that part has come. 8-bit rows that are kept whole are written in place; others are
// gathered as bytes and copied or packed when complete.
class RowWriter {
public:
  RowWriter(const GIFRaster &out, int frameWidth, int frameHeight, bool interlaced)
      : m_out(out), m_frameWidth(frameWidth), m_order(frameWidth > 0 ? frameHeight : 0, interlaced),
        m_visibleRows(frameWidth > 0 ? std::min(out.height, frameHeight) : 0) {
    m_scratch.resize(static_cast<std::size_t>(m_frameWidth));
    startRow();
  }

  [[nodiscard]] bool done() const { return m_order.done() || m_visibleDone == m_visibleRows; }
  // Room left in the current row, and where the next pixel goes, for strings written in place.
  [[nodiscard]] int room() const { return m_row ? m_frameWidth - m_x : 0; }
  [[nodiscard]] uint8_t *cursor() const { return m_row + m_x; }
  // Takes `count` pixels written at cursor() (at most room()).
  void advance(int count) {
    m_x += count;
    if (m_x == m_frameWidth)
      finishRow();
  }

  void put(const uint8_t *pixels, int count) {
    while (count > 0 && m_row) {
      const int n = std::min(count, m_frameWidth - m_x);
      if (n == 1)
        m_row[m_x] = *pixels;
      else
        std::memcpy(m_row + m_x, pixels, static_cast<std::size_t>(n));
      m_x += n;
      pixels += n;
      count -= n;
      if (m_x == m_frameWidth)
        finishRow();
    }
  }

  // Data that ends inside a row leaves the rest of the row 0: a row gathered aside is put out
  // as far as it came.
  void finish() {
    if (!m_row || m_inPlace || m_x == 0 || !visible(m_order.current()))
      return;
    std::fill(m_scratch.begin() + m_x, m_scratch.end(), uint8_t{0});
    pack(m_out.row(m_order.current()));
  }

private:
  [[nodiscard]] bool visible(int y) const { return y < m_out.height; }

  void startRow() {
    m_x = 0;
    if (done()) {
      m_row = nullptr;
      return;
    }
    const int y = m_order.current();
    m_inPlace = m_out.bitCount == 8 && m_out.width == m_frameWidth && visible(y);
    m_row = m_inPlace ? m_out.row(y) : m_scratch.data();
  }

  void finishRow() {
    const int y = m_order.current();
    if (visible(y)) {
      if (!m_inPlace)
        pack(m_out.row(y));
      ++m_visibleDone;
    }
    m_order.advance();
    startRow();
  }

  void pack(uint8_t *target) const {
    const uint8_t *p = m_scratch.data();
    const int w = std::min(m_out.width, m_frameWidth);
    if (m_out.bitCount == 8) {
      std::memcpy(target, p, static_cast<std::size_t>(w));
    } else if (m_out.bitCount == 4) {
      for (int x = 0; x + 1 < w; x += 2)
        target[x / 2] = static_cast<uint8_t>((p[x] & 15) << 4 | (p[x + 1] & 15));
      if (w & 1)
        target[w / 2] = static_cast<uint8_t>((p[w - 1] & 15) << 4);
    } else {
      for (int x = 0; x < w; x += 8) {
        uint8_t byte = 0;
        const int n = std::min(8, w - x);
        for (int i = 0; i < n; ++i)
          byte |= static_cast<uint8_t>((p[x + i] & 1) << (7 - i));
        target[x / 8] = byte;
      }
    }
  }

  const GIFRaster &m_out;
  int m_frameWidth;
  GIFRowOrder m_order;
  int m_visibleRows;
  int m_visibleDone = 0;
  std::vector<uint8_t> m_scratch;
  uint8_t *m_row = nullptr;
  bool m_inPlace = false;
  int m_x = 0;
};

class Progress {
public:
  Progress(const GIFProgress *sink, std::size_t total) : m_sink(sink), m_total(total) {}
  void report(GIFProgressStage stage, int percent, const std::string &message = {}) const {
    if (m_sink && *m_sink)
      (*m_sink)(stage, percent, message);
  }
  // Called per code; reports only when the whole percentage changes, so the callback costs
  // nothing per code.
  void running(std::size_t consumed) {
    if (!m_sink || !*m_sink || m_total == 0)
      return;
    const int percent = static_cast<int>(std::min<std::size_t>(consumed, m_total) * 100 / m_total);
    if (percent != m_last) {
      m_last = percent;
      (*m_sink)(GIFProgressStage::Running, percent, {});
    }
  }
  [[nodiscard]] bool active() const { return m_sink && *m_sink; }

private:
  const GIFProgress *m_sink;
  std::size_t m_total;
  int m_last = -1;
};

[[noreturn]] void fail(const char *message) {
  throw EInvalidGraphicOperation(QString::fromLatin1(message));
}

bool decode(std::span<const uint8_t> data, int tableBits, bool interlaced, int frameWidth,
            int frameHeight, const GIFRaster &out, bool loadCorrupted, Progress &progress) {
  if (tableBits < 1 || tableBits > 8)
    fail("Wrong number of colors; must be a power of 2");
  if (data.empty()) {
    if (!loadCorrupted)
      throw EReadError();
    return true;
  }
  bool corrupted = false;
  int minimum = data[0];
  if (minimum < 2 || minimum > 9) {
    if (!loadCorrupted)
      fail("GIF code size not in range 2 to 9");
    corrupted = true;
    minimum = std::clamp(minimum, 2, 9);
  }

  // 1. Codes below the clear code are pixels (masked to the colour table), the two after it are
  //    control codes, the rest name strings: a prefix code plus one suffix pixel.
  // 2. A string code is emitted by walking its prefix chain, pushing suffixes onto a stack that
  //    fills from the top, so the string ends up in reading order.
  // 3. After every code but the first one following a clear, a new string "previous string plus
  //    the first pixel of this one" is added, until the table holds 4096 codes.
  // A code not yet in the table can only be the string being added (the KwKwK case).
  const int clear = 1 << minimum;
  const int end = clear + 1;
  const int pixelMask = (1 << tableBits) - 1;
  const int startSize = minimum + 1;
  int codeSize = startSize;
  int capacity = 1 << codeSize;
  int nextFree = clear + 2;
  bool tableFull = false;
  // Data that does not start with a clear code is read as if it did: no previous string yet.
  int previous = -1;
  uint8_t first = 0;

  std::array<uint16_t, kMaxCode> prefix{};
  std::array<uint8_t, kMaxCode> suffix{};
  std::array<uint8_t, kStackSize> stack;

  // String lengths let most strings go straight into the row; roots are 1 long.
  std::array<uint16_t, kMaxCode> lengths{};
  std::fill(lengths.begin(), lengths.begin() + clear + 2, uint16_t{1});

  BitSource source(data.subspan(1));
  RowWriter writer(out, frameWidth, frameHeight, interlaced);
  const bool reporting = progress.active();
  while (!writer.done()) {
    const int code = source.read(codeSize);
    if (code < 0) {
      // The data ended before the end code: keep what was decoded.
      if (!loadCorrupted)
        throw EReadError();
      corrupted = true;
      break;
    }
    if (code == end)
      break;
    if (code == clear) {
      codeSize = startSize;
      capacity = 1 << codeSize;
      nextFree = clear + 2;
      tableFull = false;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      first = static_cast<uint8_t>(code & pixelMask);
      writer.put(&first, 1);
      previous = code;
      continue;
    }

    const bool kwkwk = code >= nextFree;
    int walk = kwkwk ? previous : code;
    // Most strings fit in the rest of the row: they are written there directly, last pixel
    // first, when the walk agrees with the recorded length (it always does for sound data).
    const int length = kwkwk ? lengths[static_cast<std::size_t>(previous)] + 1
                             : lengths[static_cast<std::size_t>(code)];
    bool written = false;
    if (length > 1 && length <= writer.room()) {
      uint8_t *const start = writer.cursor();
      uint8_t *p = start + length - 1;
      if (kwkwk)
        *p-- = first;
      while (walk >= clear && p > start) {
        *p-- = suffix[static_cast<std::size_t>(walk)];
        walk = prefix[static_cast<std::size_t>(walk)];
      }
      if (walk < clear && p == start) {
        first = static_cast<uint8_t>(walk & pixelMask);
        *p = first;
        writer.advance(length);
        written = true;
      } else {
        walk = kwkwk ? previous : code;
      }
    }

    if (!written) {
      int sp = kStackSize;
      if (kwkwk)
        stack[--sp] = first;
      while (walk >= clear && sp > 0) {
        stack[--sp] = suffix[static_cast<std::size_t>(walk)];
        walk = prefix[static_cast<std::size_t>(walk)];
      }
      if (sp == 0) {
        // Only a damaged table (a prefix chain that loops) makes a string this long.
        if (!loadCorrupted)
          fail("GIF encoded data is corrupt");
        corrupted = true;
        break;
      }
      first = static_cast<uint8_t>(walk & pixelMask);
      stack[--sp] = first;
      writer.put(stack.data() + sp, kStackSize - sp);
    }

    // After every string but the first after a clear: add "previous string + first pixel".
    if (!tableFull) {
      const auto slot = static_cast<std::size_t>(nextFree);
      prefix[slot] = static_cast<uint16_t>(previous);
      suffix[slot] = first;
      lengths[slot] = static_cast<uint16_t>(
          std::min<int>(lengths[static_cast<std::size_t>(previous)] + 1, kStackSize));
      ++nextFree;
      if (nextFree >= capacity) {
        if (codeSize < 12) {
          ++codeSize;
          capacity <<= 1;
        } else {
          tableFull = true;
        }
      }
    }
    previous = code;
    if (reporting)
      progress.running(source.consumed() + 1);
  }
  writer.finish();
  return corrupted;
}

} // namespace

bool DecodeGIFFramePart(std::span<const uint8_t> data, int tableBits, bool interlaced,
                        int frameWidth, int frameHeight, const GIFRaster &out, bool loadCorrupted,
                        const GIFProgress *progressSink) {
  Progress progress(progressSink, data.size());
  progress.report(GIFProgressStage::Starting, 0);
  try {
    const bool corrupted = decode(data, tableBits, interlaced, std::max(frameWidth, 0),
                                  std::max(frameHeight, 0), out, loadCorrupted, progress);
    progress.report(GIFProgressStage::Ending, 100);
    return corrupted;
  } catch (const std::exception &e) {
    progress.report(GIFProgressStage::Ending, 0, e.what());
    throw;
  }
}

bool DecodeGIFFrame(std::span<const uint8_t> data, int tableBits, bool interlaced,
                    const GIFRaster &out, bool loadCorrupted, const GIFProgress *progressSink) {
  return DecodeGIFFramePart(data, tableBits, interlaced, out.width, out.height, out, loadCorrupted,
                            progressSink);
}
