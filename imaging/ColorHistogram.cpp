#include "imaging/ColorHistogram.h"

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kMaxColors = 2049;
constexpr int kHashSize = 5191;

struct Entry {
  uint8_t r, g, b;
  int count;
  int index; // palette index once mapped, else -1
};

class Histogram {
public:
  explicit Histogram(const Dib &src) : m_src(src) { m_slots.fill(-1); }

  // 1. Count every pixel's masked colour, narrowing a mask and starting over whenever a
  //    2050th colour turns up. With all masks at 0 there is one colour, so this ends.
  void count() {
    while (!countOnce())
      narrow();
  }

  // 2. The most frequent entries (the first on a tie) become the palette; every other entry
  //    takes the nearest of them.
  TPalette palette() {
    std::vector<TRgbQuad> palette;
    for (int i = 0; i < 256; ++i) {
      int best = -1;
      for (std::size_t e = 0; e < m_entries.size(); ++e)
        if (m_entries[e].index < 0 &&
            (best < 0 || m_entries[e].count > m_entries[std::size_t(best)].count))
          best = static_cast<int>(e);
      if (best < 0)
        break;
      Entry &chosen = m_entries[static_cast<std::size_t>(best)];
      chosen.index = i;
      palette.push_back(TRgbQuad::fromRgb(chosen.r, chosen.g, chosen.b));
    }
    for (Entry &e : m_entries) {
      if (e.index >= 0)
        continue;
      int best = 0;
      int bestDistance = -1;
      for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = e.r - palette[i].red, dg = e.g - palette[i].green,
                  db = e.b - palette[i].blue;
        const int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
          bestDistance = d;
          best = static_cast<int>(i);
        }
      }
      e.index = best;
    }
    palette.resize(256, TRgbQuad{128, 128, 128, 0});
    return TPalette(std::move(palette));
  }

  // 3. Each pixel takes its masked colour's index.
  void map(Dib &out) const {
    for (int y = 0; y < m_src.height(); ++y) {
      const uint8_t *s = m_src.row(y);
      uint8_t *d = out.row(y);
      for (int x = 0; x < m_src.width(); ++x, s += 3)
        d[x] =
            static_cast<uint8_t>(m_entries[static_cast<std::size_t>(find(s[2], s[1], s[0]))].index);
    }
  }

private:
  bool countOnce() {
    m_entries.clear();
    m_slots.fill(-1);
    for (int y = 0; y < m_src.height(); ++y) {
      const uint8_t *s = m_src.row(y);
      for (int x = 0; x < m_src.width(); ++x, s += 3) {
        const int slot = probe(s[2] & m_red, s[1] & m_green, s[0] & m_blue);
        int &entry = m_slots[static_cast<std::size_t>(slot)];
        if (entry < 0) {
          if (static_cast<int>(m_entries.size()) == kMaxColors)
            return false;
          entry = static_cast<int>(m_entries.size());
          m_entries.push_back({static_cast<uint8_t>(s[2] & m_red),
                               static_cast<uint8_t>(s[1] & m_green),
                               static_cast<uint8_t>(s[0] & m_blue), 0, -1});
        }
        ++m_entries[static_cast<std::size_t>(entry)].count;
      }
    }
    return true;
  }

  // The slot of a masked colour: its own, or the first empty one after its hash. The table
  // never holds more than 2049 of 5191 slots, so an empty slot is always found.
  [[nodiscard]] int probe(int r, int g, int b) const {
    int slot = (r + g) * (g + b) * (b + r) % kHashSize;
    for (;;) {
      const int e = m_slots[static_cast<std::size_t>(slot)];
      if (e < 0)
        return slot;
      const Entry &entry = m_entries[static_cast<std::size_t>(e)];
      if (entry.r == r && entry.g == g && entry.b == b)
        return slot;
      slot = slot + 1 == kHashSize ? 0 : slot + 1;
    }
  }

  [[nodiscard]] int find(int r, int g, int b) const {
    return m_slots[static_cast<std::size_t>(probe(r & m_red, g & m_green, b & m_blue))];
  }

  void narrow() {
    if (m_red < m_green)
      m_green = (m_green << 1) & 255;
    else if (m_red <= m_blue)
      m_blue = (m_blue << 1) & 255;
    else
      m_red = (m_red << 1) & 255;
  }

  const Dib &m_src;
  int m_red = 255, m_green = 255, m_blue = 255;
  std::vector<Entry> m_entries;
  std::array<int, kHashSize> m_slots;
};

} // namespace

Dib ReduceByHistogram(const Dib &rgb24) {
  Dib out(rgb24.width(), rgb24.height(), 8);
  Histogram h(rgb24);
  h.count();
  out.setPalette(h.palette());
  h.map(out);
  return out;
}
