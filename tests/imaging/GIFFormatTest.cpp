#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFReader.h"
#include "imaging/GIFWriter.h"
#include "platform/Errors.h"
#include "tests/imaging/GIFTestSupport.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Parsed {
  TGIFImageRecord image;
  std::vector<TGIFFrameRecord> frames;
};

Parsed read(const Bytes &bytes, bool loadCorrupted = true) {
  Parsed p;
  ReadGIF(bytes, p.image, p.frames, loadCorrupted);
  return p;
}

Bytes write(Parsed &p) {
  std::vector<TGIFFrameRecord *> frames;
  for (auto &f : p.frames)
    frames.push_back(&f);
  return WriteGIF(p.image, frames);
}

template <typename E> std::string errorOf(const Bytes &bytes, bool loadCorrupted = true) {
  try {
    (void)read(bytes, loadCorrupted);
  } catch (const E &e) {
    return e.what();
  }
  return "no error";
}

Bytes lzw(int w, int h, int colours, uint32_t seed = 1) {
  const int bits = colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
  Rows rows = packRows(flatShapes(w, h, colours, seed), bits);
  Bytes out;
  EncodeGIFFrame(out, rows.raster, false);
  return out;
}

// A small file: header, screen with a 4-entry table, then whatever the test adds.
BlockBuilder start(const std::string &version = "89a") {
  BlockBuilder b;
  b.header(version).screen(10, 8, 2, 1);
  return b;
}

BlockBuilder &frame(BlockBuilder &b, int w = 4, int h = 3) {
  return b.image(0, 0, w, h).data(lzw(w, h, 4));
}

Indices decodeFrame(const TGIFFrameRecord &f) {
  Rows rows = makeRows(f.Item->Width, f.Item->Height, 8);
  (void)DecodeGIFFrame(f.Item->Encoded, f.Item->BitsPerPixel, f.Interlaced, rows.raster, true);
  return unpackRows(rows.raster);
}

} // namespace

TEST(GIFReader, HeaderVersionsIgnoreLetterCase) {
  BlockBuilder b;
  b.text("gif89A").screen(10, 8, 2, 1);
  frame(b).trailer();
  const Parsed p = read(b.bytes());
  EXPECT_EQ(p.image.Version, 2);
  EXPECT_EQ(p.image.ScreenWidth, 10);
  EXPECT_EQ(p.image.ScreenHeight, 8);
  EXPECT_EQ(p.image.BackgroundColor,
            RGB(tableByte(1, 1, 0), tableByte(1, 1, 1), tableByte(1, 1, 2)));
  EXPECT_EQ(read(start("87a").trailer().bytes()).image.Version, 1);
  BlockBuilder bad;
  bad.text("GIF90a").screen(1, 1, 1);
  EXPECT_EQ(errorOf<EInvalidGraphicOperation>(bad.bytes()), "Unknown GIF version");
  BlockBuilder notGif;
  notGif.text("JIF89a").screen(1, 1, 1);
  EXPECT_EQ(errorOf<EInvalidGraphicOperation>(notGif.bytes()), "Unknown GIF version");
  EXPECT_TRUE(read({}).frames.empty());
}

TEST(GIFReader, BackgroundOutsideTheTableIsNone) {
  BlockBuilder b;
  b.header().screen(10, 8, 2, 7).trailer();
  const Parsed p = read(b.bytes());
  EXPECT_EQ(p.image.BackgroundColor, clNone);
  EXPECT_EQ(p.image.Data->GlobalColors.Count, 4);
  EXPECT_EQ(p.image.Data->BitsPerPixel, 2);
  EXPECT_EQ(p.image.Data->ColorResolution, 8);
}

