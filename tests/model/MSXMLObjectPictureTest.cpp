#include "imaging/Picture.h"
#include "model/MSXMLObjectWithGuidAsId.h"
#include "model/XmlEncoding.h"
#include "tests/model/FakePictures.h"
#include "tests/model/StoreTestUtil.h"

#include <gtest/gtest.h>

using namespace storetest;

namespace {

struct Doc {
  TMSXMLObjectWithGuidAsId x{QString(), QStringLiteral("item"), QStringLiteral("root")};
  Doc() {
    x.AddItem(QStringLiteral("A"), QString());
    EXPECT_TRUE(x.SelectItem(QStringLiteral("A")));
  }
  void picture(const QString &className, const QString &hex) {
    x.WriteString(QStringLiteral("p/classname"), className);
    x.WriteString(QStringLiteral("p/hexdata"), hex);
  }
};

QByteArray bytes(int n) {
  QByteArray b;
  for (int i = 0; i < n; ++i)
    b.append(static_cast<char>(i * 7));
  return b;
}

} // namespace

TEST(XmlPictures, ClassesNotBuiltYetKeepTheirBytesExactly) {
  Doc d;
  for (const char *name : {"Metafile", "JPEGImage"}) {
    TOpaqueGraphic g(QString::fromLatin1(name), bytes(100));
    d.x.WriteGraphic(QStringLiteral("p"), &g);
    EXPECT_EQ(d.x.ReadString(QStringLiteral("p/classname"), QString()), QString::fromLatin1(name));
    // Its lines as the parser gives them back from the file.
    EXPECT_EQ(d.x.ReadString(QStringLiteral("p/hexdata"), QString()),
              BinToHexLines(bytes(100)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const auto back = d.x.ReadGraphic(QStringLiteral("p"));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->className(), QString::fromLatin1(name));
    EXPECT_EQ(back->saveToBytes(), bytes(100));
  }
  // Stored class names are matched without regard to case.
  d.picture(QStringLiteral("gifimage"), QStringLiteral("4749 46"));
  const auto gif = d.x.ReadGraphic(QStringLiteral("p"));
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->className(), QStringLiteral("GIFImage"));
  EXPECT_EQ(gif->saveToBytes(), QByteArray("GIF"));
}

TEST(XmlPictures, EmptyOrMissingPicturesAreNone) {
  Doc d;
  EXPECT_FALSE(d.x.ReadGraphic(QStringLiteral("p")));
  d.picture(QStringLiteral("Bitmap"), QString());
  EXPECT_FALSE(d.x.ReadGraphic(QStringLiteral("p")));
  d.picture(QStringLiteral("Bitmap"), QStringLiteral(" \r\n "));
  EXPECT_FALSE(d.x.ReadGraphic(QStringLiteral("p")));
  // Writing nothing, or an empty picture, removes the element.
  TOpaqueGraphic g(QStringLiteral("Bitmap"), bytes(3));
  d.x.WriteGraphic(QStringLiteral("p"), &g);
  EXPECT_TRUE(d.x.ReadGraphic(QStringLiteral("p")));
  TOpaqueGraphic empty(QStringLiteral("Bitmap"));
  d.x.WriteGraphic(QStringLiteral("p"), &empty);
  EXPECT_FALSE(d.x.CurrentItem().child("p"));
  d.x.WriteGraphic(QStringLiteral("p"), &g);
  d.x.WriteGraphic(QStringLiteral("p"), nullptr);
  EXPECT_FALSE(d.x.CurrentItem().child("p"));
}

TEST(XmlPictures, BadPicturesRaise) {
  TStrictTestPicture::registerClass();
  Doc d;
  d.picture(QStringLiteral("Bogus"), QStringLiteral("00"));
  EXPECT_THROW((void)d.x.ReadGraphic(QStringLiteral("p")), ETolvaneError);
  d.picture(QStringLiteral("Bitmap"), QStringLiteral("XYZ"));
  EXPECT_THROW((void)d.x.ReadGraphic(QStringLiteral("p")), EConvertError);
  d.picture(QStringLiteral("StrictTestPicture"), QStringLiteral("000102"));
  EXPECT_THROW((void)d.x.ReadGraphic(QStringLiteral("p")), EInvalidGraphic);
  d.picture(QStringLiteral("StrictTestPicture"), BinToHexLines("PIC!"));
  const auto ok = d.x.ReadGraphic(QStringLiteral("p"));
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->saveToBytes(), QByteArray("PIC!"));
}

