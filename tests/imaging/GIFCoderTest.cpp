#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "platform/Errors.h"
#include "tests/imaging/GIFTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace giftest;

namespace {

Bytes encode(const Indices &in, int bits, bool interlaced = false, bool bottomUp = true) {
  Rows rows = packRows(in, bits, bottomUp);
  Bytes out;
  EncodeGIFFrame(out, rows.raster, interlaced);
  return out;
}

struct Decoded {
  Indices indices;
  bool corrupted = false;
  Bytes storage;
};

Decoded decode(const Bytes &data, int width, int height, int tableBits, int outBits,
               bool interlaced = false, bool loadCorrupted = true) {
  Rows rows = makeRows(width, height, outBits);
  Decoded d;
  d.corrupted = DecodeGIFFrame(data, tableBits, interlaced, rows.raster, loadCorrupted);
  d.indices = unpackRows(rows.raster);
  d.storage = rows.storage;
  return d;
}

// Code widths a decoder uses for a run of codes after a clear, none of them a clear.
std::vector<int> widthsAfterClear(int minimum, int codes) {
  std::vector<int> widths;
  int size = minimum + 1;
  int nextFree = (1 << minimum) + 2;
  for (int i = 0; i < codes; ++i) {
    widths.push_back(size);
    if (i == 0 || nextFree >= 4096)
      continue;
    ++nextFree;
    if (nextFree == (1 << size) && size < 12)
      ++size;
  }
  return widths;
}

} // namespace

TEST(GIFEncoder, MinimumCodeSizeFollowsTheBitCount) {
  const Indices in = noise(9, 5, 2, 1);
  EXPECT_EQ(encode(in, 1)[0], 2);
  EXPECT_EQ(encode(noise(9, 5, 16, 1), 4)[0], 4);
  EXPECT_EQ(encode(noise(9, 5, 256, 1), 8)[0], 8);
  // 1-bit pictures start with 3-bit codes: the clear code is 4.
  EXPECT_EQ(unpackCodes(encode(in, 1)).front(), 4);
  Rows rows = makeRows(4, 4, 24);
  Bytes out;
  EXPECT_THROW(EncodeGIFFrame(out, rows.raster, false), EInvalidGraphicOperation);
}

TEST(GIFEncoder, OneColourPictureStartsWithClearEndsWithEndAndRoundTrips) {
  Indices in{256, 256, Bytes(256 * 256, 77)};
  const Bytes data = encode(in, 8);
  const auto codes = unpackCodes(data);
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes.front(), 256);
  EXPECT_EQ(codes.back(), 257);
  const Decoded d = decode(data, 256, 256, 8, 8);
  EXPECT_FALSE(d.corrupted);
  EXPECT_EQ(d.indices, in);
}

TEST(GIFEncoder, ClearsRightAfterCode4094AndRestartsAtNineBits) {
  const Indices in = noise(300, 100, 256, 7);
  const Bytes data = encode(in, 8);
  const auto codes = unpackCodes(data);
  // After the clear at the start, 3837 codes add strings 258..4094; the pixel of the last
  // one comes as its own code and the clear follows at once.
  ASSERT_GT(codes.size(), 3840u);
  EXPECT_EQ(codes[0], 256);
  EXPECT_NE(codes[3838], 256);
  EXPECT_EQ(codes[3839], 256);
  EXPECT_LT(*std::max_element(codes.begin(), codes.end()), 4095);
  // unpackCodes reads the code after the clear with 9 bits again: the round trip proves the
  // stream agrees.
  EXPECT_LT(codes[3840], 256);
  EXPECT_EQ(decode(data, 300, 100, 8, 8).indices, in);
}

TEST(GIFEncoder, ClearOnTheLastPixelWritesNoExtraCode) {
  // Find how many pixels of a noise row it takes to reach code 4094, then encode exactly those.
  const Indices row = noise(20000, 1, 256, 3);
  const auto codes = unpackCodes(encode(row, 8));
  std::vector<int> length(4096, 1);
  int pixels = 0;
  int next = 258;
  int previous = -1;
  for (std::size_t i = 1; i < codes.size() && codes[i] != 256; ++i) {
    const int c = codes[i];
    const int n = c < 256    ? 1
                  : c < next ? length[static_cast<std::size_t>(c)]
                             : length[static_cast<std::size_t>(previous)] + 1;
    if (previous >= 0)
      length[static_cast<std::size_t>(next++)] = length[static_cast<std::size_t>(previous)] + 1;
    pixels += n;
    previous = c;
  }
  Indices cut{pixels, 1, Bytes(row.pixels.begin(), row.pixels.begin() + pixels)};
  const Bytes data = encode(cut, 8);
  const auto cutCodes = unpackCodes(data);
  ASSERT_GE(cutCodes.size(), 3u);
  EXPECT_EQ(cutCodes[cutCodes.size() - 2], 256);
  EXPECT_EQ(cutCodes.back(), 257);
  EXPECT_EQ(decode(data, pixels, 1, 8, 8).indices, cut);
}