TEST(GIFReader, LoopBlocks) {
  auto looped = [](int count, const std::string &id) {
    BlockBuilder b = start();
    b.loop(count, id);
    frame(b).trailer();
    return read(b.bytes()).image;
  };
  EXPECT_TRUE(looped(0, "NETSCAPE2.0").Looping);
  EXPECT_EQ(looped(0, "NETSCAPE2.0").RepeatCount, 0);
  EXPECT_EQ(looped(40000, "NETSCAPE2.0").RepeatCount, 30000);
  EXPECT_EQ(looped(7, "ANIMEXTS1.0").RepeatCount, 7);
  EXPECT_FALSE(looped(7, "XMPDataXMP ").Looping);

  // A first sub-block of 2 bytes, or one that does not start with 1, is no loop block.
  BlockBuilder shortBlock = start();
  shortBlock.byte(0x21).byte(0xFF).byte(11).text("NETSCAPE2.0").byte(2).byte(1).byte(5).byte(0);
  frame(shortBlock).trailer();
  EXPECT_FALSE(read(shortBlock.bytes()).image.Looping);
  BlockBuilder two = start();
  two.byte(0x21).byte(0xFF).byte(11).text("NETSCAPE2.0").byte(3).byte(2).word(5).byte(0);
  frame(two).trailer();
  const Parsed p = read(two.bytes());
  EXPECT_FALSE(p.image.Looping);
  EXPECT_EQ(p.image.RepeatCount, 1);
  // An application extension that is no loop block stays with the frame.
  ASSERT_EQ(p.frames.at(0).Extensions.size(), 1u);
  EXPECT_EQ(p.frames[0].Extensions[0].Kind, TExtension::Application);

  // A block size byte of 255 compares only the 11 identifier bytes there are.
  BlockBuilder big = start();
  big.byte(0x21).byte(0xFF).byte(255).text("NETSCAPE2.0").byte(3).byte(1).word(9).byte(0);
  frame(big).trailer();
  EXPECT_EQ(read(big.bytes()).image.RepeatCount, 9);
}

TEST(GIFReader, GraphicControlExtensions) {
  BlockBuilder b = start();
  b.gce(5, 1, 0).gce(3, 2, 3);
  frame(b);
  b.gce(7000);
  frame(b);
  b.gce(4, 3, 2).byte(0x21).byte(0x01).byte(12).raw(Bytes(12, 0)).byte(1).byte('x').byte(0);
  frame(b).trailer();
  const Parsed p = read(b.bytes());
  ASSERT_EQ(p.frames.size(), 3u);
  const TGIFFrameRecord &f0 = p.frames[0];
  EXPECT_EQ(f0.Delay, 50);
  EXPECT_EQ(f0.Disposal, 2);
  EXPECT_EQ(f0.TransparentColor, p.image.Data->GlobalColors.color(3));
  EXPECT_EQ(f0.TransparentIndex, 3);
  EXPECT_EQ(f0.Extensions.size(), 2u);
  // 7000 hundredths do not fit 16 bits of milliseconds: saturated, not wrapped.
  EXPECT_EQ(p.frames[1].Delay, 65535);
  EXPECT_EQ(p.frames[1].TransparentColor, clNone);
  // A plain-text extension drops what was collected for the coming image.
  EXPECT_EQ(p.frames[2].Delay, 0);
  EXPECT_EQ(p.frames[2].TransparentColor, clNone);
  EXPECT_TRUE(p.frames[2].Extensions.empty());
}

TEST(GIFReader, TransparentIndexOutsideTheTableKeepsThePreviousColour) {
  BlockBuilder b = start();
  b.gce(0, 0, 2).gce(0, 0, 9);
  frame(b).trailer();
  const Parsed p = read(b.bytes());
  EXPECT_EQ(p.frames[0].TransparentIndex, 2);
}

