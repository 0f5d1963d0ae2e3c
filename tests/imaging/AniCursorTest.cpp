#include "imaging/AniCursor.h"
#include "imaging/Bitmap.h"
#include "imaging/ExIcon.h"
#include "imaging/GIFImage.h"
#include "imaging/IconList.h"
#include "imaging/ListError.h"
#include "platform/Errors.h"
#include "tests/imaging/IconSamples.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace iconsamples;

namespace {

// An icon file with one square image of the size (so frames can be told apart by width).
QByteArray icoOf(int size, int bits = 4) { return file(1, {squareEntry(size, bits)}); }

// A cursor file: the hot spot in the directory, where an icon has planes and bit count.
QByteArray curOf(int size, std::uint16_t x, std::uint16_t y) {
  Entry e = squareEntry(size, 8);
  e.planes = x;
  e.bitCount = y;
  return file(2, {e});
}

QByteArray frames(const std::vector<QByteArray> &icons) {
  QByteArray chunks;
  for (const QByteArray &i : icons)
    chunks += chunk("icon", i);
  return list("fram", chunks);
}

void load(TAnimatedCursorImage &ani, const QByteArray &bytes) {
  QByteArray copy = bytes;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  ani.LoadFromStream(buffer);
}

bool refused(const QByteArray &bytes) {
  TAnimatedCursorImage ani;
  try {
    load(ani, bytes);
  } catch (const EReadError &e) {
    return e.message() == QStringLiteral("Stream read error");
  }
  return false;
}

std::vector<int> widths(const TAnimatedCursorImage &ani) {
  std::vector<int> out;
  for (int i = 0; i < ani.GetIconCount(); ++i)
    out.push_back(ani.GetIcon(i)->width());
  return out;
}

} // namespace

TEST(AnimatedCursor, OneValuePerRateAndSeqChunkAndFramesInFileOrder) {
  // Each rate and seq chunk sets one frame: its first value goes to the frame of its counter.
  const QByteArray bytes =
      riff(anih(4, 4, 10) + chunk("rate", u32s({20, 30, 40, 50})) +
           chunk("seq ", u32s({0, 1, 2, 3})) + frames({icoOf(16), icoOf(24), icoOf(32), icoOf(8)}));
  TAnimatedCursorImage ani;
  load(ani, bytes);
  ASSERT_EQ(ani.GetIconCount(), 4);
  EXPECT_EQ(widths(ani), (std::vector<int>{16, 24, 32, 8}));
  const std::uint32_t rates[] = {20, 10, 10, 10};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ani.GetFrame(i).rate, rates[i]) << i;
    EXPECT_EQ(ani.GetFrame(i).index, i);
    EXPECT_TRUE(ani.GetFrame(i).isIcon);
    EXPECT_EQ(QByteArray(ani.GetFrame(i).tag.id.data(), 4), QByteArray("icon"));
  }
  EXPECT_EQ(ani.GetFrame(1).tag.size, std::uint32_t(icoOf(24).size()));
  EXPECT_EQ(ani.Header().stepCount, 4u);
  EXPECT_EQ(ani.Header().frameCount, 4u);
  EXPECT_EQ(ani.MostColors(), 16);
}

TEST(AnimatedCursor, SequenceChunksPickTheIconAFrameShows) {
  // Two seq chunks: frame 0 shows icon 2, frame 1 icon 0; frame 2 keeps icon 2. Icon 1 is shown
  // by no frame, so it gets a frame of its own at the end.
  const QByteArray bytes =
      riff(anih(3, 3, 7) + chunk("seq ", u32s({2})) + chunk("seq ", u32s({0})) +
           frames({icoOf(16), icoOf(24), icoOf(32)}));
  TAnimatedCursorImage ani;
  load(ani, bytes);
  EXPECT_EQ(widths(ani), (std::vector<int>{32, 16, 32, 24}));
  EXPECT_EQ(ani.GetFrame(3).index, -1);
  EXPECT_EQ(ani.GetFrame(3).rate, 7u);
  // Frames that show the same icon own separate copies.
  EXPECT_NE(ani.GetIcon(0), ani.GetIcon(2));
  EXPECT_EQ(ani.GetIcon(0)->saveToBytes(), ani.GetIcon(2)->saveToBytes());
}

