#pragma once

#include "imaging/Color.h"
#include "imaging/Dib.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

// Converts the pixels of a Dib to 32-bit colours a whole row at a time: paletted pictures through
// a table of 256 ready colours, the others through their channel masks worked out once. Every
// picture the program shows is converted here, never pixel by pixel through Dib::pixel().
//
// The converter refers to the Dib; keep the Dib alive and unchanged while converting.
class TDibRowConverter {
public:
  // Opaque colours unless keepAlpha is set and the picture has 32 bits: then the alpha of
  // Dib::alpha(), giving Format_ARGB32 images.
  explicit TDibRowConverter(const Dib &dib, bool keepAlpha = false);

  // Pixels with this palette index (pictures of 8 bits or less) are left out: fully transparent.
  void setTransparentIndex(int index);
  // Pixels of this colour (red, green and blue compared exactly) are left out.
  void setTransparentColor(TColor color);

  // The format of the images made: Format_ARGB32 with kept alpha, Format_ARGB32_Premultiplied
  // with left-out pixels (which are 0, the same in both forms), else Format_RGB32.
  [[nodiscard]] QImage::Format format() const;

  // Row y, counted from the top, into out[0, width).
  void convertRow(int y, QRgb *out) const;
  // The pixels of row y at the given columns (each inside the picture) into out[0, count).
  void convertColumns(int y, const int *columns, int count, QRgb *out) const;

  // The whole picture at its own size; null for an empty picture or when memory runs out.
  [[nodiscard]] QImage image() const;
  // The picture stretched to `size` by nearest pixels (never blended), cut to `part` of that
  // size: an image of part's size. Only the rows and columns that land in `part` are converted.
  // Null when either is empty or memory runs out.
  [[nodiscard]] QImage stretched(const QSize &size, const QRect &part) const;

  // Pixels converted so far by every converter of the process (a test hook: conversions are
  // counted, never timed).
  [[nodiscard]] static std::int64_t convertedPixels();

private:
  [[nodiscard]] QRgb directPixel(const std::uint8_t *row, int x) const;
  [[nodiscard]] QRgb leaveOut(QRgb c) const { return m_keyed && (c & 0x00FFFFFF) == m_key ? 0 : c; }

  const Dib &m_dib;
  int m_bits = 0;
  bool m_keepAlpha = false;
  bool m_fastRgb32 = false;        // 32 bits, B,G,R,X byte order
  bool m_leavesOut = false;        // some pixels become transparent
  bool m_keyed = false;            // a colour key on a picture of more than 8 bits
  QRgb m_key = 0;                  // its red, green and blue
  std::array<QRgb, 256> m_table{}; // pictures of 8 bits or less: index to colour
  Dib::Channel m_red, m_green, m_blue, m_alpha;
};