TEST(GIFReader, DescriptorsTablesAndStrayBytes) {
  BlockBuilder b = start();
  b.image(2, 1, 0, 0).data(lzw(10, 8, 4));
  b.byte(0).byte(0);
  b.image(0, 0, 3, 3, 3, true).data(lzw(3, 3, 8)).byte(0x55).raw(Bytes(20, 0x21));
  const Parsed p = read(b.bytes());
  ASSERT_EQ(p.frames.size(), 2u);
  EXPECT_EQ(p.frames[0].Item->Width, 10);
  EXPECT_EQ(p.frames[0].Item->Height, 8);
  EXPECT_EQ(p.frames[0].Left, 2);
  EXPECT_EQ(p.frames[0].Top, 1);
  EXPECT_FALSE(p.frames[0].LocalColors);
  EXPECT_EQ(p.frames[0].Item->Colors, p.image.Data->GlobalColors);
  EXPECT_EQ(p.frames[0].Item->BitsPerPixel, 2);
  EXPECT_TRUE(p.frames[1].LocalColors);
  EXPECT_TRUE(p.frames[1].Interlaced);
  EXPECT_EQ(p.frames[1].Item->Colors.Count, 8);
  EXPECT_EQ(p.frames[1].Item->BitsPerPixel, 3);
  EXPECT_EQ(p.frames[1].Item->PackedFields, 0x80 | 0x40 | 2);

  // After a run of extensions a stray byte fails the whole read.
  BlockBuilder c = start();
  frame(c).gce(1).byte(0x55).byte(0x2C);
  EXPECT_EQ(errorOf<EReadError>(c.bytes()), "Stream read error");
}

TEST(GIFReader, UnknownExtensionsAreSkippedWithTheirSubBlocksAndTheFramesAfterThemKept) {
  // Label 0x99 with two sub-blocks, one of them holding bytes that look like blocks; then a
  // control extension and a frame, a second unknown one between frames, and a last frame.
  BlockBuilder b = start();
  b.byte(0x21).byte(0x99).byte(3).text("abc").byte(4).raw({0x2C, 0x21, 0x3B, 0}).byte(0);
  b.gce(7, 1);
  frame(b);
  b.byte(0x21).byte(0x02).byte(0);
  frame(b, 2, 2).trailer();
  const Parsed p = read(b.bytes());
  ASSERT_EQ(p.frames.size(), 2u);
  EXPECT_EQ(p.frames[0].Delay, 70);
  EXPECT_EQ(p.frames[0].Disposal, 1);
  EXPECT_EQ(decodeFrame(p.frames[0]), flatShapes(4, 3, 4, 1));
  EXPECT_EQ(decodeFrame(p.frames[1]), flatShapes(2, 2, 4, 1));
  // A cut inside an unknown extension is a read error like any other.
  BlockBuilder cut = start();
  frame(cut).byte(0x21).byte(0x99).byte(9).text("ab");
  EXPECT_EQ(errorOf<EReadError>(cut.bytes()), "Stream read error");
}

TEST(GIFReader, FramesWithoutAnyTableAreAccepted) {
  BlockBuilder b;
  b.header().screen(4, 3, 0);
  frame(b).trailer();
  const Parsed p = read(b.bytes());
  ASSERT_EQ(p.frames.size(), 1u);
  EXPECT_EQ(p.frames[0].Item->Colors.Count, 0);
  EXPECT_EQ(p.frames[0].Item->BitsPerPixel, 0);
}

TEST(GIFReader, CutFramesAreCorruptedOrFail) {
  BlockBuilder b = start();
  frame(b);
  b.image(0, 0, 10, 8).data(lzw(10, 8, 4, 3));
  const Bytes whole = b.bytes();
  // The length byte of the second frame's only sub-block promises more than is left.
  const Bytes cut(whole.begin(), whole.end() - 3);
  const Parsed p = read(cut);
  ASSERT_EQ(p.frames.size(), 2u);
  EXPECT_FALSE(p.frames[0].Corrupted);
  EXPECT_TRUE(p.frames[1].Corrupted);
  EXPECT_EQ(p.frames[1].Item->Encoded.size(), 1u);
  EXPECT_EQ(errorOf<EReadError>(cut, false), "Stream read error");
  // A file that ends right after a whole sub-block is not marked.
  const Bytes noTerminator(whole.begin(), whole.end() - 1);
  const Parsed q = read(noTerminator);
  EXPECT_FALSE(q.frames[1].Corrupted);
  EXPECT_EQ(decodeFrame(q.frames[1]), flatShapes(10, 8, 4, 3));
}

