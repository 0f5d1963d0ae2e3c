#pragma once

#include "imaging/GIFData.h"

#include <cstdint>
#include <span>
#include <vector>

// Parses a whole GIF file (87a or 89a) into image-level values and frames. The frames keep their
// compressed data as it came; nothing is decoded here.
//
// `image` and `frames` are filled as reading goes, so after a failure they hold what was read
// before it. With `loadCorrupted` on, a frame whose data is cut short is kept and marked
// Corrupted; with it off that raises "Stream read error".
//
// Extensions of a kind not known here are skipped with their sub-blocks. Reading ends quietly
// after GIFMaxFrames frames.
//
// Raises EInvalidGraphicOperation ("Unknown GIF version") or EReadError ("Stream read error")
// for bytes that are missing or stray.
// The most frames an image takes from a file; a few bytes make a frame, and every frame costs
// the animator a draw when it composes afresh.
constexpr std::size_t GIFMaxFrames = 4096;

void ReadGIF(std::span<const std::uint8_t> bytes, TGIFImageRecord &image,
             std::vector<TGIFFrameRecord> &frames, bool loadCorrupted);

// Applies a frame's graphic control extensions, in order, to its transparency, delay and
// disposal (used by the reader; exposed for the picture object's tests).
void ApplyGraphicControl(TGIFFrameRecord &frame);