TEST(AnimatedCursor, IconsNoStepAskedForGetFramesOfTheirOwn) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(2, 2, 5) + frames({icoOf(16), icoOf(24), icoOf(32)})));
  ASSERT_EQ(ani.GetIconCount(), 3);
  EXPECT_EQ(ani.GetFrame(2).index, -1);
  EXPECT_EQ(ani.GetFrame(2).rate, 5u);
  EXPECT_EQ(ani.Header().stepCount, 3u);
  // Without any anih chunk every icon is such a frame.
  load(ani, riff(frames({icoOf(16), icoOf(32)})));
  EXPECT_EQ(widths(ani), (std::vector<int>{16, 32}));
}

TEST(AnimatedCursor, RefusalsAreStreamReadErrors) {
  const QByteArray body = frames({icoOf(16)});
  EXPECT_FALSE(refused(riff(anih(1, 1, 10) + body)));
  EXPECT_TRUE(refused(riff(anih(1, 1, 10, 0) + body))); // not flagged as icons
  EXPECT_TRUE(refused(riff(anih(1, 0, 10) + body)));    // no steps
  EXPECT_TRUE(refused(riff(anih(1, 1, 10) + body, "ACOX")));
  QByteArray notRiff = riff(anih(1, 1, 10) + body);
  notRiff[0] = 'r'; // identifiers are case-sensitive
  EXPECT_TRUE(refused(notRiff));
  EXPECT_TRUE(refused(QByteArray("RIFF")));
  EXPECT_TRUE(refused(riff(anih(1, 1, 10))));                       // no icons at all
  EXPECT_TRUE(refused(riff(anih(1, 1, 10) + frames({"garbage"})))); // none decodes
}

TEST(AnimatedCursor, InfoTextsAreCutAt255Bytes) {
  const QByteArray title(300, 'T');
  const QByteArray bytes =
      riff(list("INFO", chunk("INAM", title) + chunk("ICOP", "odd") + chunk("IART", "Hello")) +
           anih(1, 1, 10) + frames({icoOf(16)}));
  TAnimatedCursorImage ani;
  load(ani, bytes);
  EXPECT_EQ(ani.Title(), QByteArray(255, 'T'));
  EXPECT_EQ(ani.Author(), QByteArray("Hello")); // after an odd, padded chunk
  EXPECT_EQ(ani.GetIconCount(), 1);
}

TEST(AnimatedCursor, PadBytesUnknownChunksAndTruncation) {
  const QByteArray good = riff(chunk("junk", "abc") + anih(2, 2, 10) + chunk("xtra", "12345") +
                               frames({icoOf(16), icoOf(32)}));
  TAnimatedCursorImage ani;
  load(ani, good);
  EXPECT_EQ(widths(ani), (std::vector<int>{16, 32}));
  // Cut inside the second icon: reading ends quietly with the first.
  load(ani, good.left(good.size() - 10));
  EXPECT_EQ(widths(ani), (std::vector<int>{16}));
}

TEST(AnimatedCursor, CursorFramesTakeTheirHotSpotIconFramesTheirCentre) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(2, 2, 10) + frames({curOf(32, 3, 17), icoOf(24)})));
  ASSERT_EQ(ani.GetIconCount(), 2);
  EXPECT_FALSE(ani.GetFrame(0).isIcon);
  EXPECT_EQ(ani.GetFrame(0).hotSpot, QPoint(3, 17));
  // The cursor loads although its directory's "bit count" holds 17.
  EXPECT_EQ(ani.GetIcon(0)->bitCount(), 8);
  EXPECT_EQ(ani.GetIcon(0)->image().pixel(31, 31), B);
  EXPECT_TRUE(ani.GetFrame(1).isIcon);
  EXPECT_EQ(ani.GetFrame(1).hotSpot, QPoint(12, 12));
  EXPECT_EQ(ani.MostColors(), 256);
}

