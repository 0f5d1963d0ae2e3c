#include "widgets/SpinEditUnit.h"

#include "platform/Errors.h"
#include "platform/FormatSettings.h"
#include "tests/widgets/WidgetTestSupport.h"

#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct ClampCase {
  double min, max, written;
  const char *shown;
};

} // namespace

TEST(SpinEdit, WritingClampsAndRoundsHalvesToEvenAndSaturates) {
  const ClampCase cases[] = {
      {1, 100, 0, "1"},
      {1, 100, 250, "100"},
      {1, 100, 7.6, "8"},
      {1, 100, 2.5, "2"},
      {1, 100, 3.5, "4"},
      {0, 0, -250, "-250"},
      {0, 0, -2.5, "-2"},
      {0, 0, 1e300, "9223372036854775807"},
      {0, 0, -1e300, "-9223372036854775808"},
  };
  for (const ClampCase &c : cases) {
    TSpinEdit edit;
    edit.setMinValue(c.min);
    edit.setMaxValue(c.max);
    edit.setValue(c.written);
    EXPECT_EQ(edit.text(), QString::fromLatin1(c.shown))
        << c.min << ".." << c.max << " " << c.written;
  }
}

TEST(SpinEdit, ReadClampsATypedNumberButNotTheFailureValue) {
  TSpinEdit edit;
  edit.setMinValue(1.9);
  edit.setMaxValue(100);
  edit.setText(QStringLiteral("500"));
  EXPECT_EQ(edit.value(), 100);
  edit.setText(QStringLiteral("-5"));
  EXPECT_EQ(edit.value(), 1.9);
  // No number: minValue truncated for the integer types, as is, also when it lies below 1.9.
  for (const char *text : {"abc", "", "99999999999999999999"}) {
    edit.setText(QString::fromLatin1(text));
    EXPECT_EQ(edit.value(), 1) << text;
  }
  edit.setValueType(TSpinEdit::vtFloat);
  edit.setText(QStringLiteral("abc"));
  EXPECT_EQ(edit.value(), 1.9);
}

TEST(SpinEdit, EnterInADialogReadsTheClampedValue) {
  QDialog dialog;
  auto *edit = new TSpinEdit(&dialog);
  edit->setMinValue(1);
  edit->setMaxValue(100);
  auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  double read = 0;
  QObject::connect(&dialog, &QDialog::accepted, [&] { read = edit->value(); });
  dialog.show();
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("500"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(read, 100);
}

TEST(SpinEdit, ValueTypeSwitchReadsWithTheOldTypeAndWritesWithTheNew) {
  TSpinEdit edit;
  edit.setValue(255);
  edit.setValueType(TSpinEdit::vtHex);
  EXPECT_EQ(edit.text(), QStringLiteral("FF"));
  edit.setValueType(TSpinEdit::vtFloat);
  EXPECT_EQ(edit.text(), QStringLiteral("255.00"));
  edit.setValue(1.5);
  edit.setIncrement(0.4);
  edit.setValueType(TSpinEdit::vtInteger);
  EXPECT_EQ(edit.text(), QStringLiteral("2"));
  EXPECT_EQ(edit.increment(), 1);
}

TEST(SpinEdit, FloatTextUsesTheProgramsDecimalSeparator) {
  FormatSettings comma;
  comma.decimalSeparator = u',';
  ScopedFormatSettings scoped(comma);
  BeepCounter beeps;
  TSpinEdit edit;
  edit.setValueType(TSpinEdit::vtFloat);
  edit.setValue(1);
  EXPECT_EQ(edit.text(), QStringLiteral("1,00"));
  EXPECT_FALSE(edit.acceptsChar(u','));
  edit.setText(QStringLiteral("2,5"));
  EXPECT_EQ(edit.value(), 2.5);
}

// Every way text gets into the box other than typing: each must pass the typing filter.
enum class PasteWay { CtrlV, ShiftIns, MenuPaste, Drop, MiddleClick };

class SpinEditPaste : public ::testing::TestWithParam<PasteWay> {
protected:
  static void paste(TSpinEdit &edit, const QString &text) {
    switch (GetParam()) {
    case PasteWay::CtrlV:
      QApplication::clipboard()->setText(text);
      QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
      break;
    case PasteWay::ShiftIns:
      QApplication::clipboard()->setText(text);
      QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
      break;
    case PasteWay::MenuPaste: {
      QApplication::clipboard()->setText(text);
      std::unique_ptr<QMenu> menu(edit.createEditMenu());
      for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String("edit-paste"))
          a->trigger();
      break;
    }
    case PasteWay::Drop: {
      QMimeData data;
      data.setText(text);
      QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      // Straight to the box: the application delivers drops only inside a real drag.
      static_cast<QObject &>(edit).event(&drop);
      break;
    }
    case PasteWay::MiddleClick:
      QApplication::clipboard()->setText(text, QClipboard::Selection);
      sendMouse(&edit, QEvent::MouseButtonPress, {2, 2}, Qt::MiddleButton, Qt::MiddleButton);
      sendMouse(&edit, QEvent::MouseButtonRelease, {2, 2}, Qt::MiddleButton, Qt::NoButton);
      break;
    }
  }
};

