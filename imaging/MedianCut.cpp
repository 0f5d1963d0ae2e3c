#include "imaging/MedianCut.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kWanted = 256;

struct Box {
  std::array<int, 3> corner{};
  std::array<int, 3> extent{};
  std::vector<int> cells;
  int64_t pixels = 0;
};

// The 4-bit value of a cell on a channel (0 red, 1 green, 2 blue).
int cellValue(int cell, int channel) { return (cell >> (8 - 4 * channel)) & 15; }

int64_t pixelsOf(const std::vector<int> &cells, const std::array<int64_t, 4096> &counts,
                 std::size_t from, std::size_t to) {
  int64_t n = 0;
  for (std::size_t i = from; i < to; ++i)
    n += counts[static_cast<std::size_t>(cells[i])];
  return n;
}

} // namespace

Dib ReduceByMedianCut(const Dib &rgb24, int &boxCount) {
  std::array<int64_t, 4096> counts{};
  for (int y = 0; y < rgb24.height(); ++y) {
    const uint8_t *s = rgb24.row(y);
    for (int x = 0; x < rgb24.width(); ++x, s += 3)
      ++counts[static_cast<std::size_t>((s[2] >> 4) * 256 + (s[1] >> 4) * 16 + (s[0] >> 4))];
  }

  std::vector<Box> boxes(1);
  boxes[0].extent = {255, 255, 255};
  for (int c = 0; c < 4096; ++c)
    if (counts[static_cast<std::size_t>(c)] > 0)
      boxes[0].cells.push_back(c);
  boxes[0].pixels = int64_t{rgb24.width()} * rgb24.height();

  while (static_cast<int>(boxes.size()) < kWanted) {
    // The widest channel of any box that has more than one cell: the first box, and red
    // before green before blue, on a tie.
    int chosen = -1;
    int channel = 0;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].cells.size() < 2)
        continue;
      for (int ch = 0; ch < 3; ++ch)
        if (chosen < 0 ||
            boxes[b].extent[static_cast<std::size_t>(ch)] >
                boxes[static_cast<std::size_t>(chosen)].extent[static_cast<std::size_t>(channel)]) {
          chosen = static_cast<int>(b);
          channel = ch;
        }
    }
    if (chosen < 0)
      break;
    Box &box = boxes[static_cast<std::size_t>(chosen)];
    // Equal cells keep their order, so the result does not depend on the sort.
    std::stable_sort(box.cells.begin(), box.cells.end(), [channel](int a, int b) {
      return cellValue(a, channel) < cellValue(b, channel);
    });
    // The first part takes cells while its pixels stay within half the box's (exactly: twice
    // the running count at most the box's count), leaving at least one cell for the second.
    std::size_t split = 1;
    int64_t running = counts[static_cast<std::size_t>(box.cells[0])];
    while (split + 1 < box.cells.size()) {
      const int64_t next = running + counts[static_cast<std::size_t>(box.cells[split])];
      if (2 * next > box.pixels)
        break;
      running = next;
      ++split;
    }
    Box second;
    second.corner = box.corner;
    second.extent = box.extent;
    second.cells.assign(box.cells.begin() + static_cast<std::ptrdiff_t>(split), box.cells.end());
    box.cells.resize(split);
    const auto ch = static_cast<std::size_t>(channel);
    const int upper = box.corner[ch] + box.extent[ch];
    second.corner[ch] = 16 * cellValue(second.cells.front(), channel);
    second.extent[ch] = upper - second.corner[ch];
    box.extent[ch] = 16 * cellValue(box.cells.back(), channel) - box.corner[ch];
    second.pixels = pixelsOf(second.cells, counts, 0, second.cells.size());
    box.pixels = pixelsOf(box.cells, counts, 0, box.cells.size());
    boxes.push_back(std::move(second));
  }

  std::vector<TRgbQuad> palette(kWanted);
  std::array<uint8_t, 4096> boxOfCell{};
  for (std::size_t b = 0; b < boxes.size(); ++b) {
    const Box &box = boxes[b];
    std::array<int, 3> sums{};
    for (int cell : box.cells) {
      boxOfCell[static_cast<std::size_t>(cell)] = static_cast<uint8_t>(b);
      for (int ch = 0; ch < 3; ++ch)
        sums[static_cast<std::size_t>(ch)] += cellValue(cell, ch);
    }
    // A box without cells (a picture without pixels) stays black.
    const auto n = static_cast<int>(box.cells.size());
    if (n == 0)
      continue;
    std::array<int, 3> v{};
    for (std::size_t ch = 0; ch < 3; ++ch)
      v[ch] = (16 * sums[ch] + 15) / n;
    if (v[0] <= 16 && v[1] <= 16 && v[2] <= 16)
      continue;
    palette[b] = TRgbQuad::fromRgb(static_cast<uint8_t>(std::min(v[0], 255)),
                                   static_cast<uint8_t>(std::min(v[1], 255)),
                                   static_cast<uint8_t>(std::min(v[2], 255)));
  }

  Dib out(rgb24.width(), rgb24.height(), 8);
  for (int y = 0; y < rgb24.height(); ++y) {
    const uint8_t *s = rgb24.row(y);
    uint8_t *d = out.row(y);
    for (int x = 0; x < rgb24.width(); ++x, s += 3)
      d[x] =
          boxOfCell[static_cast<std::size_t>((s[2] >> 4) * 256 + (s[1] >> 4) * 16 + (s[0] >> 4))];
  }
  out.setPalette(TPalette(std::move(palette)));
  boxCount = static_cast<int>(boxes.size());
  return out;
}
