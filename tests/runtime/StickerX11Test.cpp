// Checks against a real X server (Xvfb, no window manager, no compositor). Run through the
// sticker_x11 test, which starts the server; under the offscreen platform they skip.
#include "runtime/FormSticker.h"

#include "runtime/StickerView.h"
#include "tests/runtime/StickerTestSupport.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using namespace stickertest;

namespace {

bool onX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// The first point of the area whose key-render pixel is exactly the colour.
QPoint firstPointOf(const QImage &keyImage, const QRect &area, QRgb color) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (keyImage.valid(x, y) && keyImage.pixel(x, y) == color)
        return {x, y};
  return {-1, -1};
}

// Grabs the whole screen until the pixel has the colour, or gives up after about two seconds:
// the server applies the shape and draws asynchronously.
QImage grabScreenUntil(QPoint at, QColor color) {
  QImage screen;
  for (int attempt = 0; attempt < 100; ++attempt) {
    QCoreApplication::processEvents();
    screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    if (screen.valid(at) && screen.pixelColor(at) == color)
      break;
    QTest::qWait(20);
  }
  return screen;
}

} // namespace

TEST(StickerX11, TheColourKeyShowsWhatLiesBehindAndKeepsTheText) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server (the sticker_x11 test starts one)";
  const QColor behind(255, 0, 255);
  QWidget backdrop(nullptr, Qt::FramelessWindowHint);
  QPalette p = backdrop.palette();
  p.setColor(QPalette::Window, behind);
  backdrop.setPalette(p);
  backdrop.setAutoFillBackground(true);
  backdrop.setGeometry(0, 0, 500, 400);
  backdrop.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));

  auto reminder = makeReminder();
  reminder->sticker.background.transparent = true;
  reminder->sticker.subject.font.size = 28;
  reminder->sticker.position = {60, 50, 0, 0, true};
  TestModel testModel;
  TStickerView view(testModel.model, headlessUi());
  TFormSticker *w = view.window();
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  EXPECT_EQ(w->geometry().topLeft(), QPoint(60, 50));

  const QPoint background = w->mapToGlobal(QPoint(0, w->height() - 1));
  const QImage screen = grabScreenUntil(background, behind);
  ASSERT_FALSE(screen.isNull());
  EXPECT_EQ(screen.pixelColor(background), behind) << "the key colour is not see-through";

  const QPoint text =
      firstPointOf(w->RenderKeyImage(), w->LabelSubject()->geometry(), qRgb(255, 0, 0));
  ASSERT_NE(text, QPoint(-1, -1));
  EXPECT_EQ(screen.pixelColor(w->mapToGlobal(text)), QColor(255, 0, 0));

  // An opaque sticker covers what lies behind it.
  reminder->sticker.background.transparent = false;
  w->ShowReminder(0, lookupOf(reminder), firedAt(), nullptr, nullptr);
  const QImage opaque = grabScreenUntil(background, QColor(255, 255, 0));
  EXPECT_EQ(opaque.pixelColor(background), QColor(255, 255, 0));
}
