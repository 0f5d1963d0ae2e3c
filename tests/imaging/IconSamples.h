#pragma once

// Icon, cursor and animated-cursor files laid out byte by byte for the tests, so the program's
// own writers are never checked against themselves.

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace iconsamples {

// The two colours of the sample images: every channel differs, so swapped channels show.
inline constexpr QRgb A = 0xFFC81E5Au; // (200, 30, 90)
inline constexpr QRgb B = 0xFF148CFAu; // (20, 140, 250)

// A packed icon image: a 40-byte header whose height is doubled, the colour table, the colour
// rows bottom-up, then the AND mask rows.
struct DibLayout {
  int width = 16;
  int height = 16;
  int bitCount = 4;
  std::uint32_t compression = 0;
  std::vector<QRgb> table;          // written as it stands (its size goes to clrUsed when set)
  bool clrUsed = false;             // write the table's size into the header
  std::vector<std::uint32_t> masks; // three bit-field masks, written after the header
  // The stored value of a pixel (top-down coordinates): a palette index at 8 bits or less, the
  // 16-bit word, 0x00RRGGBB at 24 bits, 0xAARRGGBB at 32 bits.
  std::function<std::uint32_t(int, int)> pixel;
  std::function<bool(int, int)> transparent; // the AND mask; none: all opaque
  bool withMask = true;
};
QByteArray dib(const DibLayout &layout);

// A size x size image: A on the left half, B on the right, the top-left pixel transparent by
// its mask (and, at 32 bits, by its alpha). At 8 bits or less A and B are entries 0 and 1 of a
// table of 2^bits entries; at 16 bits 5-5-5 words.
QByteArray square(int size, int bitCount);
// A PNG file of a size x size picture in A with a transparent top-left pixel.
QByteArray png(int size);

// One directory entry and its image.
struct Entry {
  QByteArray body;
  int width = 16; // directory bytes, 0 meaning 256
  int height = 16;
  int colorCount = 0;
  std::uint16_t planes = 1;   // a cursor's hot spot x
  std::uint16_t bitCount = 0; // a cursor's hot spot y
};
Entry squareEntry(int size, int bitCount);
// An icon (type 1) or cursor (type 2) file; the images follow the directory in order.
QByteArray file(std::uint16_t type, const std::vector<Entry> &entries);

// Little-endian 32-bit values one after another.
QByteArray u32s(std::initializer_list<std::uint32_t> values);
// A RIFF chunk: identifier, size, body, and a pad byte after an odd body.
QByteArray chunk(const char *id, const QByteArray &body);
// A chunk with a size of its own (for chunks that lie about their size).
QByteArray chunkWithSize(const char *id, std::uint32_t size, const QByteArray &body);
QByteArray list(const char *type, const QByteArray &chunks);
QByteArray riff(const QByteArray &chunks, const char *form = "ACON");
QByteArray anih(std::uint32_t frames, std::uint32_t steps, std::uint32_t rate,
                std::uint32_t flags = 1);

} // namespace iconsamples
