#include "imaging/Bitmap.h"
#include "imaging/Dib.h"
#include "widgets/Image.h"
#include "widgets/Shape.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

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