TEST(AnimatedCursor, EmptyStreamsChangeNothingFailedFilesClear) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(1, 1, 10) + frames({icoOf(16)})));
  load(ani, QByteArray());
  EXPECT_EQ(ani.GetIconCount(), 1);

  QTemporaryDir dir;
  const QString bad = dir.filePath(QStringLiteral("bad.ani"));
  QFile f(bad);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(riff(anih(1, 1, 10, 0)));
  f.close();
  EXPECT_THROW(ani.LoadFromFile(bad), EReadError);
  EXPECT_EQ(ani.GetIconCount(), 0);

  load(ani, riff(anih(1, 1, 10) + frames({icoOf(16)})));
  EXPECT_THROW(ani.LoadFromFile(dir.filePath(QStringLiteral("missing.ani"))), EFileError);
  EXPECT_EQ(ani.GetIconCount(), 0);
  EXPECT_TRUE(ani.Title().isEmpty());
}

TEST(AnimatedCursor, HostileCountsAndSizesCostNothing) {
  // 2^31 frames asked for: only as many frames are made as the data could ever fill.
  TAnimatedCursorImage ani;
  load(ani, riff(anih(0x7FFFFFFF, 1, 10) + frames({icoOf(16), icoOf(32)})));
  EXPECT_EQ(widths(ani), (std::vector<int>{16, 32}));

  // A LIST claiming 4 GB, an icon chunk past the end, an icon whose directory runs past its
  // chunk, an entry pointing outside, a seq value of -1.
  QByteArray huge =
      riff(anih(1, 1, 10) + chunkWithSize("LIST", 0xFFFFFFFFu, "fram") + chunk("icon", icoOf(16)));
  load(ani, huge);
  EXPECT_EQ(ani.GetIconCount(), 1);
  EXPECT_TRUE(refused(riff(anih(1, 1, 10) + list("fram", chunkWithSize("icon", 0x7FFFFFFF, "")))));
  QByteArray manyEntries = icoOf(16);
  manyEntries[4] = manyEntries[5] = char(0xFF);
  EXPECT_TRUE(refused(riff(anih(1, 1, 10) + frames({manyEntries}))));
  QByteArray farEntry = icoOf(16);
  farEntry.replace(6 + 12, 4, u32s({0xFFFFFFF0u}));
  EXPECT_TRUE(refused(riff(anih(1, 1, 10) + frames({farEntry}))));
  load(ani,
       riff(anih(2, 2, 10) + chunk("seq ", u32s({0xFFFFFFFFu})) + frames({icoOf(16), icoOf(32)})));
  EXPECT_EQ(widths(ani), (std::vector<int>{32, 16}));
  EXPECT_EQ(ani.GetFrame(1).index, -1);
  // A body-less rate chunk at the very end.
  load(ani, riff(anih(1, 1, 10) + frames({icoOf(16)}) + QByteArray("rate\x04\0\0\0", 8)));
  EXPECT_EQ(ani.GetIconCount(), 1);
}

TEST(AnimatedCursor, IndexOutOfBoundsIsAListError) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(1, 1, 10) + frames({icoOf(16)})));
  try {
    (void)ani.GetIcon(5);
    FAIL();
  } catch (const EListError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (5)"));
  }
  EXPECT_THROW((void)ani.GetFrame(-1), EListError);
}

