#pragma once

#include "imaging/GIFRaster.h"

#include <cstdint>
#include <span>

// Decodes one frame's compressed GIF data into pixel rows.
//
// `data` starts at the LZW minimum code size byte and holds the data sub-blocks after it (the
// zero terminator may be missing). `tableBits` (1..8) is the bit count of the frame's colour
// table: a root code's pixel is the code masked to it. The rows of `out` must be zero-filled;
// rows the data does not reach stay 0.
//
// Damaged data (a code size byte outside 2..9, a string longer than the pixel stack, data that
// ends before the end code) marks the result corrupted when `loadCorrupted` is on, keeping every
// pixel decoded so far. With it off the decoder raises "GIF code size not in range 2 to 9",
// "GIF encoded data is corrupt" or "Stream read error".
//
// Gives true when the data was corrupted. Never reads outside `data` or writes outside `out`.
[[nodiscard]] bool DecodeGIFFrame(std::span<const uint8_t> data, int tableBits, bool interlaced,
                                  const GIFRaster &out, bool loadCorrupted,
                                  const GIFProgress *progress = nullptr);

// Decodes only the top-left part of a frame of `frameWidth` x `frameHeight` pixels that `out`
// holds (`out` may be as large as the frame, never larger): pixels outside it are decoded and
// dropped, and decoding ends once the last of its rows is complete. Otherwise as DecodeGIFFrame.
[[nodiscard]] bool DecodeGIFFramePart(std::span<const uint8_t> data, int tableBits, bool interlaced,
                                      int frameWidth, int frameHeight, const GIFRaster &out,
                                      bool loadCorrupted, const GIFProgress *progress = nullptr);
