// Damaged files for the icon, cursor and animated-cursor readers: valid samples with random
// bytes changed and random cuts, from a fixed seed. Every outcome must be a loaded picture or
// one of the program's own errors; under the sanitizer build this also shows that no read
// strays outside the data. (The PNG library reports the damaged PNG images on stderr.)
#include "imaging/AniCursor.h"
#include "imaging/Bitmap.h"
#include "imaging/ExIcon.h"
#include "imaging/IconList.h"
#include "imaging/SmallIconImage.h"
#include "platform/Errors.h"
#include "tests/imaging/IconSamples.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

using namespace iconsamples;

namespace {

constexpr int Rounds = 1500;

QByteArray damaged(const QByteArray &good, std::mt19937 &random) {
  QByteArray bytes = good;
  const int changes = 1 + int(random() % 6);
  for (int i = 0; i < changes; ++i) {
    const auto at = qsizetype(random() % std::uint32_t(bytes.size()));
    // Small offsets hit the directory and chunk heads, where sizes and counts live.
    const qsizetype where = random() % 2 ? at % 64 : at;
    bytes[where] = random() % 3 ? char(random()) : char(0xFF);
  }
  if (random() % 4 == 0)
    bytes.truncate(qsizetype(random() % std::uint32_t(bytes.size())));
  return bytes;
}

QByteArray mixedIcon() {
  Entry png;
  png.body = iconsamples::png(16);
  return file(1, {squareEntry(16, 4), squareEntry(16, 8), squareEntry(32, 32), png});
}

void exercise(TExIconCursor &icons) {
  QImage canvas(8, 8, QImage::Format_ARGB32);
  QPainter painter(&canvas);
  for (int i = 0; i < icons.GetImageCount(); ++i) {
    icons.SetCurrent(i);
    (void)icons.GetImage(i).Decode();
    icons.draw(painter, QRect(0, 0, 8, 8));
    try {
      (void)icons.ReleaseHandle();
      int format = 0;
      QByteArray data;
      icons.SaveToClipboardFormat(format, data);
    } catch (const ETolvaneError &) {
    }
  }
  try {
    TExIconCursor back(icons);
    back.loadFromBytes(icons.saveToBytes());
  } catch (const ETolvaneError &) {
  }
}

} // namespace

TEST(IconReaderMutation, MultiImageIconsAndCursors) {
  std::mt19937 random(20240611);
  const QByteArray ico = mixedIcon();
  Entry hot = squareEntry(16, 8);
  hot.planes = 3;
  hot.bitCount = 9;
  const QByteArray cur = file(2, {hot, squareEntry(32, 1)});
  int loaded = 0;
  for (int round = 0; round < Rounds; ++round) {
    const bool cursor = round % 2;
    const QByteArray bytes = damaged(cursor ? cur : ico, random);
    std::unique_ptr<TExIconCursor> icons =
        cursor ? std::make_unique<TExIconCursor>() : std::make_unique<TExIcon>();
    try {
      icons->loadFromBytes(bytes);
      ++loaded;
    } catch (const ETolvaneError &) {
      continue;
    }
    exercise(*icons);
  }
  EXPECT_GT(loaded, Rounds / 10); // the damage is not always fatal, so the exercise runs
}

TEST(IconReaderMutation, SmallIconSelection) {
  std::mt19937 random(7);
  const QByteArray ico = mixedIcon();
  for (int round = 0; round < Rounds; ++round) {
    TIcon icon;
    try {
      icon.loadFromBytes(damaged(ico, random));
    } catch (const ETolvaneError &) {
      continue;
    }
    SelectSmallIconImage(icon); // never raises
    (void)icon.saveToBytes();
  }
}

TEST(IconReaderMutation, AnimatedCursors) {
  std::mt19937 random(1234);
  const QByteArray ani =
      riff(list("INFO", chunk("INAM", "Name") + chunk("IART", "Art")) + anih(3, 3, 10) +
           chunk("rate", u32s({5, 6, 7})) + chunk("seq ", u32s({2, 1, 0})) +
           list("fram", chunk("icon", file(1, {squareEntry(16, 4)})) +
                            chunk("icon", file(2, {squareEntry(16, 8)})) +
                            chunk("icon", file(1, {squareEntry(16, 32)}))));
  int loaded = 0;
  for (int round = 0; round < Rounds; ++round) {
    QByteArray bytes = damaged(ani, random);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TAnimatedCursorImage cursor;
    try {
      cursor.LoadFromStream(buffer);
      ++loaded;
    } catch (const ETolvaneError &) {
      continue;
    }
    TIconList list;
    cursor.AssignTo(list);
    EXPECT_EQ(list.GetCount(), cursor.GetIconCount());
    try {
      TBitmap strip;
      cursor.AssignTo(strip);
    } catch (const EInvalidGraphic &) {
      // frames of different sizes may leave no room for a strip
    }
  }
  EXPECT_GT(loaded, Rounds / 10);
}