TEST(AnimatedCursor, AssignCopiesFramesWithTheirRates) {
  TAnimatedCursorImage source;
  load(source,
       riff(list("INFO", chunk("INAM", "Walk")) + anih(3, 3, 6) + chunk("rate", u32s({10})) +
            chunk("rate", u32s({20})) + frames({icoOf(16), icoOf(24), icoOf(32)})));
  TAnimatedCursorImage copy;
  copy.Assign(&source);
  ASSERT_EQ(copy.GetIconCount(), 3);
  EXPECT_EQ(copy.Title(), QByteArray("Walk"));
  EXPECT_EQ(copy.MostColors(), 16);
  const std::uint32_t rates[] = {10, 20, 6};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(copy.GetFrame(i).rate, rates[i]);
    EXPECT_EQ(copy.GetFrame(i).index, i);
    EXPECT_NE(copy.GetIcon(i), source.GetIcon(i));
    EXPECT_EQ(copy.GetIcon(i)->saveToBytes(), source.GetIcon(i)->saveToBytes());
  }
  copy.Assign(nullptr);
  EXPECT_EQ(copy.GetIconCount(), 0);
  EXPECT_EQ(copy.Header().defaultRate, 0u);
}

TEST(AnimatedCursor, AssignsToIconsIconListsAndBitmapStrips) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(3, 3, 10) + frames({icoOf(16), icoOf(16, 8), icoOf(16)})));

  TIcon icon;
  ani.AssignTo(icon);
  EXPECT_EQ(icon.saveToBytes(), icoOf(16));

  TIconList list;
  list.Add(nullptr);
  int changes = 0;
  list.onChange = [&] { ++changes; };
  ani.AssignTo(list);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.Get(1)->saveToBytes(), icoOf(16, 8));

  // The strip, reduced to the 256 colours the frames had: 8 bits.
  TBitmap strip;
  ani.AssignTo(strip);
  EXPECT_EQ(strip.width(), 48);
  EXPECT_EQ(strip.height(), 16);
  EXPECT_EQ(strip.dib().bitCount(), 8);
  EXPECT_EQ(strip.dib().pixel(0, 0), clWhite); // the background shows through
  EXPECT_EQ(strip.dib().pixel(3, 3), RGB(200, 30, 90));
  EXPECT_EQ(strip.dib().pixel(47, 15), RGB(20, 140, 250));

  TExIcon other;
  try {
    ani.AssignTo(other);
    FAIL();
  } catch (const EConvertError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("Cannot assign a TAnimatedCursorImage to a TExIcon"));
  }

  // No frames: nothing happens.
  TAnimatedCursorImage none;
  none.AssignTo(icon);
  EXPECT_EQ(icon.saveToBytes(), icoOf(16));
}

TEST(AnimatedCursor, GifImagesTakeOneFramePerIconWithItsRate) {
  TAnimatedCursorImage ani;
  load(ani, riff(anih(3, 3, 6) + chunk("rate", u32s({10})) + chunk("rate", u32s({20})) +
                 frames({icoOf(16), icoOf(24), icoOf(32)})));
  TGIFImage gif;
  gif.assign(&ani);
  ASSERT_EQ(gif.frameCount(), 3);
  EXPECT_EQ(gif.frame(0).Delay, 166);
  EXPECT_EQ(gif.frame(1).Delay, 333);
  EXPECT_EQ(gif.frame(2).Delay, 100);
  EXPECT_EQ(gif.backgroundColor(), clWindow);
  // A bitmap's own assignment reaches the cursor's strip too.
  TBitmap strip;
  strip.assign(&ani);
  EXPECT_EQ(strip.width(), 16 * 3);
  // As a picture the cursor shows its first frame.
  EXPECT_EQ(ani.width(), 16);
  EXPECT_EQ(ani.clone()->width(), 16);
  TIcon icon;
  EXPECT_THROW(ani.assign(&icon), EConvertError);
}

TEST(AnimatedCursor, SavingIsNotOffered) {
  QStringList reports;
  const errors::ScopedInfoReporter reporter([&](const QString &m) { reports.push_back(m); });
  TAnimatedCursorImage ani;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_THROW(ani.SaveToStream(buffer), EAbort);
  EXPECT_EQ(reports, QStringList{QStringLiteral("Function not yet implemented")});
  EXPECT_TRUE(buffer.data().isEmpty());
}