TEST(GIFReader, TruncationOutsideImageDataIsAReadError) {
  BlockBuilder b = start();
  b.comment({"note"}).gce(2);
  b.image(0, 0, 3, 3, 3).data(lzw(3, 3, 8));
  const Bytes whole = b.bytes();
  // Every cut inside the header, tables, extensions and descriptor fails cleanly.
  const std::size_t dataStart = whole.size() - lzw(3, 3, 8).size();
  for (std::size_t n = 1; n < dataStart; ++n) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      const Parsed p = read(cut);
      // Cuts right after an introducer end the loop quietly.
      EXPECT_TRUE(p.frames.empty()) << n;
    } catch (const EReadError &) {
    }
  }
}

TEST(GIFReader, TrailingCommentsBecomeTheImageComment) {
  BlockBuilder b = start();
  b.comment({"before", "frame"});
  frame(b).comment({"one"}).gce(3).comment({"two", "lines"}).trailer();
  Parsed p = read(b.bytes());
  EXPECT_EQ(p.image.Data->Comment, (TGIFLines{"one", "\r\n\r\n", "two", "lines"}));
  ASSERT_EQ(p.frames[0].Extensions.size(), 1u);
  EXPECT_EQ(p.frames[0].Extensions[0].Lines, (TGIFLines{"before", "frame"}));

  // Written back: the frame's comment in front of it, the image comment before the trailer.
  const Bytes out = write(p);
  const std::string text(out.begin(), out.end());
  const auto frameComment = text.find("\x21\xFE\x06"
                                      "before\x05"
                                      "frame\x00",
                                      0);
  ASSERT_NE(frameComment, std::string::npos);
  EXPECT_LT(frameComment, text.find('\x2C', 13 + 12));
  EXPECT_NE(text.find("\x21\xFE\x03one\x04\r\n\r\n\x03two\x05lines", 0), std::string::npos);
  EXPECT_EQ(out.back(), 0x3B);
  EXPECT_EQ(out[out.size() - 2], 0);
}

TEST(GIFWriter, PlainTwoFrameImageStays87a) {
  BlockBuilder b = start("87a");
  frame(b);
  frame(b).trailer();
  Parsed p = read(b.bytes());
  const Bytes out = write(p);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF87a");
  const std::string id = "NETSCAPE";
  EXPECT_EQ(std::search(out.begin(), out.end(), id.begin(), id.end()), out.end());
  const Parsed back = read(out);
  ASSERT_EQ(back.frames.size(), 2u);
  EXPECT_FALSE(back.image.Looping);
  EXPECT_TRUE(back.frames[0].Extensions.empty());
  EXPECT_TRUE(back.frames[1].Extensions.empty());
}

TEST(GIFWriter, LoopBlockBytesAreExact) {
  BlockBuilder b = start("87a");
  frame(b);
  frame(b).trailer();
  Parsed p = read(b.bytes());
  p.image.Looping = true;
  p.image.RepeatCount = 0x1234;
  const Bytes out = write(p);
  const Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                   'E',  '2',  '.',  '0', 0x03, 0x01, 0x34, 0x12, 0x00};
  const auto at = std::search(out.begin(), out.end(), loop.begin(), loop.end());
  ASSERT_NE(at, out.end());
  EXPECT_EQ(at - out.begin(), 13 + 12);
  // An extension needs 89a.
  EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF89a");
}

TEST(GIFWriter, BackgroundIndexIsTheFirstMatch) {
  BlockBuilder b;
  b.header().screen(4, 3, 2, 0);
  frame(b).trailer();
  Parsed p = read(b.bytes());
  auto &table = p.image.Data->GlobalColors;
  table.Entries[1] = {200, 30, 90};
  table.Entries[3] = {200, 30, 90};
  p.image.BackgroundColor = RGB(200, 30, 90);
  EXPECT_EQ(write(p)[11], 1);
  p.image.BackgroundColor = clNone;
  EXPECT_EQ(write(p)[11], 0);
  p.image.BackgroundColor = RGB(90, 30, 200);
  EXPECT_EQ(write(p)[11], 0);
  table.Count = 3;
  EXPECT_THROW((void)write(p), EInvalidGraphicOperation);
  table.Count = 0;
  const Bytes noTable = write(p);
  EXPECT_EQ(noTable[10], 0);
  EXPECT_EQ(noTable[13], 0x2C);
}

