#include "runtime/FormSticker.h"

#include "imaging/Bitmap.h"
#include "imaging/Dib.h"
#include "imaging/GIFImage.h"
#include "imaging/PictureClasses.h"
#include "model/XMLStore.h"
#include "tests/imaging/GifBuilder.h"
#include "tests/runtime/StickerTestSupport.h"
#include "tests/support/TestModel.h"
#include "widgets/GIFControl.h"
#include "widgets/Image.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace stickertest;

namespace {

// 8 x 6, two frames: the first with its left half see-through, the second all blue.
TGIFImage twoFrames() {
  gifbuilder::Image spec;
  spec.screenWidth = 8;
  spec.screenHeight = 6;
  spec.globalColors = {qRgb(0, 0, 255), qRgb(255, 255, 255)};
  gifbuilder::Frame first;
  first.width = 8;
  first.height = 6;
  first.pixels.assign(48, 0);
  first.delayCs = 10;
  first.disposal = 2;
  gifbuilder::Frame second = first;
  first.transparentIndex = 1;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x)
      first.pixels[std::size_t(y * 8 + x)] = 1;
  spec.frames = {first, second};
  TGIFImage image;
  image.loadFromBytes(gifbuilder::build(spec));
  return image;
}

class StickerPictures : public ::testing::Test {
protected:
  void TearDown() override {
    view.reset();
    flushDeletes();
  }
  TFormSticker *window() {
    if (!view)
      view = std::make_unique<TStickerView>(testModel.model, headlessUi());
    return view->window();
  }

  TestModel testModel;
  std::unique_ptr<TDataObject> reminder = makeReminder();
  std::unique_ptr<TStickerView> view;
};

} // namespace

TEST_F(StickerPictures, TheMovingPictureAnimatesAndTheColourKeyFollowsItsFrames) {
  const TGIFImage gif = twoFrames();
  ASSERT_EQ(gif.frameCount(), 2);
  reminder->sticker.background.transparent = true;
  reminder->sticker.movingImage = {true, true, {}};
  TFormSticker *w = window();
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, &gif);
  TGIFAnimator *animator = w->GIFAnimator();
  EXPECT_TRUE(animator->isVisible());
  EXPECT_TRUE(animator->animate());
  ASSERT_EQ(animator->size(), QSize(8, 6));
  const QPoint left = animator->geometry().topLeft() + QPoint(1, 2);
  const QPoint right = animator->geometry().topLeft() + QPoint(6, 2);
  EXPECT_FALSE(w->mask().contains(left));
  EXPECT_TRUE(w->mask().contains(right));

  animator->timerExpired();
  ASSERT_EQ(animator->frameIndex(), 1);
  EXPECT_TRUE(w->mask().contains(left));
  EXPECT_TRUE(w->mask().contains(right));
}

TEST_F(StickerPictures, AStoppedMovingPictureTakesNoRoom) {
  const TGIFImage gif = twoFrames();
  TFormSticker *w = window();
  reminder->sticker.movingImage.enable = false;
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, &gif);
  EXPECT_FALSE(w->GIFAnimator()->isVisible());
  EXPECT_FALSE(w->GIFAnimator()->animate());
}

TEST_F(StickerPictures, WithoutGivenPicturesBothComeFromTheStore) {
  RegisterPictureClasses();
  TXMLStore *store = &testModel.model.Store();
  const QString id = store->AddNewItem(QStringLiteral("user"));
  ASSERT_TRUE(store->SelectItem(id));
  const TGIFImage gif = twoFrames();
  QImage still(12, 7, QImage::Format_RGB32);
  still.fill(QColor(10, 20, 30));
  const TBitmap bitmap(Dib::fromQImage(still));
  store->WriteGraphic(QStringLiteral("sticker/movingImage/graphics"), &gif);
  store->WriteGraphic(QStringLiteral("sticker/image/graphics"), &bitmap);

  reminder = makeReminder(id);
  reminder->sticker.image.enable = true;
  reminder->sticker.movingImage.enable = true;
  TFormSticker *w = window();
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, nullptr);
  EXPECT_EQ(w->GIFAnimator()->image().frameCount(), 2);
  EXPECT_EQ(w->GIFAnimator()->size(), QSize(8, 6));
  EXPECT_EQ(w->ImagePicture()->size(), QSize(12, 7));
  EXPECT_TRUE(w->ImagePicture()->isVisible());
}

TEST_F(StickerPictures, AGivenPictureReplacesTheStoredOnesAndEmptyOnesTakeNoRoom) {
  reminder->sticker.image.enable = true;
  reminder->sticker.subject.enable = false;
  reminder->sticker.text.enable = false;
  TFormSticker *w = window();
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, nullptr);
  // Nothing stored and nothing given: the enabled picture is empty and the window tiny.
  EXPECT_EQ(w->ImagePicture()->size(), QSize(0, 0));
  EXPECT_EQ(w->size(), QSize(2, 2));
}
