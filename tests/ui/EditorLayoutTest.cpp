// The timetable page and its dialogs as a user sees them: the page keeps its size whatever the
// repeat type, its groups keep their own heights, and the time-bounds lists show their captions
// whole.
#include "model/ReminderList.h"
#include "tests/support/TestModel.h"
#include "ui/FormEditReminderDT.h"
#include "ui/TimetablePage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

const char *const TypeButtons[] = {"RadioButtonRepeatTypeOnce",    "RadioButtonRepeatTypeMinutely",
                                   "RadioButtonRepeatTypeHourly",  "RadioButtonRepeatTypeDaily",
                                   "RadioButtonRepeatTypeWeekly",  "RadioButtonRepeatTypeMonthly",
                                   "RadioButtonRepeatTypeAnnually"};

} // namespace

TEST(EditorLayout, TheTimetableKeepsItsSizeWhateverTheRepeatType) {
  TestModel model;
  TTimetablePage page(model.model);
  page.LoadFromReminder(QStringLiteral("new"));
  page.show();
  QSize first;
  for (const char *name : TypeButtons) {
    SCOPED_TRACE(name);
    page.findChild<QRadioButton *>(QLatin1String(name))->setChecked(true);
    QCoreApplication::processEvents();
    const QSize size = page.minimumSizeHint().expandedTo(page.sizeHint());
    if (first.isEmpty())
      first = size;
    EXPECT_EQ(size, first);
  }
}

TEST(EditorLayout, TheTypeGroupHasNoEmptyBandsOnATallPage) {
  TestModel model;
  TTimetablePage page(model.model);
  page.LoadFromReminder(QStringLiteral("new"));
  page.findChild<QRadioButton *>(QLatin1String(TypeButtons[0]))->setChecked(true);
  page.resize(559, 620);
  page.show();
  QCoreApplication::processEvents();
  for (const char *name : {"GroupBoxType", "GroupBoxTimeBounds", "GroupBoxDuration"}) {
    const auto *group = page.findChild<QGroupBox *>(QLatin1String(name));
    ASSERT_TRUE(group) << name;
    EXPECT_EQ(group->height(), group->sizeHint().height()) << name;
  }
}

TEST(EditorLayout, TheTimeBoundsListsShowTheirLongestCaptionWholeAtAnySize) {
  TestModel model;
  // A new reminder's bounds: from a time of today, no stop; only two time pickers show.
  model.model.SetNewReminderTemplate(TDataObject::CreateEmpty(NewReminderId));
  NewReminderTemplate()->SetDefaultSchedule(TRepeatType::Hourly);
  TFormEditReminderDT dialog(model.model);
  dialog.LoadReminder(QStringLiteral("new"));
  dialog.show();
  // As small as the dialog can be made.
  dialog.resize(dialog.minimumSizeHint());
  QCoreApplication::processEvents();
  for (const char *name : {"ComboBoxStartBound", "ComboBoxStopBound"}) {
    const auto *list = dialog.findChild<QComboBox *>(QLatin1String(name));
    ASSERT_TRUE(list) << name;
    int widest = 0;
    for (int i = 0; i < list->count(); ++i)
      widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
    ASSERT_GT(widest, 0) << name;
    // The size Qt gives a list to show its longest item whole (the text, the frame, the arrow).
    EXPECT_GE(list->width(), list->sizeHint().width()) << name;
    EXPECT_GE(list->width(), widest + 20) << name;
  }
}
