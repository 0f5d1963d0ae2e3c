#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "tests/imaging/GiflibOracle.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

// The compressed data of the first image of a simple file (no checks beyond the test's needs).
Bytes firstImageData(const Bytes &file) {
  std::size_t i = 13;
  if (file[10] & 0x80)
    i += 3u << ((file[10] & 7) + 1);
  while (file[i] == 0x21) {
    i += 2;
    while (file[i] != 0)
      i += file[i] + 1u;
    ++i;
  }
  const uint8_t packed = file[i + 9];
  i += 10;
  if (packed & 0x80)
    i += 3u << ((packed & 7) + 1);
  std::size_t end = i + 1;
  while (file[end] != 0)
    end += file[end] + 1u;
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(i),
               file.begin() + static_cast<std::ptrdiff_t>(end + 1));
}

struct Case {
  Indices indices;
  int bits;
  bool interlaced;
};

// A seeded mix: every table size, tiny and large frames, flat, noisy and smooth pictures.
std::vector<Case> corpus(uint32_t seed, int count) {
  std::mt19937 rng(seed);
  std::vector<Case> cases;
  for (int i = 0; i < count; ++i) {
    const int bits = 1 + static_cast<int>(rng() % 8);
    const int kind = static_cast<int>(rng() % 4);
    const int w = kind == 0 ? 1 + static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 300);
    const int h = kind == 0 ? 1 + static_cast<int>(rng() % 3) : 1 + static_cast<int>(rng() % 200);
    const auto s = static_cast<uint32_t>(rng());
    Indices in = kind == 1   ? noise(w, h, 1 << bits, s)
                 : kind == 2 ? plasma(w, h, 1 << bits, s)
                             : flatShapes(w, h, 1 << bits, s);
    cases.push_back({std::move(in), bits, rng() % 3 == 0});
  }
  return cases;
}

} // namespace

TEST(GIFOracle, WeDecodeWhatGiflibEncodes) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  for (const Case &c : corpus(20261208, 60)) {
    SCOPED_TRACE(testing::Message() << c.indices.width << "x" << c.indices.height << " bits "
                                    << c.bits << (c.interlaced ? " interlaced" : ""));
    const Bytes file = giflibEncode(c.indices, c.bits, c.interlaced);
    ASSERT_FALSE(file.empty());
    Rows rows = makeRows(c.indices.width, c.indices.height, 8);
    EXPECT_FALSE(DecodeGIFFrame(firstImageData(file), c.bits, c.interlaced, rows.raster, false));
    EXPECT_EQ(unpackRows(rows.raster), c.indices);
  }
}

TEST(GIFOracle, GiflibDecodesWhatWeEncode) {
  if (!haveGiflib())
    GTEST_SKIP() << "giflib not found";
  for (const Case &c0 : corpus(77, 60)) {
    // Our encoder takes 1-, 4- and 8-bit rows.
    const int bits = c0.bits == 1 ? 1 : c0.bits <= 4 ? 4 : 8;
    SCOPED_TRACE(testing::Message() << c0.indices.width << "x" << c0.indices.height << " bits "
                                    << bits << (c0.interlaced ? " interlaced" : ""));
    Rows rows = packRows(c0.indices, bits);
    Bytes data;
    EncodeGIFFrame(data, rows.raster, c0.interlaced);
    const int tableBits = bits == 1 ? 1 : bits;
    BlockBuilder b;
    b.header("87a").screen(c0.indices.width, c0.indices.height, tableBits);
    b.image(0, 0, c0.indices.width, c0.indices.height, 0, c0.interlaced).data(data).trailer();
    const auto decoded = giflibDecode(b.bytes());
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->frames.size(), 1u);
    EXPECT_EQ(decoded->frames[0].indices, c0.indices);
  }
}