TEST(GIFEncoder, TheEndCodeHasTheWidthAStrictReaderExpects) {
  // When the last code makes the decoder's table reach a power of two, the end code after it is
  // one bit wider. Decoding into one row more than the picture has makes the decoder read the end
  // code; data that ends before it raises.
  auto check = [](const Indices &in, int bits) {
    const Bytes data = encode(in, bits);
    EXPECT_EQ(unpackCodes(data).back(), (1 << data[0]) + 1);
    Rows rows = makeRows(in.width, 2, bits);
    EXPECT_NO_THROW((void)DecodeGIFFrame(data, bits, false, rows.raster, false));
    Indices first = unpackRows(rows.raster);
    first.height = 1;
    first.pixels.resize(static_cast<std::size_t>(in.width));
    EXPECT_EQ(first, in);
  };
  // The picture behind a file the encoder once cut short: 02 06 4c 60 80 8a b7 56 00.
  check(Indices{19, 1, Bytes{1, 1, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 1}}, 1);
  std::mt19937 rng(29);
  for (int i = 0; i < 18000; ++i) {
    const int bits = i % 3 == 0 ? 1 : i % 3 == 1 ? 4 : 8;
    const int colours = std::min(1 << bits, 2 + static_cast<int>(rng() % 6));
    const Indices in = noise(1 + static_cast<int>(rng() % 40), 1, colours, rng());
    SCOPED_TRACE(testing::Message() << "picture " << i << ", width " << in.width);
    check(in, bits);
    if (HasFailure())
      break;
  }
}

TEST(GIFEncoder, SubBlocksAreFullExceptTheLast) {
  const Bytes data = encode(noise(200, 200, 256, 11), 8);
  std::size_t i = 1;
  std::vector<int> sizes;
  while (i < data.size() && data[i] != 0) {
    sizes.push_back(data[i]);
    i += data[i] + 1u;
  }
  ASSERT_EQ(i, data.size() - 1);
  ASSERT_GT(sizes.size(), 2u);
  for (std::size_t k = 0; k + 1 < sizes.size(); ++k)
    EXPECT_EQ(sizes[k], 255);
  EXPECT_LT(sizes.back(), 255);
  EXPECT_GT(sizes.back(), 0);
}

TEST(GIFCoder, RoundTripsEveryDepthWidthAndRowOrder) {
  for (int bits : {1, 4, 8})
    for (int width : {1, 7, 9, 31, 33})
      for (bool interlaced : {false, true})
        for (bool bottomUp : {false, true}) {
          SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
          const Indices in = flatShapes(width, 13, 1 << bits, static_cast<uint32_t>(width));
          const Bytes data = encode(in, bits, interlaced, bottomUp);
          Rows rows = makeRows(width, 13, bits, bottomUp);
          EXPECT_FALSE(DecodeGIFFrame(data, bits, interlaced, rows.raster, true));
          EXPECT_EQ(unpackRows(rows.raster), in);
          // Padding bits and bytes after the last pixel stay 0.
          const auto rowSize = GIFRowSize(width, bits);
          const int usedBits = width * bits;
          for (int y = 0; y < 13; ++y) {
            const uint8_t *r = rows.raster.row(y);
            for (int bit = usedBits; bit < rowSize * 8; ++bit)
              ASSERT_EQ((r[bit / 8] >> (7 - bit % 8)) & 1, 0) << "row " << y << " bit " << bit;
          }
        }
}

TEST(GIFCoder, InterlaceRowOrderMatchesThePasses) {
  for (int h = 1; h <= 17; ++h) {
    std::vector<int> expected;
    for (int y = 0; y < h; y += 8)
      expected.push_back(y);
    for (int y = 4; y < h; y += 8)
      expected.push_back(y);
    for (int y = 2; y < h; y += 4)
      expected.push_back(y);
    for (int y = 1; y < h; y += 2)
      expected.push_back(y);
    std::vector<int> got;
    for (GIFRowOrder order(h, true); !order.done(); order.advance())
      got.push_back(order.current());
    EXPECT_EQ(got, expected) << "height " << h;
  }
  std::vector<int> three;
  for (GIFRowOrder order(3, true); !order.done(); order.advance())
    three.push_back(order.current());
  EXPECT_EQ(three, (std::vector<int>{0, 2, 1}));
}

