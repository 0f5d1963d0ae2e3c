#include "imaging/Bitmap.h"
#include "imaging/Dib.h"
#include "imaging/DibRowConverter.h"
#include "imaging/GIFImage.h"
#include "tests/imaging/GifBuilder.h"
#include "widgets/Image.h"
#include "widgets/Shape.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A 10 x 10 red picture with a blue bottom-left pixel (the automatic transparent colour).
TBitmap redPicture() {
  QImage source(10, 10, QImage::Format_RGB32);
  source.fill(QColor(255, 0, 0));
  source.setPixelColor(0, 9, QColor(0, 0, 255));
  source.setPixelColor(5, 5, QColor(0, 0, 255));
  return TBitmap(Dib::fromQImage(source));
}

QImage rendered(QWidget &parent) {
  QImage image(parent.size(), QImage::Format_ARGB32);
  image.fill(QColor(0, 255, 0));
  parent.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// A file of about a hundred bytes declaring a 4096 x 4096 picture, 64 pixels of it blue.
QByteArray tinyFileOfAHugePicture() {
  gifbuilder::Image spec;
  spec.screenWidth = 4096;
  spec.screenHeight = 4096;
  spec.globalColors = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
  gifbuilder::Frame f;
  f.width = 4096;
  f.height = 4096;
  f.pixels.assign(64, 1);
  spec.frames = {f};
  return gifbuilder::build(spec);
}

} // namespace

TEST(Image, CentresThePictureAndLetsItsTransparentColourThrough) {
  QWidget parent;
  parent.resize(30, 30);
  auto *image = new TImage(&parent);
  image->setGeometry(0, 0, 30, 30);
  const TBitmap bitmap = redPicture();
  image->picture().setGraphic(&bitmap);
  EXPECT_EQ(image->pictureSize(), QSize(10, 10));

  QImage out = rendered(parent);
  EXPECT_EQ(out.pixelColor(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(out.pixelColor(5, 5), QColor(0, 0, 255));

  image->setCenter(true);
  image->setTransparent(true);
  out = rendered(parent);
  EXPECT_EQ(out.pixelColor(10, 10), QColor(255, 0, 0));
  EXPECT_EQ(out.pixelColor(0, 0), QColor(0, 255, 0));
  // Every pixel of the bottom-left colour is left out, also inside the picture.
  EXPECT_EQ(out.pixelColor(15, 15), QColor(0, 255, 0));
  EXPECT_EQ(out.pixelColor(10, 19), QColor(0, 255, 0));

  image->picture().setGraphic(nullptr);
  EXPECT_EQ(image->pictureSize(), QSize(0, 0));
  EXPECT_EQ(rendered(parent).pixelColor(15, 15), QColor(0, 255, 0));
}

// A picture larger than the control in either direction shrinks, proportions kept, to fit;
// a smaller one keeps its own size; both centred.
TEST(Image, ShrinksALargerPictureToFitAndLeavesASmallerOneAtItsSize) {
  struct Case {
    QSize picture, control;
    QRect drawn;
  };
  const Case cases[] = {
      {{10, 10}, {30, 30}, {10, 10, 10, 10}}, {{30, 30}, {30, 30}, {0, 0, 30, 30}},
      {{60, 30}, {30, 30}, {0, 7, 30, 15}},   {{20, 90}, {30, 30}, {12, 0, 6, 30}},
      {{40, 20}, {30, 60}, {0, 22, 30, 15}},
  };
  for (const Case &c : cases) {
    TImage image;
    image.setCenter(true);
    image.setShrinkToFit(true);
    image.resize(c.control);
    QImage source(c.picture, QImage::Format_RGB32);
    source.fill(Qt::red);
    const TBitmap bitmap(Dib::fromQImage(source));
    image.picture().setGraphic(&bitmap);
    EXPECT_EQ(image.pictureRect(), c.drawn) << c.picture.width() << "x" << c.picture.height();
    image.setShrinkToFit(false);
    EXPECT_EQ(image.pictureRect().size(), c.picture);
  }
}

// Every paint once converted the whole picture, 16 million pixels for a 200 x 200 control.
TEST(Image, AHugePictureIsConvertedOnceAndOnlyAsFarAsItShows) {
  QWidget parent;
  parent.resize(200, 200);
  auto *image = new TImage(&parent);
  image->setGeometry(0, 0, 200, 200);
  image->setCenter(true);
  image->setShrinkToFit(true);
  parent.show();
  QCoreApplication::processEvents(); // until the window is exposed, nothing paints
  ASSERT_TRUE(parent.windowHandle() && parent.windowHandle()->isExposed());
  auto gif = std::make_unique<TGIFImage>();
  gif->loadFromBytes(tinyFileOfAHugePicture());
  image->picture().takeGraphic(std::move(gif));
  const std::int64_t before = TDibRowConverter::convertedPixels();
  for (int i = 0; i < 3; ++i)
    image->repaint();
  const QImage shown = rendered(parent);
  EXPECT_EQ(image->conversions(), 1);
  EXPECT_EQ(TDibRowConverter::convertedPixels() - before, 200 * 200);
  EXPECT_EQ(image->heldBytes(), 200 * 200 * 4);
  EXPECT_EQ(shown.pixel(100, 100), qRgb(255, 0, 0));

  // At its own size, only the middle part the control shows is converted.
  image->setShrinkToFit(false);
  image->repaint();
  EXPECT_EQ(image->conversions(), 2);
  EXPECT_EQ(image->heldBytes(), 200 * 200 * 4);
  EXPECT_EQ(rendered(parent).pixel(0, 0), qRgb(255, 0, 0));
  // A change of the picture converts it again, once.
  image->setTransparent(true);
  image->repaint();
  image->repaint();
  EXPECT_EQ(image->conversions(), 3);
}

TEST(Shape, FillsAndOutlinesOrLeavesTheInsideUnpainted) {
  QWidget parent;
  parent.resize(20, 10);
  auto *shape = new TShape(&parent);
  shape->setGeometry(0, 0, 20, 10);
  shape->setBrushColor(QColor(255, 255, 0));
  shape->setPenColor(QColor(0, 0, 255));
  QImage out = rendered(parent);
  EXPECT_EQ(out.pixelColor(0, 0), QColor(0, 0, 255));
  EXPECT_EQ(out.pixelColor(19, 9), QColor(0, 0, 255));
  EXPECT_EQ(out.pixelColor(1, 1), QColor(255, 255, 0));

  shape->setPenStyle(TShape::psClear);
  shape->setBrushColor(Qt::transparent);
  out = rendered(parent);
  EXPECT_EQ(out.pixelColor(0, 0), QColor(0, 255, 0));
  EXPECT_EQ(out.pixelColor(10, 5), QColor(0, 255, 0));
}
