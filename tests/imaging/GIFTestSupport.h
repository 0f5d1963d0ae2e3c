#pragma once

// Test helpers for GIF data: a code packer for hand-made LZW streams, a block builder for
// hand-made files, and index rasters packed to and from 1-, 4- and 8-bit rows.

#include "imaging/GIFRaster.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace giftest {

using Bytes = std::vector<uint8_t>;

// Packs codes of varying width least significant bit first and cuts them into sub-blocks.
class CodePacker {
public:
  explicit CodePacker(int minimumCodeSize) : m_minimum(minimumCodeSize) {}
  CodePacker &code(int value, int width);
  // The code size byte, sub-blocks of at most `blockSize` bytes and (unless told not to) the
  // terminator.
  [[nodiscard]] Bytes finish(bool terminator = true, int blockSize = 255) const;

private:
  int m_minimum;
  Bytes m_bytes;
  uint64_t m_bits = 0;
  int m_bitCount = 0;
  mutable bool m_flushed = false;
};

// Reads the codes of compressed data back, following the code size changes a standard decoder
// makes. Stops at the end code.
[[nodiscard]] std::vector<int> unpackCodes(const Bytes &data);

// Pixels as one index byte each, top row first.
struct Indices {
  int width = 0;
  int height = 0;
  Bytes pixels;
  [[nodiscard]] uint8_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
  bool operator==(const Indices &) const = default;
};

// Rows in bitmap layout (bottom-up unless told otherwise) with a view on them.
struct Rows {
  Bytes storage;
  GIFRaster raster;
};

[[nodiscard]] Rows makeRows(int width, int height, int bitCount, bool bottomUp = true);
[[nodiscard]] Rows packRows(const Indices &indices, int bitCount, bool bottomUp = true);
[[nodiscard]] Indices unpackRows(const GIFRaster &raster);

// Seeded pictures.
[[nodiscard]] Indices noise(int width, int height, int colours, uint32_t seed);
[[nodiscard]] Indices flatShapes(int width, int height, int colours, uint32_t seed);
[[nodiscard]] Indices plasma(int width, int height, int colours, uint32_t seed);

// Builds a GIF file block by block.
class BlockBuilder {
public:
  BlockBuilder &raw(const Bytes &bytes);
  BlockBuilder &byte(int b);
  BlockBuilder &word(int w);
  BlockBuilder &text(const std::string &s);
  BlockBuilder &header(const std::string &version = "89a");
  // Screen descriptor; `tableBits` 0 means no global table.
  BlockBuilder &screen(int width, int height, int tableBits, int background = 0, int aspect = 0);
  BlockBuilder &table(int entries, uint32_t seed = 1);
  BlockBuilder &gce(int delay, int disposal = 0, int transparentIndex = -1);
  BlockBuilder &loop(int count, const std::string &id = "NETSCAPE2.0");
  BlockBuilder &comment(const std::vector<std::string> &lines);
  // Descriptor; `tableBits` 0 means no local table (then no table is written here).
  BlockBuilder &image(int left, int top, int width, int height, int tableBits = 0,
                      bool interlaced = false);
  BlockBuilder &data(const Bytes &compressed);
  BlockBuilder &trailer();
  [[nodiscard]] const Bytes &bytes() const { return m_bytes; }

private:
  Bytes m_bytes;
};

// The colour of table entry i in BlockBuilder::table: distinct, asymmetric values.
[[nodiscard]] uint8_t tableByte(uint32_t seed, int entry, int channel);

} // namespace giftest