TEST_P(SpinEditPaste, PassesTheCharacterFilter) {
  if (GetParam() == PasteWay::MiddleClick && !QApplication::clipboard()->supportsSelection())
    GTEST_SKIP() << "this platform has no primary selection";
  BeepCounter beeps;
  TSpinEdit edit;
  edit.resize(80, 24);
  edit.show();
  edit.clear();
  paste(edit, QStringLiteral("1a2.b3\n"));
  EXPECT_EQ(edit.text(), QStringLiteral("123"));
  EXPECT_EQ(beeps.beeps(), 1);
  edit.setEditorEnabled(false);
  paste(edit, QStringLiteral("45"));
  EXPECT_EQ(edit.text(), QStringLiteral("123"));
}

INSTANTIATE_TEST_SUITE_P(AllWays, SpinEditPaste,
                         ::testing::Values(PasteWay::CtrlV, PasteWay::ShiftIns, PasteWay::MenuPaste,
                                           PasteWay::Drop, PasteWay::MiddleClick));

TEST(SpinEdit, StepAtTheBoundRaisesTheClickButNoChange) {
  BeepCounter beeps;
  TSpinEdit edit;
  edit.setMinValue(1);
  edit.setMaxValue(10);
  edit.setValue(10);
  QSignalSpy changed(&edit, &TSpinEdit::changed);
  QSignalSpy top(&edit, &TSpinEdit::topClick);
  edit.stepUp();
  EXPECT_EQ(edit.text(), QStringLiteral("10"));
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(top.count(), 1);
  edit.setModified(false);
  edit.stepDown();
  EXPECT_EQ(edit.text(), QStringLiteral("9"));
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(edit.isModified());
  edit.setReadOnly(true);
  edit.stepUp();
  EXPECT_EQ(beeps.beeps(), 1);
  EXPECT_EQ(top.count(), 1);
  EXPECT_EQ(edit.text(), QStringLiteral("9"));
}

namespace {

void fire(QTimer *timer) { QMetaObject::invokeMethod(timer, "timeout"); }

} // namespace

TEST(SpinButton, RepeatsAfter400ThenEvery100MsOnlyOverThePressedHalf) {
  TSpinEdit edit;
  edit.resize(80, 24);
  edit.show();
  TSpinButton *button = edit.spinButton();
  ASSERT_NE(button, nullptr);
  const QPoint up(2, 2), down(button->width() - 3, button->height() - 3);
  ASSERT_EQ(button->halfAt(up), TSpinButton::stUp);
  ASSERT_EQ(button->halfAt(down), TSpinButton::stDown);

  sendMouse(button, QEvent::MouseButtonPress, up, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(edit.text(), QStringLiteral("1"));
  QTimer *timer = button->repeatTimer();
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), TSpinButton::FirstRepeatMs);
  fire(timer);
  EXPECT_EQ(edit.text(), QStringLiteral("2"));
  EXPECT_EQ(timer->interval(), TSpinButton::RepeatMs);
  fire(timer);
  EXPECT_EQ(edit.text(), QStringLiteral("3"));
  // Over the other half the repeat pauses; back over the pressed half it resumes.
  sendMouse(button, QEvent::MouseMove, down, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(button->state(), TSpinButton::stNone);
  fire(timer);
  EXPECT_EQ(edit.text(), QStringLiteral("3"));
  sendMouse(button, QEvent::MouseMove, up, Qt::NoButton, Qt::LeftButton);
  fire(timer);
  EXPECT_EQ(edit.text(), QStringLiteral("4"));
  sendMouse(button, QEvent::MouseButtonRelease, up, Qt::LeftButton, Qt::NoButton);
  EXPECT_FALSE(timer->isActive());
  fire(timer);
  EXPECT_EQ(edit.text(), QStringLiteral("4"));
}

TEST(SpinButton, AHandlerThatThrowsDuringTheRepeatIsReportedAndStopsIt) {
  QStringList reported;
  const errors::ScopedExceptionHandler handler([&](const QString &text) { reported << text; });
  TSpinButton button;
  button.resize(20, 20);
  button.show();
  int clicks = 0;
  QObject::connect(&button, &TSpinButton::topClick, [&] {
    if (++clicks > 1)
      throw std::runtime_error("step failed");
  });
  sendMouse(&button, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
  fire(button.repeatTimer());
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(button.repeatTimer()->isActive());
  ASSERT_EQ(reported.size(), 1);
  EXPECT_TRUE(reported.front().contains(QStringLiteral("step failed")));
}
