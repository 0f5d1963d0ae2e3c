#pragma once

#include "imaging/GIFRaster.h"

#include <cstdint>
#include <vector>

// Compresses the rows of a 1-, 4- or 8-bit picture into GIF image data and appends it to
// `target`: the minimum code size byte (2, 4 or 8), data sub-blocks of at most 255 bytes and a
// zero terminator. The table is cleared every 4094 codes, so codes never pass 12 bits.
// Any other bit count raises "GIF image encoding error".
void EncodeGIFFrame(std::vector<uint8_t> &target, const GIFRaster &source, bool interlaced,
                    const GIFProgress *progress = nullptr);