TEST(XmlPictures, IconListsAndTrayIcons) {
  Doc d;
  TOpaqueGraphic list(QStringLiteral("IconList"), bytes(40));
  d.x.WriteIconList(QStringLiteral("icon"), &list);
  EXPECT_EQ(d.x.ReadString(QStringLiteral("icon/classname"), QString()),
            QStringLiteral("IconList"));
  TOpaqueGraphic loaded(QStringLiteral("IconList"));
  EXPECT_TRUE(d.x.ReadIconList(QStringLiteral("icon"), &loaded));
  EXPECT_EQ(loaded.data(), bytes(40));
  EXPECT_FALSE(d.x.ReadIconList(QStringLiteral("icon"), nullptr));
  EXPECT_FALSE(d.x.ReadIconList(QStringLiteral("nothing"), &loaded));

  TTrayIconImage tray;
  d.x.ReadTrayIcon(QStringLiteral("icon"), &tray);
  ASSERT_TRUE(tray.Icons);
  EXPECT_TRUE(tray.Animated);
  EXPECT_EQ(tray.Icons->saveToBytes(), bytes(40));

  TOpaqueGraphic icon(QStringLiteral("Icon"), bytes(10));
  d.x.WriteGraphic(QStringLiteral("icon"), &icon);
  d.x.ReadTrayIcon(QStringLiteral("icon"), &tray);
  ASSERT_TRUE(tray.Icon);
  EXPECT_FALSE(tray.Animated);
  EXPECT_EQ(tray.Icon->saveToBytes(), bytes(10));

  // Broken data is absorbed and leaves the tray icon as it was.
  TTrayIconImage before;
  d.picture(QStringLiteral("IconList"), QStringLiteral("zz"));
  d.x.ReadTrayIcon(QStringLiteral("p"), &before);
  d.picture(QStringLiteral("Icon"), QStringLiteral("0"));
  d.x.ReadTrayIcon(QStringLiteral("p"), &before);
  EXPECT_FALSE(before.Icons);
  EXPECT_FALSE(before.Icon);
  EXPECT_FALSE(before.Animated);
  // A bitmap is not an icon.
  d.picture(QStringLiteral("Bitmap"), QStringLiteral("00"));
  d.x.ReadTrayIcon(QStringLiteral("p"), &before);
  EXPECT_FALSE(before.Icon);
}

TEST(XmlPictures, HexDataSurvivesASaveAndLoad) {
  Doc d;
  TOpaqueGraphic g(QStringLiteral("JPEGImage"), bytes(1000));
  d.x.WriteGraphic(QStringLiteral("sticker/image/graphics"), &g);
  const QString path = sandbox::makeTempDir(QStringLiteral("pic")) + QStringLiteral("/p.xml");
  d.x.SaveToFile(path);
  TMSXMLObjectWithGuidAsId back(path, QStringLiteral("item"), QStringLiteral("root"));
  ASSERT_TRUE(back.SelectItem(QStringLiteral("A")));
  const auto read = back.ReadGraphic(QStringLiteral("sticker/image/graphics"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->saveToBytes(), bytes(1000));
}

TEST(XmlPictures, APictureIsWrittenThroughItsGraphic) {
  Doc d;
  TPicture picture;
  picture.takeGraphic(std::make_unique<TOpaqueGraphic>(QStringLiteral("Bitmap"), bytes(5)));
  d.x.WritePicture(QStringLiteral("p"), &picture);
  EXPECT_EQ(d.x.ReadString(QStringLiteral("p/classname"), QString()), QStringLiteral("Bitmap"));
  d.x.WritePicture(QStringLiteral("p"), static_cast<const TPicture *>(nullptr)); // nothing
  EXPECT_TRUE(d.x.CurrentItem().child("p"));
  TPicture empty;
  d.x.WritePicture(QStringLiteral("p"), &empty);
  EXPECT_FALSE(d.x.CurrentItem().child("p"));
}
