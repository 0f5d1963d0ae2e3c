#include "imaging/GIFColorTable.h"

#include <algorithm>

TColor TGIFColorTable::color(int i) const {
  if (i < 0 || i >= Count)
    return clBlack;
  const Entry &e = Entries[static_cast<std::size_t>(i)];
  return RGB(e.red, e.green, e.blue);
}

int TGIFColorTable::indexOf(TColor c) const {
  if (c == clNone)
    return -1;
  const TColor rgb = ColorToRGB(c);
  const Entry wanted{GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
  for (int i = 0; i < Count; ++i)
    if (Entries[static_cast<std::size_t>(i)] == wanted)
      return i;
  return -1;
}

int TGIFColorTable::bits() const {
  int n = 1;
  while (n < 8 && (1 << n) < Count)
    ++n;
  return n;
}

void TGIFColorTable::padToPowerOfTwo() {
  if (Count <= 0)
    return;
  const int full = 1 << bits();
  std::fill(Entries.begin() + Count, Entries.begin() + full, Entry{});
  Count = full;
}

TGIFColorTable TGIFColorTable::fromPalette(const TPalette &palette) {
  TGIFColorTable t;
  t.Count = std::min(palette.size(), 256);
  for (int i = 0; i < t.Count; ++i) {
    const TRgbQuad q = palette.entry(i);
    t.Entries[static_cast<std::size_t>(i)] = {q.red, q.green, q.blue};
  }
  return t;
}

TPalette TGIFColorTable::toPalette() const {
  std::vector<TRgbQuad> entries;
  entries.reserve(static_cast<std::size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    const Entry &e = Entries[static_cast<std::size_t>(i)];
    entries.push_back(TRgbQuad::fromRgb(e.red, e.green, e.blue));
  }
  return TPalette(std::move(entries));
}
