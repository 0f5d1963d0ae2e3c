#include "ui/FormEditReminAfter.h"
#include "model/ReminderList.h"
#include "platform/Clock.h"
#include "tests/support/TestModel.h"
#include "ui/NoticeQueue.h"
#include "ui/PlaceNearPointer.h"
#include "ui/UserInterface.h"
#include "widgets/SpinEditUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

const TDateTime Now = EncodeDateTime(2024, 5, 6, 10, 20, 30, 400);

// A one-time reminder in a store whose file is not written yet.
class FormEditReminAfterTest : public ::testing::Test {
protected:
  FormEditReminAfterTest() {
    clock.set(Now);
    auto r = TDataObject::CreateEmpty(QStringLiteral("new"));
    number = r->Number;
    Reminders().Append(std::move(r));
  }
  TDataObject &reminder() { return *FindReminderByNumber(number); }
  // Runs the dialog through the program's user interface; `act` plays the user.
  bool runDialog(const std::function<void(TFormEditReminAfter &)> &act) {
    QTimer::singleShot(0, [&] {
      // The dialog runs in a local loop, modal to nothing: the stickers stay usable meanwhile.
      TFormEditReminAfter *form = nullptr;
      for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *f = qobject_cast<TFormEditReminAfter *>(w); f && f->isVisible())
          form = f;
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->windowModality(), Qt::NonModal);
      act(*form);
    });
    TNoticeQueue notices;
    TUserInterface ui(model.model, notices);
    return ui.RemindAfter(QStringLiteral("Close and remind in ..."), QPoint(40, 40), number);
  }

  ManualClock clock;
  ScopedClock useClock{clock};
  TestModel model{QStringLiteral("remind-after")};
  int32_t number = 0;
};

TEST_F(FormEditReminAfterTest, OkStoresTheWindowFromNowAndWritesTheFile) {
  reminder().remindAfter.value = {2, TMeasure::Hour};
  EXPECT_TRUE(runDialog([](TFormEditReminAfter &form) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Close and remind in ..."));
    auto *spin = form.findChild<TSpinEdit *>(QStringLiteral("SpinEditRemindAfter"));
    EXPECT_FALSE(spin->isEnabled());
    form.findChild<QCheckBox *>(QStringLiteral("CheckBoxRemindAfter"))->setChecked(true);
    EXPECT_TRUE(spin->isEnabled());
    spin->setValue(5);
    form.findChild<QComboBox *>(QStringLiteral("ComboBoxRemindAfter"))->setCurrentIndex(0);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("ButtonOk")), Qt::LeftButton);
  }));
  const TRemindAfterRec &after = reminder().remindAfter;
  EXPECT_TRUE(after.enable);
  EXPECT_EQ(after.value.value, 5);
  EXPECT_EQ(after.value.measure, TMeasure::Minute);
  EXPECT_EQ(after.dtStart, Now + 5 * OneMinute);
  EXPECT_EQ(after.dtStop, after.dtStart + OneSecond); // the duration is off
  EXPECT_TRUE(QFileInfo(model.file).size() > 0);
}

TEST_F(FormEditReminAfterTest, AnUnknownStoredUnitShowsAndStoresMinute) {
  reminder().remindAfter = {true, {3, static_cast<TMeasure>(9)}, {}, {}};
  EXPECT_TRUE(runDialog([](TFormEditReminAfter &form) {
    EXPECT_EQ(form.findChild<QComboBox *>(QStringLiteral("ComboBoxRemindAfter"))->currentText(),
              QStringLiteral("minute"));
    form.accept();
  }));
  EXPECT_EQ(reminder().remindAfter.value.measure, TMeasure::Minute);
  EXPECT_EQ(reminder().remindAfter.dtStart, Now + 3 * OneMinute);
}

TEST_F(FormEditReminAfterTest, AReminderGoneWhileTheDialogIsOpenIsNotWritten) {
  EXPECT_FALSE(runDialog([this](TFormEditReminAfter &form) {
    form.findChild<QCheckBox *>(QStringLiteral("CheckBoxRemindAfter"))->setChecked(true);
    (void)Reminders().Take(Reminders().IndexOf(&reminder()));
    form.accept();
  }));
  EXPECT_FALSE(QFileInfo::exists(model.file));
}

TEST_F(FormEditReminAfterTest, ADialogOpenedAtTheScreenCornerStaysOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  TFormEditReminAfter form(model.model);
  ASSERT_TRUE(form.Prepare(QString(), screen.bottomRight(), number));
  const int label =
      form.findChild<QLabel *>(QStringLiteral("LabelRemindAfter"))->sizeHint().height();
  EXPECT_TRUE(screen.contains(form.geometry()));
  EXPECT_LE(form.geometry().bottom() + 2 * label, screen.bottom());
  // Left of and above the screen, and larger than the screen: the corner stays on it.
  EXPECT_EQ(NearPointer({-50, -80}, {100, 50}, 10, screen), screen.topLeft());
  EXPECT_EQ(NearPointer({30, 30}, screen.size() * 2, 10, screen), screen.topLeft());
}

// It opens at the pointer, over the sticker whose menu asked for it; that sticker may be kept above
// other windows.
TEST_F(FormEditReminAfterTest, TheDialogIsKeptAboveTheStickerItOpensOver) {
  EXPECT_FALSE(runDialog([](TFormEditReminAfter &form) {
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    form.reject();
  }));
}

} // namespace
