#include "tests/ui/EditorFixture.h"

#include "imaging/Bitmap.h"
#include "imaging/Dib.h"
#include "model/Model.h"
#include "runtime/FormSticker.h"
#include "ui/FrameSticker.h"
#include "widgets/Image.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

using namespace editortest;

namespace {

class FrameSticker : public EditorFixture {
protected:
  static TFrameSticker &page(TFormEditReminder &editor) {
    auto *frame = editor.findChild<TFrameSticker *>();
    EXPECT_NE(frame, nullptr);
    return *frame;
  }
  template <class W> static W &control(TFormEditReminder &editor, const char *name) {
    W *w = editor.findChild<W *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return *w;
  }
};

void writeBitmap(const QString &file, QSize size) {
  QImage source(size, QImage::Format_RGB32);
  source.fill(Qt::blue);
  TBitmap(Dib::fromQImage(source)).saveToFile(file);
}

} // namespace

// What the page shows of a stored sticker and what it writes back: values a file may hold
// outside the controls' range come back as the sticker draws them.
TEST_F(FrameSticker, MapsTheStickerRecordBothWays) {
  struct Case {
    int opacity, bar, savedOpacity;
    int frameStyle;
    bool frameBox;
    int frameSaved;
    int alignment, savedAlignment;
    int32_t fontSize, savedFontSize;
  };
  const Case cases[] = {
      {70, 30, 70, 0, true, 0, 2, 2, 12, 12},
      {250, 0, 100, 5, false, 5, 1, 1, 10000, 500},
      {-5, 100, 0, 3, false, 5, 7, 0, -20000, -500},
  };
  for (const Case &c : cases) {
    const QString id = addStored(QStringLiteral("look"));
    TStickerRec &s = FindReminderById(id)->sticker;
    s.onTop = false;
    s.opacity = c.opacity;
    s.frame.style = TStickerFrameStyle(c.frameStyle);
    s.subject.alignment = TStickerTextAlignment(c.alignment);
    s.subject.font = {QStringLiteral("Default"), FontStyleBold | FontStyleStrikeout, 0x123456,
                      c.fontSize, 204};
    s.text.font = {QStringLiteral("Serif Test"), FontStyleItalic | FontStyleUnderline, 0xFF, -14,
                   0};
    s.subjectAsHintEnable = false;
    s.date.enable = false;

    TFormEditReminder editor(model.model, ui, id, 0);
    editor.LoadReminder();
    EXPECT_EQ(control<QSlider>(editor, "TrackBarTransparent").value(), c.bar);
    EXPECT_EQ(control<QCheckBox>(editor, "CheckBoxFrame").isChecked(), c.frameBox);
    EXPECT_FALSE(control<QCheckBox>(editor, "CheckBoxOnTop").isChecked());

    auto out = TDataObject::CreateEmpty(id);
    page(editor).SaveToReminder(*out);
    const TStickerRec &o = out->sticker;
    EXPECT_TRUE(o.onTop);
    EXPECT_EQ(o.opacity, c.savedOpacity);
    EXPECT_EQ(int(o.frame.style), c.frameSaved);
    EXPECT_EQ(int(o.subject.alignment), c.savedAlignment);
    EXPECT_EQ(o.text.alignment, s.text.alignment);
    EXPECT_FALSE(o.subjectAsHintEnable);
    EXPECT_TRUE(o.textAsHintEnable);
    EXPECT_FALSE(o.date.enable);
    EXPECT_TRUE(o.time.enable);
    EXPECT_EQ(o.subject.font.name, "Default");
    EXPECT_EQ(o.subject.font.style, FontStyleBold | FontStyleStrikeout);
    EXPECT_EQ(o.subject.font.color, 0x123456);
    EXPECT_EQ(o.subject.font.size, c.savedFontSize);
    EXPECT_EQ(o.subject.font.charset, 204);
    EXPECT_EQ(o.text.font.name, "Serif Test");
    EXPECT_EQ(o.text.font.style, FontStyleItalic | FontStyleUnderline);
    EXPECT_EQ(o.text.font.size, -14);
    EXPECT_EQ(o.text.font.charset, 0);
    EXPECT_EQ(o.background.color, s.background.color);
  }
}

// The preview is dragged, switched off and on and restyled; Cancel ("Save?" No) then leaves the
// data file exactly as it was and takes the preview away.
TEST_F(FrameSticker, CancelLeavesTheDataFileByteIdenticalAndClosesThePreview) {
  QString id = addStored(QStringLiteral("keep"));
  ASSERT_TRUE(Store().Save());
  const QByteArray before = dataFile();
  QPointer<TFormSticker> window;
  prompts.script.push_back(int(UiPrompts::Answer::No));
  EXPECT_FALSE(edit(id, 0, [&window](TFormEditReminder &editor) {
    window = page(editor).PreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->move(window->pos() + QPoint(37, 21));
    control<QSlider>(editor, "TrackBarTransparent").setValue(40);
    auto &sticker = control<QCheckBox>(editor, "CheckBoxStickerEnable");
    sticker.setChecked(false);
    EXPECT_EQ(page(editor).PreviewWindow(), nullptr);
    sticker.setChecked(true);
    ASSERT_NE(page(editor).PreviewWindow(), nullptr);
    page(editor).PreviewWindow()->move(3, 4);
    editor.reject();
  }));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(dataFile(), before);
  EXPECT_EQ(window, nullptr);
  for (QWidget *w : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TFormSticker *>(w), nullptr);
}

