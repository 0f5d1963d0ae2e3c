#pragma once

#include "imaging/Dib.h"

#include <QByteArray>

#include <cstdint>

// Turning a picture of any depth into a bitmap file image of a chosen depth, reducing true-colour
// pictures to 256 colours or fewer by one of six methods.

enum TReductionMethod {
  rmHistogram,    // the most frequent colours
  rmMedianCut,    // up to 256 colours by median cut
  rmUniform784,   // 224 fixed colours: 7 red x 8 green x 4 blue levels
  rmUniform666,   // 216 fixed colours: 6 levels per channel
  rmChannelCycle, // each pixel keeps one channel, chosen by its position
  rmGrayscale     // 256 grey levels
};

// The method ReduceBitmapColors uses.
extern TReductionMethod DefaultReductionMethod;

// A BMP file image of the picture at `targetBits` bits per pixel (1, 4, 8 or 24; 15, 16 and 32
// only when the picture already has that depth). The header is always built afresh: no
// compression, a table of 2^bits entries (used-colours 0), the image size of the new rows.
//
// - An empty picture raises EInvalidGraphic "Bitmap image is not valid".
// - A picture already at the target depth is written as it is, except with rmGrayscale.
// - Other targets than 1, 4, 8 and 24 report "Function not yet implemented" and abort silently.
// - 1 bit: each pixel takes the nearer of black and white; 4 bits: the nearest colour of the
//   standard 16-colour VGA palette (first on ties).
// - 8 bits: the method's palette of 256 entries; the important-colours field holds the boxes
//   made (rmMedianCut), 224 (rmUniform784), 216 (rmUniform666) or 0.
[[nodiscard]] QByteArray BitmapToDIBStream(const Dib &bitmap, int targetBits,
                                           TReductionMethod method);

// The same with the depth chosen from a colour count (up to 2: 1 bit, up to 16: 4 bits, up to
// 256: 8 bits, else 24 bits) and DefaultReductionMethod.
[[nodiscard]] QByteArray ReduceBitmapColors(const Dib &bitmap, int colorCount);

// An 8-bit picture of a picture of any depth by the method, with its 256-entry palette and
// the important-colours count of the method in clrImportant.
[[nodiscard]] Dib ReduceTo8Bits(const Dib &bitmap, TReductionMethod method);

// Bytes per row of a bitmap: (width * bits + 31) div 32 * 4.
[[nodiscard]] int BytesPerScanline(int width, int bitCount);
// Colours of a depth: 2, 16 or 256 for 1, 4 and 8 bits, else 0.
[[nodiscard]] int ColorsOfBitCount(int bitCount);

// For levels 4, 6, 7 and 8: for each value 0..255 the index of the nearest level (the lower
// index on a tie). Built once, on first use.
void InitLevelTables();
[[nodiscard]] int NearestLevel(int levels, int value);
