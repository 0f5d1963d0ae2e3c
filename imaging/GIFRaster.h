#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// A view of pixel rows as the LZW coder reads and writes them: 1, 4 or 8 bits per pixel, 1-bit
// pixels from bit 7 down, 4-bit pixels high nibble first, each row `stride` bytes apart. Row 0 is
// the top of the picture; with `bottomUp` it is the last row in memory, as in a bitmap file.
// The view owns nothing.
struct GIFRaster {
  uint8_t *bits = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  int bitCount = 8;
  bool bottomUp = true;

  [[nodiscard]] uint8_t *row(int y) const {
    return bits + (bottomUp ? static_cast<std::ptrdiff_t>(height - 1 - y) : y) * stride;
  }
};

// Bytes per row of a bitmap: rows are padded to whole 32-bit words.
[[nodiscard]] constexpr std::ptrdiff_t GIFRowSize(int width, int bitCount) {
  return (static_cast<std::ptrdiff_t>(width) * bitCount + 31) / 32 * 4;
}

// The most decoded pixels one GIF image holds at a time, and so the largest frame it decodes: the
// size a picture is shown at (Dib::MaxShownPixels). A descriptor may ask for 65535 x 65535 and a
// file of 84 bytes for 8000 x 8000, which once cost 334 MB and a second per paint; nothing real
// comes near this.
constexpr std::int64_t GIFMaxPixels = std::int64_t{1} << 24;

// The rows of an interlaced picture come in four passes: rows 0, 8, 16...; 4, 12...; 2, 6...;
// 1, 3, 5... A pass whose first row is not inside the picture is skipped.
class GIFRowOrder {
public:
  GIFRowOrder(int height, bool interlaced) : m_height(height), m_interlaced(interlaced) {
    if (m_interlaced)
      skipEmptyPasses();
  }
  // The picture row that comes next; height() once every row has come.
  [[nodiscard]] int current() const { return m_row; }
  [[nodiscard]] bool done() const { return m_row >= m_height; }
  void advance() {
    if (!m_interlaced) {
      ++m_row;
      return;
    }
    m_row += kStep[m_pass];
    if (m_row >= m_height) {
      ++m_pass;
      skipEmptyPasses();
    }
  }

private:
  void skipEmptyPasses() {
    while (m_pass < 4 && kStart[m_pass] >= m_height)
      ++m_pass;
    m_row = m_pass < 4 ? kStart[m_pass] : m_height;
  }
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  int m_height;
  bool m_interlaced;
  int m_pass = 0;
  int m_row = 0;
};

// Progress of a long picture operation, as the picture's progress event reports it.
enum class GIFProgressStage { Starting, Running, Ending };
using GIFProgress = std::function<void(GIFProgressStage, int percent, const std::string &message)>;
