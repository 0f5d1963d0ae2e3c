#include "runtime/FormSticker.h"

#include "imaging/Bitmap.h"
#include "imaging/Dib.h"
#include "platform/FormatSettings.h"
#include "runtime/StickerLayout.h"
#include "tests/runtime/StickerTestSupport.h"
#include "widgets/GIFControl.h"
#include "widgets/Image.h"
#include "widgets/Shape.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include <gtest/gtest.h>

using namespace stickertest;

namespace {

class FormSticker : public ::testing::Test {
protected:
  void TearDown() override {
    view.reset();
    flushDeletes();
  }

  TFormSticker *show(const TGraphic *picture = nullptr) {
    if (!view)
      view = std::make_unique<TStickerView>(testModel.model, headlessUi());
    view->window()->ShowReminder(0, lookupOf(reminder), firing, picture, nullptr);
    return view->window();
  }

  QImage grabbed() {
    return view->window()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  }

  TestModel testModel;
  std::unique_ptr<TDataObject> reminder = makeReminder();
  TFiringState firing = firedAt();
  std::unique_ptr<TStickerView> view;
};

} // namespace

TEST_F(FormSticker, IsAFramelessTopMostToolWindowThatStartsEmpty) {
  TStickerView fresh(testModel.model, headlessUi());
  TFormSticker *w = fresh.window();
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(w->testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_TRUE(w->isHidden());
  EXPECT_EQ(w->size(), QSize(0, 0));
  for (QWidget *c :
       std::initializer_list<QWidget *>{w->LabelSubject(), w->LabelText(), w->LabelDate(),
                                        w->LabelTime(), w->ImagePicture(), w->GIFAnimator()})
    EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
  EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(FormSticker, OnlyTheTextShownSitsAtTwoOneInAWindowThatHugsIt) {
  reminder->sticker.subject.enable = false;
  TFormSticker *w = show();
  const QRect text = w->LabelText()->geometry();
  EXPECT_EQ(text.topLeft(), QPoint(2, 1));
  EXPECT_GT(text.width(), 0);
  EXPECT_EQ(w->size(), QSize(text.width() + 5, text.height() + 2));
  EXPECT_EQ(w->ShapeFrame()->geometry(), QRect(QPoint(0, 0), w->size()));
  EXPECT_EQ(w->pos(), QPoint(100, 100));
  EXPECT_TRUE(w->isVisible());
}

TEST_F(FormSticker, LabelsTakeTheirTextFontAndAlignment) {
  reminder->sticker.date.enable = true;
  reminder->sticker.time.enable = true;
  reminder->sticker.time.alignment = TStickerTextAlignment::Right;
  reminder->sticker.text.font.style = FontStyleItalic | FontStyleUnderline;
  reminder->sticker.text.font.size = 20;
  FormatSettings fs;
  fs.shortDateFormat = QStringLiteral("dd.mm.yy");
  fs.longTimeFormat = QStringLiteral("hh:nn:ss");
  fs.dateSeparator = u'.';
  ScopedFormatSettings scoped(fs);
  TFormSticker *w = show();

  EXPECT_EQ(w->LabelDate()->text(), QStringLiteral("31.12.26"));
  EXPECT_EQ(w->LabelTime()->text(), QStringLiteral("09:05:07"));
  EXPECT_EQ(w->LabelText()->text(), QStringLiteral("First line\nSecond line"));
  EXPECT_TRUE(w->LabelSubject()->font().bold());
  EXPECT_EQ(w->LabelSubject()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_TRUE(w->LabelText()->font().italic());
  EXPECT_TRUE(w->LabelText()->font().underline());
  EXPECT_EQ(w->LabelText()->font().pointSize(), 20);
  EXPECT_TRUE(w->LabelSubject()->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(w->LabelTime()->alignment() & Qt::AlignRight);
  // The time ends two pixels before the window's right edge; the date starts the first row.
  EXPECT_EQ(w->LabelDate()->pos(), QPoint(2, 1));
  EXPECT_EQ(w->LabelTime()->geometry().right() + 1, w->width() - 2);
  EXPECT_GE(w->LabelSubject()->y(), w->LabelDate()->height());
}

TEST_F(FormSticker, SubjectAndHintAreAlwaysPlainText) {
  reminder->subject = QStringLiteral("<img src=x> a<b");
  reminder->sticker.subjectAsHintEnable = true;
  TFormSticker *w = show();
  EXPECT_EQ(w->LabelSubject()->text(), QStringLiteral("<img src=x> a<b"));
  EXPECT_EQ(w->LabelSubject()->textFormat(), Qt::PlainText);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("<img src=x> a<b"));
  const QString tip = w->LabelSubject()->toolTip();
  EXPECT_TRUE(tip.contains(QStringLiteral("&lt;img src=x&gt; a&lt;b"))) << tip.toStdString();
  EXPECT_FALSE(tip.contains(QStringLiteral("<img")));
  // The frame shows no hint; the elements share the reminder's.
  EXPECT_TRUE(w->ShapeFrame()->toolTip().isEmpty());
  EXPECT_EQ(w->GIFAnimator()->toolTip(), tip);
}

TEST_F(FormSticker, ARemindBeforeNoteFollowsTheSubjectOrEndsTheText) {
  firing.kind = TFireKind::RemindBefore;
  reminder->remindBefore = {true, {10, TMeasure::Minute}};
  TFormSticker *w = show();
  EXPECT_EQ(w->LabelSubject()->text(), QStringLiteral("Subject (remind before for 10 minute)"));
  EXPECT_EQ(w->LabelText()->text(), QStringLiteral("First line\nSecond line"));

  reminder->sticker.subject.enable = false;
  w = show();
  EXPECT_EQ(w->LabelText()->text(),
            QStringLiteral("First line\nSecond line\n (remind before for 10 minute)"));
}

TEST_F(FormSticker, AnOpaqueBackgroundHasItsColourAndNoMask) {
  TFormSticker *w = show();
  const QImage image = grabbed();
  ASSERT_EQ(image.size(), w->size());
  EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(255, 255, 0));
  EXPECT_EQ(QColor(image.pixel(w->width() - 1, w->height() - 1)), QColor(255, 255, 0));
  EXPECT_TRUE(w->mask().isEmpty());
}

TEST_F(FormSticker, TheFrameLineRunsAlongTheEdge) {
  reminder->sticker.frame.style = TStickerFrameStyle::Solid;
  TFormSticker *w = show();
  QImage image = grabbed();
  const QColor blue(0, 0, 255);
  EXPECT_EQ(QColor(image.pixel(0, 0)), blue);
  EXPECT_EQ(QColor(image.pixel(w->width() - 1, w->height() - 1)), blue);
  EXPECT_EQ(QColor(image.pixel(w->width() / 2, w->height() - 1)), blue);
  EXPECT_EQ(QColor(image.pixel(1, w->height() - 2)), QColor(255, 255, 0));

  reminder->sticker.frame.style = TStickerFrameStyle::None;
  show();
  image = grabbed();
  EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(255, 255, 0));
}

TEST_F(FormSticker, ATransparentBackgroundLeavesOnlyTheDrawnPixels) {
  reminder->sticker.background.transparent = true;
  TFormSticker *w = show();
  const QImage image = grabbed();
  const QPoint background(0, w->height() - 1);
  EXPECT_EQ(qAlpha(image.pixel(background)), 0);
  EXPECT_FALSE(w->mask().contains(background));

  const QPoint text = firstDrawnPoint(w->RenderKeyImage(), w->LabelSubject()->geometry());
  ASSERT_NE(text, QPoint(-1, -1));
  EXPECT_TRUE(w->mask().contains(text));
  EXPECT_GT(qAlpha(image.pixel(text)), 0);

  // Back to an opaque background: the mask goes.
  reminder->sticker.background.transparent = false;
  show();
  EXPECT_TRUE(w->mask().isEmpty());
}

TEST_F(FormSticker, LimePixelsOfAPictureBecomeSeeThroughOnATransparentBackground) {
  QImage source(20, 20, QImage::Format_RGB32);
  source.fill(QColor(255, 0, 0));
  QPainter(&source).fillRect(0, 0, 5, 5, QColor(0, 255, 0));
  const TBitmap bitmap(Dib::fromQImage(source));
  reminder->sticker.background.transparent = true;
  reminder->sticker.image.enable = true;
  reminder->sticker.image.transparent = false;
  TFormSticker *w = show(&bitmap);
  const QRect picture = w->ImagePicture()->geometry();
  ASSERT_EQ(picture.size(), QSize(20, 20));
  EXPECT_FALSE(w->mask().contains(picture.topLeft() + QPoint(2, 2)));
  EXPECT_TRUE(w->mask().contains(picture.topLeft() + QPoint(12, 12)));
}

TEST_F(FormSticker, OpacityBecomesTheWindowsAlpha) {
  for (const auto &[opacity, alpha] :
       {std::pair{0, 255}, {20, 204}, {100, 0}, {-5, 255}, {150, 0}}) {
    reminder->sticker.opacity = opacity;
    TFormSticker *w = show();
    EXPECT_NEAR(w->windowOpacity() * 255.0, alpha, 1.0) << opacity;
  }
}

TEST_F(FormSticker, WithoutAutoSizeTheStoredSizeIsUsed) {
  reminder->sticker.position = {40, 30, 250, 120, false};
  TFormSticker *w = show();
  EXPECT_EQ(w->geometry(), QRect(40, 30, 250, 120));
  // No stored size: sized to the content, never 0 x 0.
  reminder->sticker.position = {40, 30, 0, 0, false};
  show();
  EXPECT_GT(w->width(), 10);
  EXPECT_GT(w->height(), 10);
}

TEST_F(FormSticker, APlaceOnNoScreenMovesOntoThePrimaryScreen) {
  const QRect home = QGuiApplication::primaryScreen()->availableGeometry();
  reminder->sticker.position = {50000, -40000, 0, 0, true};
  TFormSticker *w = show();
  EXPECT_TRUE(home.contains(w->geometry())) << w->x() << "," << w->y();

  // An empty position is centred on the primary screen (for a sticker not on show yet).
  reminder->sticker.position = {0, 0, 0, 0, true};
  view.reset();
  flushDeletes();
  w = show();
  EXPECT_LE(std::abs(w->geometry().center().x() - home.center().x()), 1);
  EXPECT_LE(std::abs(w->geometry().center().y() - home.center().y()), 1);
}

TEST_F(FormSticker, StorePositionAndMoveToUseTheWindowsPlace) {
  TFormSticker *w = show();
  w->MoveTo(321, 123);
  TDataObject other(QStringLiteral("other"));
  other.sticker.position.autoSize = true;
  w->StorePosition(other);
  EXPECT_EQ(other.sticker.position.left, 321);
  EXPECT_EQ(other.sticker.position.top, 123);
  EXPECT_EQ(other.sticker.position.width, w->width());
  EXPECT_EQ(other.sticker.position.height, w->height());
  EXPECT_TRUE(other.sticker.position.autoSize);
}

// A 6000 x 6000 photo made the sticker a window of the whole screen, above everything.
TEST_F(FormSticker, APictureLargerThanTheScreenIsScaledDownInsideTheWorkArea) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QImage source(area.width() * 3, area.height() * 2, QImage::Format_RGB32);
  source.fill(QColor(0, 0, 255));
  const TBitmap bitmap(Dib::fromQImage(source));
  reminder->sticker.image.enable = true;
  reminder->sticker.position = {}; // placed for the user
  TFormSticker *w = show(&bitmap);
  EXPECT_TRUE(area.contains(w->geometry())) << w->width() << "x" << w->height();
  const QRect drawn = w->ImagePicture()->pictureRect();
  EXPECT_LT(drawn.width(), source.width());
  EXPECT_TRUE(w->ImagePicture()->rect().contains(drawn));
  // The proportions stay: 3 : 2.
  EXPECT_NEAR(double(drawn.width()) / drawn.height(), 1.5, 0.01);
}

