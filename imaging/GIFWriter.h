#pragma once

#include "imaging/GIFData.h"

#include <cstdint>
#include <span>
#include <vector>

// Brings a frame's graphic control extensions up to date with its Delay, TransparentColor and
// Disposal before it is written: adds one when the frame needs it, rewrites every one it has,
// and drops comment extensions without lines.
void UpdateGraphicControl(TGIFFrameRecord &frame);

// Assembles a GIF file from the image values and frames. Every frame must already have its
// compressed data (the picture object compresses frames built from bitmaps first).
//
// Updates the image's Version (2 when any frame has an extension, the image has a comment or
// a loop block is written, which it is whenever the image loops). The image's screen size is
// written as it is; an image without one (0 wide or high) takes the frames' extent.
//
// Raises EInvalidGraphicOperation: "No GIF Data to write" (no frames, or a frame without data),
// "Wrong number of colors; must be a power of 2" (a global table of another size),
// "GIF image encoding error" (a frame that does not fit the format's 16-bit sizes).
[[nodiscard]] std::vector<std::uint8_t> WriteGIF(TGIFImageRecord &image,
                                                 std::span<TGIFFrameRecord *const> frames);
