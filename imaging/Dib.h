#pragma once

#include "imaging/Color.h"
#include "imaging/Palette.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

// A device-independent bitmap: the pixel container of the picture classes.
//
// Pixels are kept in DIB layout: 1, 4, 8, 16, 24 or 32 bits per pixel, each row padded to a
// multiple of 4 bytes (rowSize()), 1- and 4-bit pixels packed most significant bits first, 24-
// and 32-bit pixels in B,G,R(,X) byte order, 16-bit pixels as little-endian words (5-5-5 unless
// bit-field masks say otherwise). Rows are stored top-down: row(0) is the top row of the picture.
// A BMP file stores its rows bottom-up; that order exists only in the file codec and in
// bottomUpRow(), for the rules that count rows "from the first row in memory".
//
// A Dib with width or height 0 is empty. QImage appears only at the drawing boundary (toQImage,
// fromQImage); nothing here needs a display, and Dibs may be used on worker threads.
class Dib {
public:
  enum Compression : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

  // Readers refuse pictures beyond these before allocating anything.
  static constexpr int MaxDimension = 32768;
  static constexpr qint64 MaxPixels = qint64(1) << 26;
  // The most pixels a picture is decoded to when its data need not fill it (a GIF frame, a JPEG,
  // a run-length coded BMP: a file of a few bytes may declare any size), and the largest logical
  // screen an animation is composed on.
  static constexpr qint64 MaxShownPixels = qint64(1) << 24;

  // One colour channel of a 16- or 32-bit pixel, given by its mask.
  struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int width = 0;
    [[nodiscard]] static Channel of(std::uint32_t mask);
    // The channel's value as 0..255: narrow channels are shifted up, as the display system and
    // Qt do (5-bit 31 gives 248).
    [[nodiscard]] std::uint8_t expand(std::uint32_t pixel) const;
    // A value of 0..255 placed in the channel.
    [[nodiscard]] std::uint32_t compress(std::uint8_t value) const;
  };

  Dib() = default;
  // A zero-filled picture. The palette of a 1-bit picture is black and white, that of a 4- or
  // 8-bit picture 2^bits black entries. Raises EInvalidGraphic ("Bitmap image is not valid") for
  // a bit count outside {1, 4, 8, 16, 24, 32}, a negative size or a size beyond the limits.
  Dib(int width, int height, int bitCount);

  [[nodiscard]] static bool isValidBitCount(int bitCount);
  // Bytes per row: ((width * bitCount + 31) / 32) * 4.
  [[nodiscard]] static qint64 rowSize(qint64 width, int bitCount);
  // Whether a picture of this size may be allocated at all.
  [[nodiscard]] static bool sizeAllowed(qint64 width, qint64 height);

  [[nodiscard]] bool empty() const { return m_width <= 0 || m_height <= 0; }
  [[nodiscard]] int width() const { return m_width; }
  [[nodiscard]] int height() const { return m_height; }
  [[nodiscard]] int bitCount() const { return m_bitCount; }
  [[nodiscard]] int stride() const { return m_stride; }
  // Size of the pixel data in bytes (stride * height).
  [[nodiscard]] qsizetype sizeImage() const { return qsizetype(m_bits.size()); }

  [[nodiscard]] std::uint8_t *bits() { return m_bits.data(); }
  [[nodiscard]] const std::uint8_t *bits() const { return m_bits.data(); }
  // Row y counted from the top of the picture.
  [[nodiscard]] std::uint8_t *row(int y) { return m_bits.data() + qsizetype(y) * m_stride; }
  [[nodiscard]] const std::uint8_t *row(int y) const {
    return m_bits.data() + qsizetype(y) * m_stride;
  }
  // Row i counted as a BMP file stores them: i = 0 is the bottom row of the picture.
  [[nodiscard]] std::uint8_t *bottomUpRow(int i) { return row(m_height - 1 - i); }
  [[nodiscard]] const std::uint8_t *bottomUpRow(int i) const { return row(m_height - 1 - i); }

  // The colour table (pictures of 8 bits or less; it may be shorter than 2^bits).
  [[nodiscard]] const TPalette &palette() const { return m_palette; }
  void setPalette(TPalette palette) { m_palette = std::move(palette); }

  // BI_RGB, or BI_BITFIELDS for 16- and 32-bit pictures with their own channel masks.
  [[nodiscard]] std::uint32_t compression() const { return m_compression; }
  // Sets bit-field masks (16- and 32-bit only); the compression becomes BI_BITFIELDS.
  void setBitFields(std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  // The channel masks in effect: the bit fields, or 5-5-5 / 8-8-8 for BI_RGB.
  [[nodiscard]] std::array<std::uint32_t, 3> channelMasks() const;
  // Where a 32-bit picture keeps its alpha, as its file's header declared it; 0 (the default)
  // for pictures without alpha, which draw opaque.
  [[nodiscard]] std::uint32_t alphaMask() const { return m_alphaMask; }
  // Sets the alpha mask of a 32-bit picture (nothing for other depths).
  void setAlphaMask(std::uint32_t mask);

  // Header values kept for writing the picture back as it came.
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;      // 0: the table has 2^bits entries
  std::uint32_t clrImportant = 0; // 0: all entries are important

  // The palette index at (x, y) of a picture of 8 bits or less (0 for other depths).
  [[nodiscard]] int pixelIndex(int x, int y) const;
  void setPixelIndex(int x, int y, int index);
  // The colour at (x, y): through the palette for 8 bits or less (an index beyond the table
  // gives black), through the channel masks otherwise. Coordinates outside give clNone.
  [[nodiscard]] TColor pixel(int x, int y) const;
  // Sets a pixel to a colour: a direct value for 16 bits and more, the nearest palette entry
  // otherwise. System colours are resolved first. The fourth byte of a 32-bit pixel becomes 0.
  void setPixel(int x, int y, TColor color);
  // The alpha of a 32-bit pixel: through the alpha mask when there is one, else the fourth byte
  // (its alpha in icon images); 255 for other depths.
  [[nodiscard]] int alpha(int x, int y) const;

  // Fills every pixel with a colour (nearest palette entry for 8 bits or less).
  void fill(TColor color);

  // A copy of the picture at another bit count. Up: every pixel keeps its colour. Down to 8
  // bits or less: each pixel takes the nearest entry of the given palette (the current one when
  // none is given and the picture has one, else a grey ramp).
  [[nodiscard]] Dib convertedTo(int bitCount, const TPalette *palette = nullptr) const;

  // An opaque QImage (Format_RGB32) of the picture; with keepAlpha and 32 bits per pixel, a
  // Format_ARGB32 image whose alpha is alpha(). Converted a row at a time (TDibRowConverter).
  [[nodiscard]] QImage toQImage(bool keepAlpha = false) const;
  // A 32-bit picture (B,G,R,A) of any QImage; an image beyond the limits gives an empty Dib.
  [[nodiscard]] static Dib fromQImage(const QImage &image);

  friend bool operator==(const Dib &, const Dib &) = default;

private:
  int m_width = 0;
  int m_height = 0;
  int m_bitCount = 0;
  int m_stride = 0;
  std::uint32_t m_compression = BI_RGB;
  std::array<std::uint32_t, 3> m_masks{};
  std::uint32_t m_alphaMask = 0;
  TPalette m_palette;
  std::vector<std::uint8_t> m_bits;
};
