#pragma once

#include "imaging/Dib.h"

// The median-cut reduction of a 24-bit picture to at most 256 colours. Colours are counted in
// 4096 cells (4 bits per channel); boxes of cells are split along their widest channel at the
// pixel-count median until there are 256 or no box can be split. Gives an 8-bit picture with a
// 256-entry palette (unused entries black) and sets `boxes` to the number of boxes made.
[[nodiscard]] Dib ReduceByMedianCut(const Dib &rgb24, int &boxes);
