#pragma once

#include "imaging/Dib.h"

// The histogram reduction: the (up to) 256 most frequent colours of a 24-bit picture become
// the palette, the rest map to their nearest kept colour. Pictures of more than 2049 distinct
// colours are counted again with one more low bit dropped from one channel (blue, red, green,
// blue, ...) until they fit. Gives an 8-bit picture with a 256-entry palette (unused entries
// 128, 128, 128).
[[nodiscard]] Dib ReduceByHistogram(const Dib &rgb24);
