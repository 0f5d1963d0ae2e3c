#include "imaging/Graphic.h"
#include "platform/Errors.h"
#include "tests/support/Sandbox.h"

#include <gtest/gtest.h>

TEST(GraphicRegistry, UnknownClassesKeepTheirBytesExactly) {
  auto g = graphics::create(QStringLiteral("Metafile"));
  ASSERT_TRUE(g);
  EXPECT_EQ(g->className(), QStringLiteral("Metafile"));
  EXPECT_TRUE(g->empty());
  const QByteArray bytes("\x01\x00\xff\x7f binary", 12);
  g->loadFromBytes(bytes);
  EXPECT_FALSE(g->empty());
  EXPECT_EQ(g->saveToBytes(), bytes);
  EXPECT_EQ(g->clone()->saveToBytes(), bytes);
}

TEST(GraphicRegistry, RegisteredFactoriesAreUsed) {
  graphics::registerClass(QStringLiteral("TestPicture"), [] {
    return std::make_unique<TOpaqueGraphic>(QStringLiteral("TestPicture"), QByteArray("made"));
  });
  EXPECT_TRUE(graphics::isRegistered(QStringLiteral("TestPicture")));
  EXPECT_FALSE(graphics::isRegistered(QStringLiteral("NoSuchPicture")));
  EXPECT_EQ(graphics::create(QStringLiteral("TestPicture"))->saveToBytes(), QByteArray("made"));
}

TEST(Graphic, FileErrorsRaiseAndChangesNotify) {
  TOpaqueGraphic g(QStringLiteral("Bitmap"));
  int changes = 0;
  g.onChange = [&] { ++changes; };
  EXPECT_THROW(g.loadFromFile(sandbox::root() + QStringLiteral("/missing.bmp")), EFileError);
  const QString path = sandbox::makeTempDir(QStringLiteral("graphic")) + QStringLiteral("/p.bin");
  g.loadFromBytes("abc");
  g.setTransparent(true);
  g.setTransparent(true);
  EXPECT_EQ(changes, 2);
  g.saveToFile(path);
  TOpaqueGraphic back(QStringLiteral("Bitmap"));
  back.loadFromFile(path);
  EXPECT_EQ(back.data(), QByteArray("abc"));
}
