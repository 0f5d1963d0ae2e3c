#pragma once

#include "imaging/Graphic.h"

#include <vector>

// Picking the 16-pixel image of a multi-image icon for the notification area.

// One image of an icon file: its width as the directory gives it and its colour-depth code
// (0 device default, 1 one bit, 2 four bits, 3 eight bits, 4 16 bits 5-5-5, 5 16 bits with bit
// fields, 6 24 bits, 7 32 bits).
struct TIconImageInfo {
  int width = 0;
  int depthCode = 0;
};

// The index of the image to keep. With two or more images: the first 16-pixel image at index 1 or
// later whose depth code comes first in the order 7, 6, 5, 4, 3, 2, 1, 0 (deepColoursFirst) or
// 2, 3, 5, 4, 6, 7, 1, 0; else the first 16-pixel image; else image 0. With one image: 0.
[[nodiscard]] int SelectSmallIconIndex(const std::vector<TIconImageInfo> &images,
                                       bool deepColoursFirst);

// Reduces an icon (an ICO stream) to its 16-pixel image. Deep colours come first: today's trays
// show true-colour icons. An icon that cannot be read this way (a PNG-compressed image, a
// damaged file) stays as it is; nothing is raised.
void SelectSmallIconImage(TGraphic &icon);
