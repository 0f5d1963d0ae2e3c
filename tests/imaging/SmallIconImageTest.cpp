#include "imaging/SmallIconImage.h"
#include "imaging/Icon.h"
#include "tests/imaging/IconSamples.h"

#include <gtest/gtest.h>

using iconsamples::Entry;
using iconsamples::squareEntry;

namespace {

TIcon iconOf(const std::vector<Entry> &entries) {
  TIcon icon;
  icon.loadFromBytes(iconsamples::file(1, entries));
  return icon;
}

// The one image the reduced icon holds: its width and bits per pixel.
std::pair<int, int> chosen(const TIcon &icon) {
  EXPECT_EQ(icon.images().size(), 1u);
  return {icon.width(), icon.bitCount()};
}

} // namespace

TEST(SelectSmallIconImage, PrefersTheDeepestSixteenPixelImage) {
  const std::vector<Entry> entries = {squareEntry(16, 4), squareEntry(16, 8), squareEntry(32, 32),
                                      squareEntry(16, 32), squareEntry(48, 8)};
  TIcon deep = iconOf(entries);
  int changes = 0;
  deep.onChange = [&] { ++changes; };
  SelectSmallIconImage(deep);
  EXPECT_EQ(chosen(deep), std::make_pair(16, 32));
  EXPECT_EQ(changes, 1);
  // The icon holds exactly that image's data.
  QByteArray body = entries[3].body;
  body.replace(20, 4, QByteArray(4, '\0'));
  EXPECT_EQ(deep.icoBytes().mid(22), body);
  EXPECT_EQ(deep.image().pixel(15, 15), iconsamples::B);

  // The other order starts with 16 colours.
  TIcon sixteen = iconOf(entries);
  SelectSmallIconImage(sixteen, false);
  EXPECT_EQ(chosen(sixteen), std::make_pair(16, 4));
}

TEST(SelectSmallIconImage, TheFirstImageCountsToo) {
  TIcon icon = iconOf({squareEntry(16, 32), squareEntry(16, 4), squareEntry(32, 8)});
  SelectSmallIconImage(icon);
  EXPECT_EQ(chosen(icon), std::make_pair(16, 32));
}

TEST(SelectSmallIconImage, WithoutASixteenPixelImageTakesTheFirst) {
  TIcon icon = iconOf({squareEntry(24, 8), squareEntry(32, 32)});
  SelectSmallIconImage(icon);
  EXPECT_EQ(chosen(icon), std::make_pair(24, 8));
}

TEST(SelectSmallIconImage, OneImageIconsAreLeftAsTheyAre) {
  TIcon icon = iconOf({squareEntry(32, 4)});
  const QByteArray before = icon.saveToBytes();
  SelectSmallIconImage(icon);
  EXPECT_EQ(icon.saveToBytes(), before);
  TIcon empty;
  SelectSmallIconImage(empty);
  EXPECT_TRUE(empty.empty());
}

TEST(SelectSmallIconImage, PngImagesTakePartAsThirtyTwoBits) {
  Entry png;
  png.body = iconsamples::png(16);
  TIcon icon = iconOf({squareEntry(16, 8), png, squareEntry(32, 8)});
  SelectSmallIconImage(icon);
  EXPECT_EQ(icon.width(), 16);
  EXPECT_EQ(icon.icoBytes().mid(22), iconsamples::png(16));
  EXPECT_EQ(qAlpha(icon.image().pixel(0, 0)), 0);
  EXPECT_EQ(icon.image().pixel(5, 5), iconsamples::A);
}

TEST(SelectSmallIconImage, IconsTheMultiImageReaderRefusesStayUnreduced) {
  // A 2-bit image has no depth code; the shown 32-pixel image still loads as an icon.
  iconsamples::DibLayout twoBits;
  twoBits.bitCount = 2;
  Entry odd;
  odd.body = iconsamples::dib(twoBits);
  TIcon icon = iconOf({odd, squareEntry(32, 8)});
  const QByteArray before = icon.saveToBytes();
  SelectSmallIconImage(icon);
  EXPECT_EQ(icon.saveToBytes(), before);
  EXPECT_EQ(icon.width(), 32);
}
