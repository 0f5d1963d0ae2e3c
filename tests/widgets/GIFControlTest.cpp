#include "widgets/GIFControl.h"

#include "imaging/GIFImage.h"
#include "platform/Errors.h"
#include "tests/imaging/GifBuilder.h"
#include "tests/widgets/ManualSleeper.h"

#include <QApplication>
#include <QPaintEvent>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using gifbuilder::solid;

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Key = qRgb(200, 30, 90); // asymmetric, so a swapped byte order shows
const QRgb Green = qRgb(0, 160, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Cyan = qRgb(0, 200, 200);
const QRgb ParentColor = qRgb(10, 200, 10);
const QRgb SiblingColor = qRgb(20, 20, 120);

// Index 3 is the usual see-through entry; index 5 holds the same colour and is opaque.
const std::vector<QRgb> Table = {White, Red, Blue, Key, Green, Key, Yellow, Cyan};

TGIFImage makeImage(const gifbuilder::Image &spec, int currentFrame = 0) {
  TGIFImage image;
  image.loadFromBytes(gifbuilder::build(spec));
  image.setFrameIndex(currentFrame);
  return image;
}

// Three full frames of 4 x 4 with the given delays in hundredths of a second.
gifbuilder::Image threeFrames(int d0 = 10, int d1 = 20, int d2 = 30) {
  gifbuilder::Image spec;
  spec.screenWidth = 4;
  spec.screenHeight = 4;
  spec.globalColors = Table;
  const int delays[] = {d0, d1, d2};
  for (int i = 0; i < 3; ++i) {
    auto f = solid(0, 0, 4, 4, std::uint8_t(i + 1));
    f.delayCs = delays[i];
    spec.frames.push_back(f);
  }
  return spec;
}

// Every disposal, partial frames, transparency, and a full-screen frame that is restored to what
// was before it. Background index 7 (cyan).
gifbuilder::Image disposalMix() {
  gifbuilder::Image spec;
  spec.screenWidth = 8;
  spec.screenHeight = 8;
  spec.globalColors = Table;
  spec.backgroundIndex = 7;
  auto f0 = solid(0, 0, 8, 8, 1); // red, leave
  f0.disposal = 1;
  auto f1 = solid(2, 2, 4, 4, 2); // blue with a see-through corner, restore to background
  f1.pixels[0] = 3;
  f1.transparentIndex = 3;
  f1.disposal = 2;
  auto f2 = solid(0, 0, 3, 3, 4); // green, restore to previous
  f2.disposal = 3;
  auto f3 = solid(5, 5, 3, 3, 6); // yellow with a see-through centre
  f3.pixels[4] = 3;
  f3.transparentIndex = 3;
  auto f4 = solid(0, 0, 8, 8, 0); // white over everything, restore to previous
  f4.disposal = 3;
  auto f5 = solid(1, 1, 2, 2, 2); // blue
  f5.disposal = 1;
  auto f6 = solid(0, 0, 8, 8, 3); // all see-through except its top row, restore to background
  std::fill(f6.pixels.begin(), f6.pixels.begin() + 8, std::uint8_t(4));
  f6.transparentIndex = 3;
  f6.disposal = 2;
  auto f7 = solid(4, 0, 4, 4, 1); // red
  spec.frames = {f0, f1, f2, f3, f4, f5, f6, f7};
  return spec;
}

class GIFAnimatorTest : public ::testing::Test {
protected:
  std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>();
  std::unique_ptr<QWidget> parent = std::make_unique<QWidget>();
  TGIFAnimator *animator = nullptr;

  void SetUp() override {
    parent->resize(200, 200);
    QPalette pal = parent->palette();
    pal.setColor(QPalette::Window, QColor(ParentColor));
    parent->setPalette(pal);
    parent->setAutoFillBackground(true);
    animator = new TGIFAnimator(parent.get(), sleeper);
    parent->show();
  }

  void load(const gifbuilder::Image &spec, int currentFrame = 0) {
    const TGIFImage image = makeImage(spec, currentFrame);
    animator->setImage(&image);
  }

  // What the user sees at a point of the animator.
  QRgb seen(int x, int y) {
    const QImage shot = parent->grab(animator->geometry()).toImage();
    return shot.pixel(x, y) | 0xFF000000u;
  }
};

} // namespace

