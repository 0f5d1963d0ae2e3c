#include "runtime/StickerLayout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TStickerLabelBox label(int w, int h, TStickerTextAlignment a = TStickerTextAlignment::Left) {
  return {true, {}, a, QSize(w, h)};
}

TPositionRec stored(int left, int top, int width = 0, int height = 0) {
  return {left, top, width, height, false};
}

TStickerLayoutInput autoSized() {
  TStickerLayoutInput in;
  in.window.autoSize = true;
  return in;
}

} // namespace

TEST(StickerLayout, OnlyTheTextSitsAtTwoOneAndTheWindowHugsIt) {
  TStickerLayoutInput in = autoSized();
  in.text = label(57, 13);
  const TStickerLayout out = LayoutSticker(in);
  EXPECT_EQ(out.text, QRect(2, 1, 57, 13));
  EXPECT_EQ(out.window, QSize(57 + 5, 13 + 2));
}

TEST(StickerLayout, DateAndTimeShareTheFirstRowAndTheTimeEndsAtTheRightEdge) {
  TStickerLayoutInput in = autoSized();
  in.date = label(60, 15);
  in.time = label(40, 13);
  in.subject = label(30, 11);
  const TStickerLayout out = LayoutSticker(in);
  EXPECT_EQ(out.date.topLeft(), QPoint(2, 1));
  // The flow put the time at date width + 10 = 70; its right edge + 2 sizes the window.
  EXPECT_EQ(out.window.width(), 70 + 40 + 2 + 1);
  EXPECT_EQ(out.time.topLeft(), QPoint(out.window.width() - 40 - 2, 1));
  // The subject goes below the taller of the two.
  EXPECT_EQ(out.subject.topLeft(), QPoint(2, 15));
  EXPECT_EQ(out.window.height(), 15 + 11 + 1);
}

TEST(StickerLayout, TimeWithoutDateStartsAtOne) {
  TStickerLayoutInput in = autoSized();
  in.window.autoSize = false;
  in.window.width = 300;
  in.window.height = 100;
  in.date = label(60, 15);
  in.date.visible = false;
  in.time = label(40, 13);
  const TStickerLayout out = LayoutSticker(in);
  // Without auto-size nothing is moved after the flow.
  EXPECT_EQ(out.time.topLeft(), QPoint(1, 1));
  EXPECT_EQ(out.window, QSize(300, 100));
}

TEST(StickerLayout, SubjectAndTextFollowTheirAlignmentWithHalvingTowardZero) {
  TStickerLayoutInput in = autoSized();
  in.text = label(100, 20);
  in.subject = label(30, 10, TStickerTextAlignment::Right);
  TStickerLayout out = LayoutSticker(in);
  const int w = 2 + 100 + 2 + 1;
  ASSERT_EQ(out.window.width(), w);
  EXPECT_EQ(out.subject.left(), w - 30 - 2);
  EXPECT_EQ(out.text.left(), 2);
  EXPECT_EQ(out.text.top(), 1 + 10);

  in.subject.alignment = TStickerTextAlignment::Centre;
  in.text.alignment = TStickerTextAlignment::Centre;
  out = LayoutSticker(in);
  EXPECT_EQ(out.subject.left(), (w - 30) / 2); // 75 / 2 = 37
  EXPECT_EQ(out.subject.left(), 37);
  EXPECT_EQ(out.text.left(), 2); // (105 - 100) / 2
}

TEST(StickerLayout, PicturesAreCentredAndTheMovingOneBelowItsTop) {
  TStickerLayoutInput in = autoSized();
  in.subject = label(20, 10);
  in.text = label(50, 5);
  in.movingImage = {true, {}, QSize(21, 11)};
  in.image = {true, {}, QSize(31, 7)};
  const TStickerLayout out = LayoutSticker(in);
  // The moving picture starts at (1, h) below the subject and shares its top with the text.
  EXPECT_EQ(out.text.top(), 11);
  // Width: text right edge 54; height: moving picture bottom 11 + 11 + 1 = 23.
  ASSERT_EQ(out.window, QSize(55, 24));
  EXPECT_EQ(out.movingImage, QRect((55 - 21) / 2, 11 + (24 - 11 - 11) / 2, 21, 11));
  EXPECT_EQ(out.image, QRect((55 - 31) / 2, (24 - 7) / 2, 31, 7));
}

TEST(StickerLayout, HiddenElementsDoNotCount) {
  TStickerLayoutInput in = autoSized();
  in.text = label(40, 10);
  in.subject = label(400, 50);
  in.subject.visible = false;
  in.image = {false, {}, QSize(500, 500)};
  in.movingImage = {false, {}, QSize(500, 500)};
  const TStickerLayout out = LayoutSticker(in);
  EXPECT_EQ(out.window, QSize(45, 12));
  // A hidden subject does not push the text down.
  EXPECT_EQ(out.text.topLeft(), QPoint(2, 1));
}

