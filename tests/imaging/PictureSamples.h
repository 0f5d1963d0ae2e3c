#pragma once

// Builders of small picture files for the tests (and the fuzzers' seed corpus).

#include "imaging/Dib.h"

#include <QByteArray>
#include <QImage>

#include <vector>

namespace samples {

// (200, 30, 90) and (20, 140, 250): every channel differs, so red/blue swaps show.
inline constexpr TColor Odd = RGB(200, 30, 90);
inline constexpr TColor Other = RGB(20, 140, 250);

// One image of an icon file.
struct IcoImage {
  Dib colors;                          // the colour part (any depth)
  std::vector<bool> transparent;       // per pixel, row by row from the top; empty = all opaque
  QByteArray png;                      // when set, the image is stored as this PNG instead
  std::uint16_t directoryBitCount = 0; // what the directory claims (may differ from the header)
};

// An ICO file of the images, with directory entries in order and images packed after them.
QByteArray ico(const std::vector<IcoImage> &images, std::uint16_t type = 1);

// A size x size picture at the bit count: Odd on the left half, Other on the right half, the
// top-left pixel transparent (by mask).
IcoImage square(int size, int bitCount);

// A PNG of a size x size picture in Odd with a transparent top-left pixel.
QByteArray png(int size);

// An icon-list stream of the given ICO files (empty entries write size 0).
QByteArray iconListStream(const std::vector<QByteArray> &icos);

} // namespace samples