TEST_F(GIFAnimatorTest, Defaults) {
  EXPECT_FALSE(animator->animate());
  EXPECT_FALSE(animator->asyncDrawing());
  EXPECT_TRUE(animator->autoSize());
  EXPECT_FALSE(animator->center());
  EXPECT_EQ(animator->frameIndex(), 0);
  EXPECT_TRUE(animator->loop());
  EXPECT_FALSE(animator->stretch());
  EXPECT_TRUE(animator->transparent());
  EXPECT_EQ(animator->timer().interval(), 1000u);
  EXPECT_TRUE(animator->timer().threaded());
  EXPECT_TRUE(animator->timer().syncEvent());
  EXPECT_TRUE(animator->image().empty());
  EXPECT_EQ(animator->size(), QSize(105, 105));
  EXPECT_EQ(animator->frameDelay(), 0);
}

TEST_F(GIFAnimatorTest, FrameDelaysAreClampedTo50And10000) {
  gifbuilder::Image spec = threeFrames(0, 4, 7);
  auto f3 = solid(0, 0, 4, 4, 1);
  f3.delayCs = 1001;
  spec.frames.push_back(f3);
  load(spec);
  const int expected[] = {50, 50, 70, 10000};
  for (int i = 0; i < 4; ++i) {
    animator->setFrameIndex(i);
    EXPECT_EQ(animator->frameDelay(), expected[i]) << "frame " << i;
    EXPECT_EQ(animator->timer().interval(), uint32_t(expected[i]));
  }
}

TEST_F(GIFAnimatorTest, AOneFrameImageNeverTicks) {
  gifbuilder::Image spec = threeFrames();
  spec.frames.resize(1);
  load(spec);
  EXPECT_EQ(animator->frameDelay(), 0);
  EXPECT_EQ(animator->timer().interval(), 0u);
  int changes = 0;
  animator->onFrameChanged = [&](QObject *) { ++changes; };
  animator->setAnimate(true);
  EXPECT_TRUE(animator->animate());
  EXPECT_FALSE(animator->timer().workerRunnable());
  animator->timerExpired();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(animator->frameIndex(), 0);
}

TEST_F(GIFAnimatorTest, WithoutLoopFramesOneTwoZeroAreShownThenItStops) {
  load(threeFrames(10, 20, 30));
  animator->setLoop(false);
  std::vector<int> shown;
  std::vector<uint32_t> intervals;
  int starts = 0;
  int stops = 0;
  animator->onFrameChanged = [&](QObject *sender) {
    EXPECT_EQ(sender, animator);
    shown.push_back(animator->frameIndex());
  };
  animator->onStart = [&](QObject *) { ++starts; };
  animator->onStop = [&](QObject *) { ++stops; };
  animator->setAnimate(true);
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(animator->timer().interval(), 100u); // frame 0 stays for its own delay
  for (int i = 0; i < 3; ++i) {
    animator->timerExpired();
    intervals.push_back(animator->timer().interval());
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(intervals, (std::vector<uint32_t>{200, 300, 100}));
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(animator->animate());
  EXPECT_FALSE(animator->timer().hasOnTimer());
}

TEST_F(GIFAnimatorTest, WithLoopTheFramesWrapAndTheAnimationGoesOn) {
  load(threeFrames());
  std::vector<int> shown;
  animator->onFrameChanged = [&](QObject *) { shown.push_back(animator->frameIndex()); };
  animator->setAnimate(true);
  for (int i = 0; i < 5; ++i)
    animator->timerExpired();
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0, 1, 2}));
  EXPECT_TRUE(animator->animate());
  EXPECT_TRUE(animator->timer().workerRunnable());
}

