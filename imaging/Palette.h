#pragma once

#include "imaging/Color.h"

#include <QList>
#include <QRgb>

#include <cstdint>
#include <vector>

// One colour-table entry as a DIB stores it: blue, green, red, reserved.
struct TRgbQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;

  [[nodiscard]] static constexpr TRgbQuad fromColor(TColor c) {
    return {GetBValue(c), GetGValue(c), GetRValue(c), 0};
  }
  [[nodiscard]] static constexpr TRgbQuad fromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {b, g, r, 0};
  }
  [[nodiscard]] static constexpr TRgbQuad fromQRgb(QRgb c) {
    return {std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c)), 0};
  }
  [[nodiscard]] constexpr TColor toColor() const { return RGB(red, green, blue); }
  [[nodiscard]] constexpr QRgb toQRgb() const { return qRgb(red, green, blue); }
  friend constexpr bool operator==(const TRgbQuad &, const TRgbQuad &) = default;
};
static_assert(sizeof(TRgbQuad) == 4);

// A colour table (the program's stand-in for a logical palette): at most 256 entries. Selecting
// and realising palettes has no meaning on true-colour displays, so a palette is plain data.
class TPalette {
public:
  static constexpr int MaxEntries = 256;

  TPalette() = default;
  explicit TPalette(std::vector<TRgbQuad> entries);

  [[nodiscard]] int size() const { return int(m_entries.size()); }
  [[nodiscard]] bool empty() const { return m_entries.empty(); }
  [[nodiscard]] const std::vector<TRgbQuad> &entries() const { return m_entries; }
  // Entry i; an index outside the table gives black.
  [[nodiscard]] TRgbQuad entry(int i) const;
  void setEntry(int i, TRgbQuad q);
  // Cuts or extends the table; new entries take the fill value.
  void resize(int count, TRgbQuad fill = {});

  // The index of the first entry nearest to the colour (squared distance over red, green and
  // blue); -1 for an empty table.
  [[nodiscard]] int nearestIndex(TColor color) const;
  // The index of the first entry equal to the colour; -1 when none is.
  [[nodiscard]] int indexOf(TColor color) const;

  // Qt's colour table form (opaque entries).
  [[nodiscard]] QList<QRgb> toQRgbList() const;

  // The two-entry black and white table of monochrome bitmaps.
  [[nodiscard]] static TPalette blackWhite();
  // 2^bits entries of a grey ramp (used for a DIB that comes without a table).
  [[nodiscard]] static TPalette greyRamp(int bitCount);

  friend bool operator==(const TPalette &, const TPalette &) = default;

private:
  std::vector<TRgbQuad> m_entries;
};
