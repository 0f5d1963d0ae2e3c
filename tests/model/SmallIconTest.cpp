#include "model/SmallIcon.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// The bytes of one icon image: a bitmap header with the bit count, then filler.
QByteArray imageBytes(int width, int bits, char fill, uint32_t compression = 0) {
  QByteArray b(40 + 8, fill);
  qToLittleEndian<uint32_t>(40, b.data());
  qToLittleEndian<int32_t>(width, b.data() + 4);
  qToLittleEndian<int32_t>(width * 2, b.data() + 8);
  qToLittleEndian<uint16_t>(1, b.data() + 12);
  qToLittleEndian<uint16_t>(static_cast<uint16_t>(bits), b.data() + 14);
  qToLittleEndian<uint32_t>(compression, b.data() + 16);
  qToLittleEndian<uint32_t>(1234, b.data() + 20);
  return b;
}

struct Image {
  int width;
  int bits;
  char fill;
};

QByteArray icoFile(const std::vector<Image> &images) {
  QByteArray head(6 + 16 * images.size(), '\0');
  qToLittleEndian<uint16_t>(1, head.data() + 2);
  qToLittleEndian<uint16_t>(static_cast<uint16_t>(images.size()), head.data() + 4);
  QByteArray body;
  for (size_t i = 0; i < images.size(); ++i) {
    const QByteArray data = imageBytes(images[i].width, images[i].bits, images[i].fill);
    char *e = head.data() + 6 + 16 * i;
    e[0] = static_cast<char>(images[i].width);
    e[1] = static_cast<char>(images[i].width);
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(data.size()), e + 8);
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(head.size() + body.size()), e + 12);
    body += data;
  }
  return head + body;
}

} // namespace

TEST(SmallIcon, IndexFollowsTheDepthOrderFromIndexOne) {
  const std::vector<TIconImageInfo> three = {{16, 7}, {16, 2}, {32, 7}};
  EXPECT_EQ(SelectSmallIconIndex(three, true), 1); // index 0 is never found by depth
  EXPECT_EQ(SelectSmallIconIndex({{32, 2}, {16, 3}, {16, 7}}, true), 2);
  EXPECT_EQ(SelectSmallIconIndex({{32, 2}, {16, 3}, {16, 7}}, false), 1);
  EXPECT_EQ(SelectSmallIconIndex({{16, 2}, {32, 2}}, true), 0);
  EXPECT_EQ(SelectSmallIconIndex({{32, 2}, {48, 7}}, true), 0);
  EXPECT_EQ(SelectSmallIconIndex({{48, 7}}, true), 0);
  EXPECT_EQ(SelectSmallIconIndex({}, true), 0);
}

TEST(SmallIcon, TheIconKeepsOnlyTheChosenImage) {
  TOpaqueGraphic icon(QStringLiteral("Icon"),
                      icoFile({{32, 4, 'a'}, {16, 8, 'b'}, {16, 32, 'c'}, {48, 32, 'd'}}));
  SelectSmallIconImage(icon);
  const QByteArray out = icon.data();
  ASSERT_EQ(out.size(), 6 + 16 + 48);
  EXPECT_EQ(qFromLittleEndian<uint16_t>(out.constData() + 4), 1);
  EXPECT_EQ(static_cast<unsigned char>(out[6]), 16);
  EXPECT_EQ(qFromLittleEndian<uint16_t>(out.constData() + 6 + 6), 32); // bit count
  EXPECT_EQ(qFromLittleEndian<uint32_t>(out.constData() + 6 + 12), 22u);
  EXPECT_EQ(out.mid(22 + 40), QByteArray(8, 'c'));
  EXPECT_EQ(qFromLittleEndian<uint32_t>(out.constData() + 22 + 20), 0u); // image size cleared
}

TEST(SmallIcon, IconsItCannotReadStayAsTheyAre) {
  QByteArray png = icoFile({{16, 8, 'a'}, {16, 32, 'b'}});
  png.replace(6 + 32, 4, "\x89PNG"); // the first image becomes a PNG
  const QByteArray broken = icoFile({{16, 8, 'a'}, {16, 32, 'b'}}).left(60);
  const QByteArray rgb16 = icoFile({{16, 8, 'a'}, {16, 16, 'b'}, {32, 16, 'c'}});
  for (const QByteArray &bytes : {png, broken, QByteArray("not an icon"), rgb16}) {
    TOpaqueGraphic icon(QStringLiteral("Icon"), bytes);
    SelectSmallIconImage(icon);
    EXPECT_EQ(icon.data(), bytes);
  }
  const QByteArray single = icoFile({{32, 8, 'a'}});
  TOpaqueGraphic one(QStringLiteral("Icon"), single);
  SelectSmallIconImage(one);
  EXPECT_EQ(one.data(), single);
}
