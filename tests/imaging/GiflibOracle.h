#pragma once

// giflib as an independent reference for the GIF tests. Present only when the build found
// giflib (TOLVANE_HAVE_GIFLIB); the tests that use it skip otherwise.

#include "tests/imaging/GIFTestSupport.h"

#include <optional>

namespace giftest {

struct OracleFrame {
  int left = 0, top = 0;
  bool interlaced = false;
  int tableBits = 0; // of the local table, 0 for none
  Indices indices;   // de-interlaced, top row first
};

struct OracleFile {
  int screenWidth = 0, screenHeight = 0;
  int globalBits = 0;
  std::vector<OracleFrame> frames;
};

[[nodiscard]] bool haveGiflib();
// DGifSlurp over the bytes; nothing when giflib refuses them.
[[nodiscard]] std::optional<OracleFile> giflibDecode(const Bytes &file);
// A one-frame GIF written by giflib from the indices, with a 2^bits-entry global table.
[[nodiscard]] Bytes giflibEncode(const Indices &indices, int bits, bool interlaced);

} // namespace giftest
