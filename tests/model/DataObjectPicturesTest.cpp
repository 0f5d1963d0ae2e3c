#include "imaging/IcoFile.h"
#include "imaging/Icon.h"
#include "model/DataObjectStore.h"
#include "model/XMLStore.h"
#include "model/XmlEncoding.h"
#include "tests/model/FakePictures.h"
#include "tests/model/StoreTestUtil.h"
#include "tests/support/TestModel.h"

#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// An ICO file of square 32-bit images of the given sizes, each filled with its own colour.
QByteArray icoFile(std::initializer_list<int> sizes) {
  std::vector<QByteArray> singles;
  int n = 0;
  for (int size : sizes) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(qRgba(10 * ++n, 20, 30, 255));
    singles.push_back(icofile::build(image));
  }
  const int count = int(singles.size());
  QByteArray head(6 + 16 * count, '\0');
  qToLittleEndian<uint16_t>(1, head.data() + 2);
  qToLittleEndian<uint16_t>(uint16_t(count), head.data() + 4);
  QByteArray body;
  for (int i = 0; i < count; ++i) {
    const QByteArray data = singles[size_t(i)].mid(22);
    QByteArray entry = singles[size_t(i)].mid(6, 16);
    qToLittleEndian<uint32_t>(uint32_t(head.size() + body.size()), entry.data() + 12);
    head.replace(6 + 16 * i, 16, entry);
    body += data;
  }
  return head + body;
}

// The real icon class for one test; afterwards stored icons keep their bytes again.
struct ScopedIconClass {
  ScopedIconClass() {
    graphics::registerClass(QStringLiteral("Icon"), [] { return std::make_unique<TIcon>(); });
  }
  ~ScopedIconClass() {
    graphics::registerClass(QStringLiteral("Icon"), [] {
      return std::make_unique<TOpaqueGraphic>(QStringLiteral("Icon"));
    });
  }
};

class ItemPictures : public ::testing::Test {
protected:
  ItemPictures() {
    item = TDataObject::CreateEmpty(QStringLiteral("new"));
    AssignNewId(*item);
  }
  void store(const char *path, const QString &className, const QByteArray &bytes) {
    ASSERT_TRUE(Store().SelectItem(item->Id));
    Store().WriteString(QString::fromLatin1(path) + "/classname", className);
    Store().WriteString(QString::fromLatin1(path) + "/hexdata", BinToHexLines(bytes));
  }

  TestModel testModel;
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

  ScopedIconClass realIcons;
  const QByteArray ico = icoFile({32, 16, 48});
  TIcon icon;
  icon.loadFromBytes(ico);
  TOpaqueGraphic noFrames(QStringLiteral("IconList"));
  SaveIcon(*item, &noFrames, &icon);
  TTrayIconImage single;
  EXPECT_TRUE(LoadTrayIcon(*item, single));
  EXPECT_FALSE(single.Animated);
  ASSERT_TRUE(single.Icon);
  EXPECT_EQ(single.Icon->width(), 16);
  EXPECT_EQ(qFromLittleEndian<uint16_t>(single.Icon->saveToBytes().constData() + 4), 1);

  const TIconImages all = LoadIcon(*item, true);
  ASSERT_TRUE(all.icon);
  EXPECT_EQ(all.icon->saveToBytes(), ico);
  const TIconImages small = LoadIcon(*item, false);
  ASSERT_TRUE(small.icon);
  EXPECT_EQ(small.icon->width(), 16);

  // An empty icon removes the element.
  TOpaqueGraphic empty(QStringLiteral("Icon"));
  SaveIcon(*item, nullptr, &empty);
  EXPECT_FALSE(Store().FindItem(item->Id).child("icon"));
  EXPECT_FALSE(LoadIcon(*item, false).icon);
}