TEST(GIFDecoder, TwelveBitCodesStayAndAddNothingUntilAClear) {
  // Min code size 2: a pixel 1, then 4090 codes of pixel 0 fill the table (6 = "10", the
  // rest "00"). With the table full, code 6 and code 4095 are still 12 bits wide.
  const int fill = 4090;
  const auto widths = widthsAfterClear(2, 1 + fill + 3);
  CodePacker p(2);
  p.code(4, 3).code(1, widths[0]);
  for (int i = 1; i <= fill; ++i)
    p.code(0, widths[static_cast<std::size_t>(i)]);
  ASSERT_EQ(widths[fill + 1], 12);
  p.code(6, 12).code(4095, 12).code(4, 12).code(1, 3).code(5, 3);
  Bytes expected(1, 1);
  expected.insert(expected.end(), fill, 0);
  for (int v : {1, 0, 0, 0, 1})
    expected.push_back(static_cast<uint8_t>(v));
  ASSERT_EQ(expected.size(), 4096u);
  const Decoded d = decode(p.finish(), 64, 64, 2, 8);
  EXPECT_FALSE(d.corrupted);
  EXPECT_EQ(d.indices.pixels, expected);
}

TEST(GIFDecoder, CodeSizeNineGivesTenBitCodes) {
  CodePacker p(9);
  p.code(512, 10).code(200, 10).code(17, 10).code(513, 10);
  const Decoded d = decode(p.finish(), 2, 1, 8, 8);
  EXPECT_FALSE(d.corrupted);
  EXPECT_EQ(d.indices.pixels, (Bytes{200, 17}));
}

TEST(GIFDecoder, CodeSizeOutOfRangeIsClampedOrRaises) {
  CodePacker p(1);
  p.code(4, 3).code(1, 3).code(2, 3).code(5, 3);
  const Bytes data = p.finish();
  const Decoded d = decode(data, 2, 1, 2, 8);
  EXPECT_TRUE(d.corrupted);
  EXPECT_EQ(d.indices.pixels, (Bytes{1, 2}));
  try {
    (void)decode(data, 2, 1, 2, 8, false, false);
    FAIL() << "no error";
  } catch (const EInvalidGraphicOperation &e) {
    EXPECT_STREQ(e.what(), "GIF code size not in range 2 to 9");
  }
  Bytes ten = data;
  ten[0] = 10;
  EXPECT_TRUE(decode(ten, 2, 1, 2, 8).corrupted);
}

TEST(GIFDecoder, EndCodeBeforeTheLastRowLeavesZeros) {
  CodePacker p(2);
  p.code(4, 3).code(3, 3).code(3, 3).code(5, 3);
  const Decoded d = decode(p.finish(), 2, 3, 2, 8);
  EXPECT_FALSE(d.corrupted);
  EXPECT_EQ(d.indices.pixels, (Bytes{3, 3, 0, 0, 0, 0}));
}

TEST(GIFDecoder, CodesBelowClearArePixelsWhateverTheTableSize) {
  // A 256-entry table with minimum code size 4: string codes 18 and up are below the table
  // size but are strings, not pixels.
  const Indices in = flatShapes(40, 30, 16, 5);
  const Bytes data = encode(in, 4);
  ASSERT_EQ(data[0], 4);
  const Decoded d = decode(data, 40, 30, 8, 8);
  EXPECT_FALSE(d.corrupted);
  EXPECT_EQ(d.indices, in);
}

TEST(GIFDecoder, DataWithoutALeadingClearAddsNoSpuriousString) {
  CodePacker p(2);
  p.code(0, 3).code(1, 3).code(6, 3).code(5, 3);
  EXPECT_EQ(decode(p.finish(), 4, 1, 2, 8).indices.pixels, (Bytes{0, 1, 0, 1}));
}

TEST(GIFDecoder, ClearFollowedByEndOrClearWritesNothing) {
  CodePacker p(2);
  p.code(4, 3).code(1, 3).code(4, 3).code(4, 3).code(5, 3);
  EXPECT_EQ(decode(p.finish(), 3, 1, 2, 8).indices.pixels, (Bytes{1, 0, 0}));
}