TEST(StickerLayout, StoredPositionsAreKept) {
  TStickerLayoutInput in = autoSized();
  in.date = label(60, 15);
  in.date.position = stored(50, 40);
  in.time = label(40, 13);
  in.text = label(30, 10);
  in.text.position = stored(7, 33);
  in.subject = label(20, 10, TStickerTextAlignment::Right);
  in.subject.position = stored(3, 60);
  in.image = {true, stored(5, 6, 70, 80), QSize(10, 10)};
  in.movingImage = {true, stored(0, 90, 12, 13), QSize(99, 99)};
  const TStickerLayout out = LayoutSticker(in);
  EXPECT_EQ(out.date.topLeft(), QPoint(50, 40));
  EXPECT_EQ(out.text.topLeft(), QPoint(7, 33));
  EXPECT_EQ(out.subject.topLeft(), QPoint(3, 60)); // no alignment for a stored label
  EXPECT_EQ(out.image, QRect(5, 6, 70, 80));       // stored size, not the picture's
  EXPECT_EQ(out.movingImage, QRect(0, 90, 12, 13));
  // A stored date gives the automatic time the start of the row.
  EXPECT_EQ(out.time.top(), 1);
  EXPECT_EQ(out.window, QSize(112 + 1, 103 + 1 + 1));
  EXPECT_EQ(out.time.left(), out.window.width() - 40 - 2);
}

TEST(StickerLayout, WithoutAutoSizeTheStoredSizeHoldsElseTheContentDecides) {
  TStickerLayoutInput in;
  in.text = label(40, 10);
  in.window = {10, 10, 200, 150, false};
  EXPECT_EQ(LayoutSticker(in).window, QSize(200, 150));
  // A record without a size would give a 0 x 0 window.
  in.window = {10, 10, 0, 150, false};
  EXPECT_EQ(LayoutSticker(in).window, QSize(45, 12));
  in.window = {10, 10, -5, -5, false};
  EXPECT_EQ(LayoutSticker(in).window, QSize(45, 12));
}

TEST(StickerLayout, ValuesFromAFileCannotOverflow) {
  TStickerLayoutInput in = autoSized();
  in.text = label(INT_MAX, INT_MAX);
  in.text.position = stored(INT_MAX, INT_MAX);
  in.image = {true, stored(INT_MIN, INT_MAX, INT_MAX, INT_MAX), QSize(1, 1)};
  const TStickerLayout out = LayoutSticker(in);
  EXPECT_LE(out.window.width(), StickerMaxCoordinate);
  EXPECT_LE(out.window.height(), StickerMaxCoordinate);
  EXPECT_GT(out.window.width(), 0);
  in.window = {0, 0, INT_MAX, INT_MAX, false};
  EXPECT_EQ(LayoutSticker(in).window, QSize(StickerMaxLength, StickerMaxLength));
}

TEST(StickerLayout, AStoredSizeIsNoLargerThanTheWorkArea) {
  TStickerLayoutInput in = autoSized();
  in.window = {0, 0, 32767, 32767, false};
  in.workArea = QSize(3840, 2160);
  EXPECT_EQ(LayoutSticker(in).window, QSize(3840, 2160));
  in.window = {0, 0, 300, 200, false};
  EXPECT_EQ(LayoutSticker(in).window, QSize(300, 200));
}

// A 6000 x 6000 photo made a sticker of the whole screen, above every other window.
TEST(StickerLayout, PicturesTooLargeForTheWorkAreaAreScaledDownToFitIt) {
  TStickerLayoutInput in = autoSized();
  in.workArea = QSize(1280, 770);
  in.subject = label(100, 20);
  in.image = {true, {}, QSize(6000, 6000)};
  TStickerLayout out = LayoutSticker(in);
  EXPECT_EQ(out.image.size(), QSize(768, 768));
  EXPECT_EQ(out.window, QSize(770, 770));
  EXPECT_TRUE(QRect(QPoint(0, 0), out.window).contains(out.image));

  in.image.visible = false;
  in.movingImage = {true, {}, QSize(4000, 1000)};
  out = LayoutSticker(in);
  // Below the subject (1 + 20) with 1 pixel under it: 1278 x 747 of room, taken by the width.
  EXPECT_EQ(out.movingImage.size(), QSize(1278, 319));
  EXPECT_TRUE(QRect(QPoint(0, 0), out.window).contains(out.movingImage));
  EXPECT_LE(out.window.width(), 1280);
  EXPECT_LE(out.window.height(), 770);

  // A picture that fits keeps its own size.
  in.movingImage.size = QSize(64, 48);
  EXPECT_EQ(LayoutSticker(in).movingImage.size(), QSize(64, 48));
}

TEST(StickerAlpha, FollowsTheOpacityInIntegers) {
  EXPECT_EQ(StickerAlpha(0), 255);
  EXPECT_EQ(StickerAlpha(1), 252);
  EXPECT_EQ(StickerAlpha(10), 229);
  EXPECT_EQ(StickerAlpha(20), 204);
  EXPECT_EQ(StickerAlpha(80), 51);
  EXPECT_EQ(StickerAlpha(100), 0);
  // Out of range values from a file: no wrap-around.
  EXPECT_EQ(StickerAlpha(-5), 255);
  EXPECT_EQ(StickerAlpha(150), 0);
  EXPECT_EQ(StickerAlpha(INT_MIN), 255);
  EXPECT_EQ(StickerAlpha(INT_MAX), 0);
}