TEST_F(FormSticker, AStoredPlacePartlyOffTheScreenIsPulledInsideIt) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  reminder->sticker.position = {area.right() - 10, area.bottom() - 5, 0, 0, true};
  TFormSticker *w = show();
  EXPECT_TRUE(area.contains(w->geometry())) << w->x() << "," << w->y();
}

// Two reminders without a stored place both went to the middle, one hiding the other.
TEST_F(FormSticker, AStickerComingUpWhereAnotherShowsMovesOnSoBothCanBeSeen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  reminder->sticker.position = {};
  TFormSticker *first = show();
  auto second = makeReminder(QStringLiteral("ID-2"));
  second->sticker.position = {};
  TStickerView other(testModel.model, headlessUi());
  other.window()->ShowReminder(0, lookupOf(second), firing, nullptr, nullptr);
  EXPECT_EQ(other.window()->pos(), first->pos() + QPoint(24, 24));
  EXPECT_TRUE(area.contains(other.window()->geometry()));
  // One that is shown already keeps its place when it is filled again.
  other.window()->ShowReminder(0, lookupOf(second), firing, nullptr, nullptr);
  EXPECT_EQ(other.window()->pos(), first->pos() + QPoint(24, 24));
  // The place a closed sticker had is free again: the next one takes it.
  other.close();
  flushDeletes();
  TStickerView third(testModel.model, headlessUi());
  third.window()->ShowReminder(0, lookupOf(second), firing, nullptr, nullptr);
  EXPECT_EQ(third.window()->pos(), first->pos() + QPoint(24, 24));
}
