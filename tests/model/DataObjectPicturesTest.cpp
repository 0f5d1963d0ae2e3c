#include "model/DataObjectStore.h"
#include "model/XMLStore.h"
#include "model/XmlEncoding.h"
#include "tests/model/FakePictures.h"
#include "tests/model/StoreTestUtil.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// An ICO stream of 16-pixel images with the given bit counts (and a 32-pixel one at the end).
QByteArray icoFile(std::initializer_list<int> bitCounts) {
  const int count = static_cast<int>(bitCounts.size()) + 1;
  QByteArray head(6 + 16 * count, '\0');
  qToLittleEndian<uint16_t>(1, head.data() + 2);
  qToLittleEndian<uint16_t>(static_cast<uint16_t>(count), head.data() + 4);
  QByteArray body;
  int i = 0;
  auto add = [&](int width, int bits) {
    QByteArray data(48, static_cast<char>('a' + i));
    qToLittleEndian<uint32_t>(40, data.data());
    qToLittleEndian<uint16_t>(static_cast<uint16_t>(bits), data.data() + 14);
    char *e = head.data() + 6 + 16 * i;
    e[0] = static_cast<char>(width);
    qToLittleEndian<uint32_t>(48, e + 8);
    qToLittleEndian<uint32_t>(static_cast<uint32_t>(head.size() + body.size()), e + 12);
    body += data;
    ++i;
  };
  for (int bits : bitCounts)
    add(16, bits);
  add(32, 32);
  return head + body;
}

class ItemPictures : public ::testing::Test {
protected:
  ItemPictures() : previous(SetStore(std::make_unique<TXMLStore>())) {
    item = TDataObject::CreateEmpty(QStringLiteral("new"));
    AssignNewId(*item);
  }
  ~ItemPictures() override { SetStore(std::move(previous)); }
  void store(const char *path, const QString &className, const QByteArray &bytes) {
    ASSERT_TRUE(Store().SelectItem(item->Id));
    Store().WriteString(QString::fromLatin1(path) + "/classname", className);
    Store().WriteString(QString::fromLatin1(path) + "/hexdata", BinToHexLines(bytes));
  }

  std::unique_ptr<TXMLStore> previous;
  std::unique_ptr<TDataObject> item;
};

} // namespace

TEST_F(ItemPictures, BrokenStickerPicturesAreNoPictures) {
  TStrictTestPicture::registerClass();
  store("sticker/image/graphics", "Bogus", "x");
  store("sticker/movingImage/graphics", "GIFImage", "GIF");
  Store().WriteString("sticker/movingImage/graphics/hexdata", "XYZ");
  TStickerImages images = LoadStickerImages(*item);
  EXPECT_FALSE(images.image);
  EXPECT_FALSE(images.movingImage);
  store("sticker/image/graphics", "StrictTestPicture", "garbage");
  EXPECT_FALSE(LoadStickerImages(*item).image);
  store("sticker/image/graphics", "StrictTestPicture", "PIC ok");
  EXPECT_TRUE(LoadStickerImages(*item).image);
  // Only a GIF picture moves.
  store("sticker/movingImage/graphics", "Bitmap", "BM");
  EXPECT_FALSE(LoadStickerImages(*item).movingImage);
  store("sticker/movingImage/graphics", "GIFImage", "GIF89a");
  ASSERT_TRUE(LoadStickerImages(*item).movingImage);
  // Without an item there is nothing.
  const auto other =
      TDataObject::CreateEmpty(QStringLiteral("FFFFFFFF-0000-0000-0000-000000000000"));
  EXPECT_FALSE(LoadStickerImages(*other).image);
}

TEST_F(ItemPictures, TheTrayIconStepsThroughFramesOrShowsTheSmallIcon) {
  TTrayIconImage tray;
  const auto missing =
      TDataObject::CreateEmpty(QStringLiteral("FFFFFFFF-0000-0000-0000-000000000000"));
  EXPECT_FALSE(LoadTrayIcon(*missing, tray));
  EXPECT_FALSE(LoadTrayIcon(*item, tray)); // an item without an icon

  TOpaqueGraphic frames(QStringLiteral("IconList"), QByteArray(70, 'f'));
  SaveIcon(*item, &frames, nullptr);
  EXPECT_TRUE(LoadTrayIcon(*item, tray));
  EXPECT_TRUE(tray.Animated);
  ASSERT_TRUE(tray.Icons);
  EXPECT_EQ(tray.Icons->saveToBytes(), QByteArray(70, 'f'));

  const QByteArray ico = icoFile({8, 32});
  TOpaqueGraphic icon(QStringLiteral("Icon"), ico);
  TOpaqueGraphic noFrames(QStringLiteral("IconList"));
  SaveIcon(*item, &noFrames, &icon);
  TTrayIconImage single;
  EXPECT_TRUE(LoadTrayIcon(*item, single));
  EXPECT_FALSE(single.Animated);
  ASSERT_TRUE(single.Icon);
  const QByteArray reduced = single.Icon->saveToBytes();
  EXPECT_EQ(qFromLittleEndian<uint16_t>(reduced.constData() + 4), 1); // one image left
  EXPECT_EQ(reduced.right(8), QByteArray(8, 'b'));                    // the 32-bit one

  const TIconImages all = LoadIcon(*item, true);
  ASSERT_TRUE(all.icon);
  EXPECT_EQ(all.icon->saveToBytes(), ico);
  const TIconImages small = LoadIcon(*item, false);
  ASSERT_TRUE(small.icon);
  EXPECT_EQ(small.icon->saveToBytes(), reduced);

  // An empty icon removes the element.
  TOpaqueGraphic empty(QStringLiteral("Icon"));
  SaveIcon(*item, nullptr, &empty);
  EXPECT_FALSE(Store().FindItem(item->Id).child("icon"));
  EXPECT_FALSE(LoadIcon(*item, false).icon);
}