TEST(GIFWriter, GraphicControlFollowsTheFrameFields) {
  BlockBuilder b = start("87a");
  b.image(0, 0, 4, 3, 2).data(lzw(4, 3, 4));
  frame(b).trailer();
  Parsed p = read(b.bytes());
  TGIFFrameRecord &f = p.frames[0];
  auto &colors = f.Item->Colors;
  colors.Entries[0] = {200, 30, 90};
  colors.Entries[2] = {200, 30, 90};
  f.Delay = 1234;
  f.Disposal = 3;
  f.TransparentColor = RGB(200, 30, 90);
  f.TransparentIndex = 2; // as read: the second of two equal entries stays the one
  UpdateGraphicControl(f);
  ASSERT_EQ(f.Extensions.size(), 1u);
  const auto &h = f.Extensions[0].Header;
  EXPECT_EQ(h[0], 4);
  EXPECT_EQ(h[1], 3 << 2 | 1);
  EXPECT_EQ(h[2] | h[3] << 8, 123);
  EXPECT_EQ(h[4], 2);
  EXPECT_EQ(h[5], 0);
  f.TransparentIndex = -1;
  UpdateGraphicControl(f);
  EXPECT_EQ(f.Extensions[0].Header[4], 0);
  // A colour not in the table clears the flag; the other packed bits stay.
  f.Extensions[0].Header[1] |= 0x02;
  f.TransparentColor = RGB(1, 2, 3);
  UpdateGraphicControl(f);
  EXPECT_EQ(f.Extensions[0].Header[1], 3 << 2 | 2);

  const Bytes out = write(p);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 6), "GIF89a");
  const Parsed back = read(out);
  EXPECT_EQ(back.frames[0].Delay, 1230);
  EXPECT_EQ(back.frames[0].Disposal, 3);
  EXPECT_EQ(back.frames[0].TransparentColor, clNone);
  EXPECT_TRUE(back.frames[0].LocalColors);
  // Nothing needs a control extension: none is added.
  UpdateGraphicControl(p.frames[1]);
  EXPECT_TRUE(p.frames[1].Extensions.empty());
}

TEST(GIFWriter, ScreenSizeWithoutOneAndLocalTablesFollowTheFrames) {
  BlockBuilder b = start();
  frame(b);
  frame(b).trailer();
  Parsed p = read(b.bytes());
  p.image.ScreenWidth = 0;
  p.frames[1].Left = 20;
  p.frames[1].Top = 5;
  // A local table of 3 entries is written as 4, padded with black; one of 0 is not written.
  p.frames[0].LocalColors = true;
  p.frames[0].Item = std::make_shared<TGIFItem>(*p.frames[0].Item);
  p.frames[0].Item->Colors.Count = 3;
  p.frames[1].LocalColors = true;
  p.frames[1].Item = std::make_shared<TGIFItem>(*p.frames[1].Item);
  p.frames[1].Item->Colors.Count = 0;
  const Bytes out = write(p);
  EXPECT_EQ(p.image.ScreenWidth, 24);
  EXPECT_EQ(p.image.ScreenHeight, 8);
  const Parsed back = read(out);
  ASSERT_EQ(back.frames.size(), 2u);
  EXPECT_EQ(back.image.ScreenWidth, 24);
  EXPECT_EQ(back.frames[0].Item->Colors.Count, 4);
  EXPECT_EQ(back.frames[0].Item->Colors.color(3), clBlack);
  EXPECT_EQ(back.frames[0].Item->Colors.color(2), p.image.Data->GlobalColors.color(2));
  EXPECT_FALSE(back.frames[1].LocalColors);
  EXPECT_EQ(decodeFrame(back.frames[1]), flatShapes(4, 3, 4, 1));

  p.frames[1].Left = 70000;
  EXPECT_THROW((void)write(p), EInvalidGraphicOperation);
  Parsed none;
  try {
    (void)write(none);
    FAIL();
  } catch (const EInvalidGraphicOperation &e) {
    EXPECT_STREQ(e.what(), "No GIF Data to write");
  }
}