TEST(GIFDecoder, LoopingPrefixChainStopsAsCorrupt) {
  // Code 7 comes before it exists; the string added next then names itself as its prefix.
  CodePacker p(2);
  p.code(4, 3).code(0, 3).code(7, 3).code(6, 3).code(7, 4).code(5, 4);
  const Bytes data = p.finish();
  EXPECT_TRUE(decode(data, 50, 50, 2, 8).corrupted);
  try {
    (void)decode(data, 50, 50, 2, 8, false, false);
    FAIL() << "no error";
  } catch (const EInvalidGraphicOperation &e) {
    EXPECT_STREQ(e.what(), "GIF encoded data is corrupt");
  }
}

TEST(GIFDecoder, DataCutAnywhereKeepsWhatCameAndNeverOverReads) {
  const Indices in = plasma(61, 47, 256, 9);
  const Bytes data = encode(in, 8);
  for (std::size_t n = 0; n < data.size(); ++n) {
    const Bytes cut(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    const Decoded d = decode(cut, 61, 47, 8, 8);
    // Losing three data bytes always cuts into a pixel code: the end code and its padding
    // take at most 19 bits.
    if (n > 0 && n + 4 <= data.size()) {
      ASSERT_TRUE(d.corrupted) << n;
      EXPECT_THROW((void)decode(cut, 61, 47, 8, 8, false, false), EReadError);
    }
  }
  // The first rows come out right from the first half of the data.
  const Bytes half(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(data.size() / 2));
  const Decoded d = decode(half, 61, 47, 8, 8);
  EXPECT_TRUE(std::equal(in.pixels.begin(), in.pixels.begin() + 61 * 5, d.indices.pixels.begin()));
}

TEST(GIFDecoder, SubBlocksOfAnySizeAndOversizedFramesAreSafe) {
  const Indices in = noise(33, 21, 16, 4);
  const Bytes data = encode(in, 4);
  // Re-cut the sub-blocks into 1-byte blocks: same pixels.
  Bytes flat;
  for (std::size_t i = 1; i < data.size() && data[i] != 0; i += data[i] + 1u)
    flat.insert(flat.end(), data.begin() + static_cast<std::ptrdiff_t>(i + 1),
                data.begin() + static_cast<std::ptrdiff_t>(i + 1 + data[i]));
  Bytes small{data[0]};
  for (uint8_t b : flat) {
    small.push_back(1);
    small.push_back(b);
  }
  small.push_back(0);
  EXPECT_EQ(decode(small, 33, 21, 4, 4).indices, in);
  // A block length past the end gives what is there.
  Bytes lying = data;
  lying[1] = 255;
  lying.resize(40);
  EXPECT_TRUE(decode(lying, 33, 21, 4, 4).corrupted);
}

TEST(GIFCoder, ProgressStartsRunsAndEnds) {
  const Bytes data = encode(noise(64, 64, 256, 2), 8);
  std::vector<std::pair<GIFProgressStage, int>> seen;
  std::string message;
  GIFProgress sink = [&](GIFProgressStage s, int p, const std::string &m) {
    seen.emplace_back(s, p);
    message = m;
  };
  Rows rows = makeRows(64, 64, 8);
  EXPECT_FALSE(DecodeGIFFrame(data, 8, false, rows.raster, true, &sink));
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), std::make_pair(GIFProgressStage::Starting, 0));
  EXPECT_EQ(seen.back(), std::make_pair(GIFProgressStage::Ending, 100));
  for (std::size_t i = 1; i + 1 < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, GIFProgressStage::Running);
    if (i > 1) {
      EXPECT_GT(seen[i].second, seen[i - 1].second);
    }
  }
  EXPECT_GT(seen.size(), 20u);

  seen.clear();
  Bytes bad = data;
  bad[0] = 12;
  EXPECT_THROW((void)DecodeGIFFrame(bad, 8, false, rows.raster, false, &sink),
               EInvalidGraphicOperation);
  EXPECT_EQ(seen.back(), std::make_pair(GIFProgressStage::Ending, 0));
  EXPECT_EQ(message, "GIF code size not in range 2 to 9");

  seen.clear();
  Bytes out;
  Rows src = packRows(noise(10, 10, 2, 1), 1);
  EncodeGIFFrame(out, src.raster, false, &sink);
  EXPECT_EQ(seen.front().first, GIFProgressStage::Starting);
  EXPECT_EQ(seen[1], std::make_pair(GIFProgressStage::Running, 10));
  EXPECT_EQ(seen.back(), std::make_pair(GIFProgressStage::Ending, 100));
}
