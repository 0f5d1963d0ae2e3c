#pragma once

#include "imaging/Color.h"
#include "imaging/Palette.h"

#include <algorithm>
#include <array>
#include <cstdint>

// A GIF colour table: up to 256 red, green, blue entries.
struct TGIFColorTable {
  struct Entry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Entry &, const Entry &) = default;
  };

  int Count = 0; // 0..256
  std::array<Entry, 256> Entries{};

  // Entry i as a colour; black outside the table.
  [[nodiscard]] TColor color(int i) const;
  // The first entry with the colour's red, green and blue (system colours resolved first);
  // -1 for clNone or when no entry matches.
  [[nodiscard]] int indexOf(TColor color) const;
  // The smallest n from 1 up with 2^n >= Count.
  [[nodiscard]] int bits() const;
  // Extends the table with black entries to 2^bits() entries, so that what a file says about
  // its size is what it holds.
  void padToPowerOfTwo();
  // The table of a bitmap palette (at most 256 entries) and back.
  [[nodiscard]] static TGIFColorTable fromPalette(const TPalette &palette);
  [[nodiscard]] TPalette toPalette() const;

  friend bool operator==(const TGIFColorTable &a, const TGIFColorTable &b) {
    return a.Count == b.Count &&
           std::equal(a.Entries.begin(), a.Entries.begin() + a.Count, b.Entries.begin());
  }
};