TEST(GIFWriter, LongLinesAreCutAndEmptyCommentsDropped) {
  BlockBuilder b = start();
  frame(b).trailer();
  Parsed p = read(b.bytes());
  p.image.Data->Comment = {std::string(300, 'c'), "", "end"};
  TExtension empty;
  empty.Kind = TExtension::Comment;
  p.frames[0].Extensions.push_back(empty);
  UpdateGraphicControl(p.frames[0]);
  EXPECT_TRUE(p.frames[0].Extensions.empty());
  const Bytes out = write(p);
  const Parsed back = read(out);
  EXPECT_EQ(back.image.Data->Comment, (TGIFLines{std::string(255, 'c'), "end"}));
}

TEST(GIFWriter, CutFrameDataGetsItsTerminator) {
  BlockBuilder b = start();
  frame(b);
  const Bytes whole = b.bytes();
  // The file ends after the last whole sub-block: no terminator, no trailer.
  Parsed p = read(Bytes(whole.begin(), whole.end()));
  ASSERT_EQ(p.frames.size(), 1u);
  const Bytes once = write(p);
  const Parsed back = read(once);
  ASSERT_EQ(back.frames.size(), 1u);
  EXPECT_FALSE(back.frames[0].Corrupted);
  EXPECT_EQ(decodeFrame(back.frames[0]), flatShapes(4, 3, 4, 1));
  Parsed again = read(once);
  EXPECT_EQ(write(again), once);
}

TEST(GIFFormat, SizePrefixlessRoundTripIsIdempotent) {
  BlockBuilder b = start();
  b.loop(3).comment({"first"}).gce(10, 2, 1);
  b.image(1, 2, 5, 4, 4, true).data(lzw(5, 4, 16, 2));
  b.gce(20, 1);
  frame(b, 10, 8).comment({"tail"}).trailer();
  Parsed p = read(b.bytes());
  const Bytes once = write(p);
  Parsed q = read(once);
  const Bytes twice = write(q);
  EXPECT_EQ(once, twice);
  EXPECT_EQ(q.image.RepeatCount, 3);
  EXPECT_EQ(q.frames[0].Delay, 100);
  EXPECT_EQ(q.frames[1].Disposal, 1);
  EXPECT_EQ(q.image.Data->Comment, TGIFLines{"tail"});
}

TEST(GIFFormat, DamagedFilesGiveOnlyTheFormatsErrors) {
  BlockBuilder b = start();
  b.loop(2).comment({"c"}).gce(10, 2, 1);
  b.image(1, 2, 5, 4, 4, true).data(lzw(5, 4, 16, 2));
  b.gce(20, 1);
  frame(b, 10, 8).trailer();
  const Bytes good = b.bytes();
  auto tryAll = [](const Bytes &bytes) {
    try {
      Parsed p = read(bytes);
      for (const auto &f : p.frames) {
        if (f.Item->BitsPerPixel >= 1 && f.Item->BitsPerPixel <= 8 && f.Item->Width <= 256 &&
            f.Item->Height <= 256)
          (void)decodeFrame(f);
      }
      if (!p.frames.empty())
        (void)write(p);
    } catch (const ETolvaneError &) {
    }
  };
  for (std::size_t n = 0; n <= good.size(); ++n)
    tryAll(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)));
  std::mt19937 rng(99);
  for (int i = 0; i < 10000; ++i) {
    Bytes bad = good;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < flips; ++k)
      bad[rng() % bad.size()] = static_cast<uint8_t>(rng());
    tryAll(bad);
  }
  SUCCEED();
}