TEST_F(GIFAnimatorTest, FrameIndexWritesOutsideTheFramesOrUnchangedRaiseNothing) {
  load(threeFrames(10, 20, 30));
  int changes = 0;
  animator->onFrameChanged = [&](QObject *) { ++changes; };
  animator->setFrameIndex(3);
  animator->setFrameIndex(-1);
  animator->setFrameIndex(0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(animator->frameIndex(), 0);
  animator->setFrameIndex(2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(animator->timer().interval(), 300u);
}

TEST_F(GIFAnimatorTest, TheTickDoesNothingWhileHiddenOrWithoutParent) {
  load(threeFrames());
  animator->setAnimate(true);
  animator->hide();
  animator->timerExpired();
  EXPECT_EQ(animator->frameIndex(), 0);
  animator->show();
  animator->timerExpired();
  EXPECT_EQ(animator->frameIndex(), 1);

  parent->hide(); // hidden with its window
  animator->timerExpired();
  EXPECT_EQ(animator->frameIndex(), 1);

  TGIFAnimator orphan(nullptr, sleeper);
  const TGIFImage image = makeImage(threeFrames());
  orphan.setImage(&image);
  orphan.show();
  orphan.timerExpired();
  EXPECT_EQ(orphan.frameIndex(), 0);
}

TEST_F(GIFAnimatorTest, SteppingThroughTheCacheGivesWhatAFreshCompositionGives) {
  const gifbuilder::Image spec = disposalMix();
  load(spec);
  std::vector<QImage> sequential;
  for (int k = 0; k < 8; ++k)
    sequential.push_back(animator->composeFrame(k).copy());
  for (int k = 0; k < 8; ++k) {
    TGIFAnimator fresh(nullptr, sleeper);
    const TGIFImage image = makeImage(spec);
    fresh.setImage(&image);
    EXPECT_EQ(fresh.composeFrame(k), sequential[std::size_t(k)]) << "frame " << k;
  }
}

TEST_F(GIFAnimatorTest, DisposalCodesFourToSevenLeaveTheFrameAsNoDisposalDoes) {
  // A blue corner with an undefined disposal code, then a frame restored to what was before it,
  // which makes the next step compose afresh: the corner stays in every way of getting there.
  for (int code : {4, 5, 6, 7}) {
    SCOPED_TRACE(testing::Message() << "disposal " << code);
    gifbuilder::Image spec;
    spec.screenWidth = 4;
    spec.screenHeight = 4;
    spec.globalColors = Table;
    auto f0 = solid(0, 0, 4, 4, 1);
    f0.disposal = 1;
    auto f1 = solid(0, 0, 2, 2, 2);
    f1.disposal = code;
    auto f2 = solid(3, 3, 1, 1, 4);
    f2.disposal = 3;
    spec.frames = {f0, f1, f2, solid(2, 2, 1, 1, 6)};
    load(spec);
    std::vector<QImage> sequential;
    for (int k = 0; k < 4; ++k)
      sequential.push_back(animator->composeFrame(k).copy());
    EXPECT_EQ(sequential[2].pixel(0, 0), Blue);
    EXPECT_EQ(sequential[3].pixel(0, 0), Blue);
    EXPECT_EQ(sequential[3].pixel(3, 3), Red);
    for (int k = 3; k >= 1; --k)
      EXPECT_EQ(animator->composeFrame(k), sequential[std::size_t(k)]) << "frame " << k;
  }
}

TEST_F(GIFAnimatorTest, DisposalsRestoreToBackgroundAndToWhatWasBefore) {
  load(disposalMix());
  auto at = [&](int k, int x, int y) { return animator->composeFrame(k).pixel(x, y); };
  EXPECT_EQ(at(1, 3, 3), Blue);
  EXPECT_EQ(at(1, 2, 2), Red); // the see-through corner shows frame 0
  // Frame 1 is restored to the background (the image's background colour) before frame 2.
  EXPECT_EQ(at(2, 3, 3), Cyan);
  EXPECT_EQ(at(2, 0, 0), Green);
  // Frame 2 is restored to what was before it, which forces a fresh composition.
  EXPECT_EQ(at(3, 0, 0), Red);
  EXPECT_EQ(at(3, 5, 5), Yellow);
  EXPECT_EQ(at(3, 6, 6), Red); // frame 3's see-through centre
  EXPECT_EQ(at(3, 3, 3), Cyan);
  EXPECT_EQ(at(4, 0, 0), White);
  // The full white frame is restored to what was before it: it hides nothing afterwards.
  EXPECT_EQ(at(5, 0, 0), Red);
  EXPECT_EQ(at(5, 1, 1), Blue);
  EXPECT_EQ(at(5, 5, 5), Yellow);
  // Frame 6 leaves everything under its see-through part; restored to background before 7.
  EXPECT_EQ(at(6, 0, 0), Green);
  EXPECT_EQ(at(6, 0, 5), Red);
  EXPECT_EQ(at(7, 0, 5), Cyan);
  EXPECT_EQ(at(7, 5, 1), Red);
}

TEST_F(GIFAnimatorTest, TransparentPixelsShowTheParentAndAnOpaqueKeyColouredPixelStays) {
  gifbuilder::Image spec;
  spec.screenWidth = 4;
  spec.screenHeight = 4;
  spec.globalColors = Table;
  auto f = solid(0, 0, 4, 4, 1);
  std::fill(f.pixels.begin(), f.pixels.begin() + 4, std::uint8_t(3));     // see-through row
  std::fill(f.pixels.begin() + 4, f.pixels.begin() + 8, std::uint8_t(5)); // opaque, same colour
  f.transparentIndex = 3;
  spec.frames = {f};
  load(spec);
  ASSERT_EQ(animator->size(), QSize(4, 4));
  EXPECT_EQ(seen(1, 0), ParentColor);
  EXPECT_EQ(seen(1, 1), Key);
  EXPECT_EQ(seen(1, 2), Red);

  animator->setTransparent(false);
  EXPECT_EQ(seen(1, 0), Key);
  EXPECT_EQ(seen(1, 1), Key);

  animator->setTransparent(true);
  QWidget *below = new QWidget(parent.get());
  below->setGeometry(0, 0, 50, 50);
  below->setAutoFillBackground(true);
  QPalette pal = below->palette();
  pal.setColor(QPalette::Window, QColor(SiblingColor));
  below->setPalette(pal);
  below->show();
  below->lower();
  EXPECT_EQ(seen(1, 0), SiblingColor);
  EXPECT_EQ(seen(1, 2), Red);
}

TEST_F(GIFAnimatorTest, AnEmptyImagePaintsNothingOverTheParent) {
  EXPECT_EQ(seen(0, 0), ParentColor);
  EXPECT_EQ(seen(104, 104), ParentColor);
}

TEST_F(GIFAnimatorTest, AnOpaqueImageIsDrawnAtTheOriginCentredOrStretched) {
  load(threeFrames());
  animator->setAutoSize(false);
  animator->resize(10, 10);
  EXPECT_EQ(seen(0, 0), Red);
  EXPECT_EQ(seen(5, 5), ParentColor); // the control's colour, from its parent
  animator->setCenter(true);
  EXPECT_EQ(seen(3, 3), Red);
  EXPECT_EQ(seen(0, 0), ParentColor);
  animator->setStretch(true);
  EXPECT_EQ(seen(0, 0), Red);
  EXPECT_EQ(seen(9, 9), Red);
}

TEST_F(GIFAnimatorTest, AssigningAnImageTakesACopyAndItsFrameAndKeepsAnimating) {
  animator->setAnimate(true);
  int changes = 0;
  animator->onChange = [&](QObject *) { ++changes; };
  TGIFImage source = makeImage(threeFrames(10, 20, 30), 2);
  animator->setImage(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(animator->frameIndex(), 2);
  EXPECT_EQ(animator->timer().interval(), 300u);
  EXPECT_TRUE(animator->animate());
  source.clear();
  EXPECT_EQ(animator->image().frameCount(), 3);
  animator->setImage(nullptr);
  EXPECT_TRUE(animator->image().empty());
  EXPECT_EQ(changes, 2);
}

TEST_F(GIFAnimatorTest, AutoSizeTakesTheScreenSizeUnlessAlignedToTheClient) {
  gifbuilder::Image spec = threeFrames();
  spec.screenWidth = 30;
  spec.screenHeight = 20;
  load(spec);
  EXPECT_EQ(animator->size(), QSize(30, 20));
  EXPECT_EQ(animator->sizeHint(), QSize(30, 20));

  TGIFAnimator top(parent.get(), sleeper);
  top.resize(100, 100);
  top.setAlign(TAlign::alTop);
  const TGIFImage image = makeImage(spec);
  top.setImage(&image);
  EXPECT_EQ(top.size(), QSize(100, 20));

  TGIFAnimator client(parent.get(), sleeper);
  client.setAlign(TAlign::alClient);
  client.setImage(&image);
  EXPECT_EQ(client.size(), QSize(105, 105));

  TGIFAnimator fixed(parent.get(), sleeper);
  fixed.setAutoSize(false);
  fixed.setImage(&image);
  EXPECT_EQ(fixed.size(), QSize(105, 105));
}

TEST_F(GIFAnimatorTest, HandlersMayWriteFrameIndexAndImageInsideATick) {
  load(threeFrames());
  const TGIFImage other = makeImage(threeFrames(40, 50, 60));
  bool replaced = false;
  animator->onFrameChanged = [&](QObject *) {
    if (animator->frameIndex() == 1)
      animator->setFrameIndex(2);
    else if (!replaced) {
      replaced = true;
      animator->setImage(&other);
    }
  };
  animator->setAnimate(true);
  animator->timerExpired();
  EXPECT_EQ(animator->frameIndex(), 0); // 1, moved on to 2, then the new image's frame
  EXPECT_TRUE(replaced);
  EXPECT_EQ(animator->timer().interval(), 400u);
}

TEST_F(GIFAnimatorTest, AFrameThatCannotBeDecodedDrawsAsEmptyAndRaisesNothing) {
  gifbuilder::Image spec;
  spec.screenWidth = 4;
  spec.screenHeight = 4;
  auto f0 = solid(0, 0, 4, 4, 1);
  f0.localColors = Table;
  auto f1 = solid(0, 0, 2, 2, 2); // no colour table anywhere
  spec.frames = {f0, f1};
  load(spec);
  ASSERT_EQ(animator->image().frameCount(), 2);
  ASSERT_TRUE(animator->image().frame(1).toImage().isNull()); // the damage is there
  int changes = 0;
  animator->onFrameChanged = [&](QObject *) { ++changes; };
  animator->setAnimate(true);
  EXPECT_NO_THROW(animator->timerExpired());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(animator->frameIndex(), 1);
  EXPECT_NO_THROW(seen(0, 0));
  EXPECT_EQ(seen(0, 0), Red); // frame 0 stays under the empty frame
  EXPECT_NO_THROW(animator->timerExpired());
  EXPECT_TRUE(animator->animate());
}

TEST_F(GIFAnimatorTest, AHugeLogicalScreenAllocatesNothingAndLeavesTheSize) {
  gifbuilder::Image spec = threeFrames();
  spec.screenWidth = 65535;
  spec.screenHeight = 65535;
  load(spec);
  ASSERT_EQ(animator->image().screenWidth(), 65535);
  EXPECT_EQ(animator->size(), QSize(105, 105));
  EXPECT_EQ(animator->sizeHint(), QSize(105, 105));
  EXPECT_TRUE(animator->composeFrame(0).isNull());
  EXPECT_EQ(seen(0, 0), ParentColor);
}

// Every step once converted its frame again, pass after pass.
TEST_F(GIFAnimatorTest, ALoopingAnimationConvertsItsFramesOnTheFirstPassOnly) {
  gifbuilder::Image spec;
  spec.screenWidth = 64;
  spec.screenHeight = 48;
  spec.globalColors = Table;
  for (int i = 0; i < 20; ++i) {
    auto f = solid(0, 0, 64, 48, std::uint8_t(i % 8));
    f.delayCs = 10;
    f.disposal = 1;
    spec.frames.push_back(f);
  }
  load(spec);
  for (int i = 0; i < 20; ++i)
    animator->timerExpired();
  EXPECT_EQ(animator->frameConversions(), 20);
  for (int i = 0; i < 39; ++i)
    animator->timerExpired();
  EXPECT_EQ(animator->frameConversions(), 20);
  EXPECT_EQ(animator->cachedBytes(), 20 * 64 * 48 * 4);
  EXPECT_EQ(animator->frameIndex(), 19);
  EXPECT_EQ(seen(5, 5), Table[19 % 8]);
  // A new picture starts afresh.
  load(threeFrames());
  EXPECT_EQ(animator->cachedBytes(), 0);
}

// A file of a few kilobytes walking a small square over a 4096 x 4096 screen once repainted (and
// drew) the whole screen at every step.
TEST_F(GIFAnimatorTest, OnAHugeScreenAStepRepaintsOnlyWhatChangedWithinTheBudget) {
  gifbuilder::Image spec;
  spec.screenWidth = 4096;
  spec.screenHeight = 4096;
  spec.globalColors = Table;
  for (int i = 0; i < 64; ++i) {
    auto f = solid(2 * i, i, 8, 8, std::uint8_t(1 + i % 6));
    f.delayCs = 10;
    f.disposal = 2;
    spec.frames.push_back(f);
  }
  ASSERT_LT(gifbuilder::build(spec).size(), 8000);
  load(spec);
  QCoreApplication::processEvents(); // until the window is exposed, nothing paints
  ASSERT_TRUE(parent->windowHandle() && parent->windowHandle()->isExposed());
  struct PaintLog : QObject {
    std::vector<QRect> rects;
    bool eventFilter(QObject *, QEvent *e) override {
      if (e->type() == QEvent::Paint)
        rects.push_back(static_cast<QPaintEvent *>(e)->rect());
      return false;
    }
  } log;
  for (int i = 0; i < 64; ++i)
    animator->timerExpired();
  animator->installEventFilter(&log);
  const int conversions = animator->frameConversions();
  for (int i = 0; i < 64; ++i)
    animator->timerExpired();
  // Each step paints its square and the one before it; only the restart at frame 0 paints all.
  ASSERT_EQ(log.rects.size(), 64u);
  EXPECT_EQ(std::count_if(log.rects.begin(), log.rects.end(),
                          [](const QRect &r) { return r.width() * r.height() > 11 * 10; }),
            1);
  EXPECT_EQ(animator->frameConversions() - conversions, 64);
  EXPECT_LE(animator->cachedBytes(), TGIFAnimator::CacheBudget);
  // Two passes: frame 0 again, the last square restored to the background.
  ASSERT_EQ(animator->frameIndex(), 0);
  EXPECT_EQ(seen(1, 1), Red);
  EXPECT_EQ(seen(2 * 63 + 1, 63 + 1), seen(190, 190));
}

TEST_F(GIFAnimatorTest, AFrameShowsThroughWithSeeThroughOrKeyColouredPixels) {
  // Red with one see-through pixel, then blue all over it, then the key colour.
  gifbuilder::Image spec = threeFrames();
  spec.frames[0].pixels[5] = 3;
  spec.frames[0].transparentIndex = 3;
  load(spec);
  EXPECT_TRUE(animator->frameShowsThrough(Green));
  animator->setFrameIndex(1);
  EXPECT_FALSE(animator->frameShowsThrough(Green));
  EXPECT_TRUE(animator->frameShowsThrough(Blue));
  animator->setFrameIndex(2);
  EXPECT_TRUE(animator->frameShowsThrough(Key));
}

TEST_F(GIFAnimatorTest, AsyncDrawingStepsOnTheWorkerAndRaisesEventsOnTheGuiThread) {
  load(threeFrames());
  animator->setLoop(false);
  animator->setAsyncDrawing(true);
  EXPECT_FALSE(animator->timer().syncEvent());
  std::vector<int> shown;
  std::vector<QThread *> threads;
  int stops = 0;
  animator->onFrameChanged = [&](QObject *) {
    shown.push_back(animator->frameIndex());
    threads.push_back(QThread::currentThread());
  };
  animator->onStop = [&](QObject *) { ++stops; };
  animator->setAnimate(true);
  for (size_t n = 1; n <= 3; ++n) {
    ASSERT_TRUE(sleeper->waitForSleep(n));
    sleeper->release();
    ASSERT_TRUE(pumpUntil([&] { return shown.size() == n; }));
  }
  ASSERT_TRUE(pumpUntil([&] { return stops == 1; }));
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 0}));
  for (QThread *t : threads)
    EXPECT_EQ(t, QCoreApplication::instance()->thread());
  EXPECT_FALSE(animator->animate());
  animator->setAsyncDrawing(false);
  EXPECT_TRUE(animator->timer().syncEvent());
}