// The preview window is the page's own: the preview copy of the reminder holds no window, so the
// window goes with the page even while the copy stays.
TEST_F(FrameSticker, ThePreviewWindowBelongsToThePageAndGoesWithIt) {
  const QString id = addStored(QStringLiteral("preview"));
  SetPreviewReminder(TDataObject::Create(id));
  QPointer<TFormSticker> window;
  {
    TFrameSticker frame(model.model, ui);
    frame.LoadFromReminder(id);
    window = frame.PreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->Reminder(), PreviewReminder());
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  EXPECT_NE(PreviewReminder(), nullptr);
  SetPreviewReminder(nullptr);
}

// A new reminder has no stored place: its preview appears in the middle of the primary screen,
// and Ok keeps where the user then dragged it.
TEST_F(FrameSticker, ANewPreviewStartsInTheMiddleAndOkKeepsWhereItWasDragged) {
  TFormEditReminder editor(model.model, ui, NewReminderId, 0);
  editor.LoadReminder();
  TFormSticker *window = page(editor).PreviewWindow();
  ASSERT_NE(window, nullptr);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 2);

  window->move(40, 50);
  ASSERT_TRUE(editor.ActionOkExecute());
  const TDataObject *saved = FindReminderById(editor.ReminderId());
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->sticker.position.left, 40);
  EXPECT_EQ(saved->sticker.position.top, 50);
  EXPECT_EQ(TDataObject::Create(saved->Id)->sticker.position.left, 40); // and in the store
}

// A picture that cannot be read is reported with its reason; the one shown before stays, on the
// page and on the preview.
TEST_F(FrameSticker, ACorruptPictureKeepsThePreviousOneAndShowsTheReason) {
  const QString id = addStored(QStringLiteral("picture"));
  TFormEditReminder editor(model.model, ui, id, 0);
  editor.LoadReminder();
  TFrameSticker &frame = page(editor);
  QTemporaryDir dir;
  const QString good = dir.filePath(QStringLiteral("good.bmp"));
  const QString bad = dir.filePath(QStringLiteral("bad.bmp"));
  writeBitmap(good, {12, 8});
  QFile f(bad);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("BM this is not a bitmap");
  f.close();

  frame.LoadPicture(good);
  ASSERT_EQ(frame.ImagePicture().pictureSize(), QSize(12, 8));
  EXPECT_TRUE(control<QCheckBox>(editor, "CheckBoxImage").isChecked());
  frame.ClearPicture();
  frame.LoadPicture(good);
  prompts.shown.clear();

  frame.LoadPicture(bad);
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_TRUE(prompts.shown[0].startsWith(QLatin1String("error: ")))
      << prompts.shown[0].toStdString();
  EXPECT_GT(prompts.shown[0].size(), 10);
  EXPECT_EQ(frame.ImagePicture().pictureSize(), QSize(12, 8));
  EXPECT_TRUE(control<QCheckBox>(editor, "CheckBoxImage").isChecked());
  EXPECT_EQ(frame.PreviewWindow()->ImagePicture()->pictureSize(), QSize(12, 8));
}

// The preview came up in the middle of the screen, over the editor shown there: over "As mail
// message", "As program or file call" and the No of its "Save?" question. It comes up beside the
// editor, inside the screen, and a saved reminder's sticker appears where the preview was.
TEST_F(FrameSticker, ThePreviewAppearsBesideTheShownEditorNotOverIt) {
  TFormEditReminder editor(model.model, ui, NewReminderId, 0);
  editor.move(10, 10);
  editor.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
  editor.LoadReminder();
  TFormSticker *window = page(editor).PreviewWindow();
  ASSERT_NE(window, nullptr);
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_GE(area.width() - editor.frameGeometry().right(), window->width() + 8)
      << "the screen leaves no room beside the editor";
  EXPECT_FALSE(window->frameGeometry().intersects(editor.frameGeometry()))
      << window->x() << "," << window->y();
  EXPECT_TRUE(area.contains(window->frameGeometry()));
  const QPoint beside = window->pos();
  // A change of the page fills the preview again; it stays where it is.
  control<QCheckBox>(editor, "CheckBoxDate").toggle();
  EXPECT_EQ(window->pos(), beside);
  ASSERT_TRUE(editor.ActionOkExecute());
  const TDataObject *saved = FindReminderById(editor.ReminderId());
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(QPoint(saved->sticker.position.left, saved->sticker.position.top), beside);
}
