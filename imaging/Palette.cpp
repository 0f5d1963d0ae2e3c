#include "imaging/Palette.h"

#include <QList>

#include <algorithm>

TPalette::TPalette(std::vector<TRgbQuad> entries) : m_entries(std::move(entries)) {
  if (m_entries.size() > std::size_t(MaxEntries))
    m_entries.resize(std::size_t(MaxEntries));
}

TRgbQuad TPalette::entry(int i) const {
  if (i < 0 || i >= size())
    return {};
  return m_entries[std::size_t(i)];
}

void TPalette::setEntry(int i, TRgbQuad q) {
  if (i >= 0 && i < size())
    m_entries[std::size_t(i)] = q;
}

void TPalette::resize(int count, TRgbQuad fill) {
  m_entries.resize(std::size_t(std::clamp(count, 0, MaxEntries)), fill);
}

int TPalette::nearestIndex(TColor color) const {
  const TColor c = ColorToRGB(color);
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  int best = -1;
  int bestDistance = 0;
  for (int i = 0; i < size(); ++i) {
    const TRgbQuad &q = m_entries[std::size_t(i)];
    const int dr = q.red - r, dg = q.green - g, db = q.blue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (best < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

int TPalette::indexOf(TColor color) const {
  const TColor c = ColorToRGB(color) & 0x00FFFFFF;
  for (int i = 0; i < size(); ++i)
    if (m_entries[std::size_t(i)].toColor() == c)
      return i;
  return -1;
}

QList<QRgb> TPalette::toQRgbList() const {
  QList<QRgb> list;
  list.reserve(size());
  for (const TRgbQuad &q : m_entries)
    list.append(q.toQRgb());
  return list;
}

TPalette TPalette::blackWhite() {
  return TPalette({TRgbQuad{0, 0, 0, 0}, TRgbQuad{255, 255, 255, 0}});
}

TPalette TPalette::greyRamp(int bitCount) {
  const int count = 1 << std::clamp(bitCount, 1, 8);
  std::vector<TRgbQuad> e(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto v = std::uint8_t(i * 255 / (count - 1));
    e[std::size_t(i)] = TRgbQuad{v, v, v, 0};
  }
  return TPalette(std::move(e));
}