// On the real clock: frames advance by themselves, and destroying the control while it animates
// leaves no tick behind.
TEST(GIFAnimatorRealClock, AnimatesAndCanBeDestroyedWhileAnimating) {
  QWidget parent;
  auto *animator = new TGIFAnimator(&parent);
  const TGIFImage image = makeImage(threeFrames(0, 0, 0));
  animator->setImage(&image);
  auto changes = std::make_shared<int>(0);
  animator->onFrameChanged = [changes](QObject *) { ++*changes; };
  parent.show();
  animator->setAnimate(true);
  ASSERT_TRUE(pumpUntil([&] { return *changes >= 2; }));
  delete animator;
  const int seen = *changes;
  for (int i = 0; i < 20; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(*changes, seen);
}

// Forms made in the designer set the properties by name.
TEST_F(GIFAnimatorTest, PropertiesCanBeSetByNameAsFormsDo) {
  load(threeFrames());
  EXPECT_TRUE(animator->setProperty("center", true));
  EXPECT_TRUE(animator->setProperty("loop", false));
  EXPECT_TRUE(animator->setProperty("frameIndex", 2));
  EXPECT_TRUE(animator->setProperty("animate", true));
  EXPECT_TRUE(animator->center());
  EXPECT_FALSE(animator->loop());
  EXPECT_EQ(animator->frameIndex(), 2);
  EXPECT_TRUE(animator->animate());
  EXPECT_EQ(animator->property("transparent").toBool(), true);
}
