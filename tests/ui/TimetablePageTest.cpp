#include "ui/TimetablePage.h"

#include "model/ReminderList.h"
#include "model/ScheduleText.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "ui/FormEditReminderDT.h"
#include "ui/FormEditReminderYear.h"
#include "ui/LinkLabel.h"
#include "ui/ScheduleRules.h"
#include "widgets/PictureGridControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

const QString Id = QStringLiteral("{0A1B2C3D-0000-0000-0000-000000000001}");

class TimetablePage : public ::testing::Test {
protected:
  TestModel model;
  ManualClock clock{EncodeDateTime(2025, 6, 2, 10, 0, 0, 0)}; // a Monday in a common year
  ScopedClock clockScope{clock};
  FormatSettings formats = [] {
    FormatSettings fs;
    fs.shortDateFormat = QStringLiteral("dd.mm.yy");
    fs.longTimeFormat = QStringLiteral("hh:nn:ss");
    return fs;
  }();
  ScopedFormatSettings formatScope{formats};
  FakePrompts prompts;
  ScopedUiPrompts promptScope{prompts};

  // A stored weekly reminder on Mondays and Sundays at 09:00, without bounds.
  TDataObject &addReminder() {
    auto r = TDataObject::CreateEmpty(Id);
    r->enable = true;
    r->repeat = {TRepeatType::Weekly, {1, TMeasure::Week}, {}, EncodeTime(9, 0, 0, 0), "(1)(7)"};
    r->startBound = {TStartBoundType::AfterDefinedTime, TDateTime()};
    r->remindBefore = {true, {2, TMeasure::Hour}};
    TDataObject &ref = *r;
    Reminders().Append(std::move(r));
    return ref;
  }
  template <class T> T *find(const QWidget &w, const char *name) {
    T *child = w.findChild<T *>(QLatin1String(name));
    EXPECT_TRUE(child) << name;
    return child;
  }
  QString nextRunShown(const TTimetablePage &page) {
    return find<LinkLabel>(page, "LabelNextRunDT")->text();
  }
};

} // namespace

TEST_F(TimetablePage, EachRepeatTypeShowsItsControlsAndStoresWhatTheyShow) {
  TDataObject &stored = addReminder();
  stored.repeat.dt = EncodeTime(9, 0, 30, 250);
  TTimetablePage page(model.model);
  page.LoadFromReminder(Id);
  EXPECT_EQ(page.findChild<TPictureGridControl *>("PictureGridControlWeekDays")->cell(0, 6), 1);

  const char *buttons[] = {"Once", "Minutely", "Hourly", "Daily", "Weekly", "Monthly", "Annually"};
  for (int type = 0; type < 7; ++type) {
    SCOPED_TRACE(buttons[type]);
    find<QRadioButton>(page, (QByteArray("RadioButtonRepeatType") + buttons[type]).constData())
        ->setChecked(true);
    const TScheduleLayout l = ScheduleLayout(type);
    EXPECT_EQ(!find<QWidget>(page, "DateTimePickerDate")->isHidden(), l.onceDateTime);
    EXPECT_EQ(!find<QWidget>(page, "SpinEditValue1")->isHidden(), l.every);
    EXPECT_EQ(!find<QWidget>(page, "SpinEditValue2")->isHidden(), l.value2);
    EXPECT_EQ(!find<QWidget>(page, "DateTimePickerTime2")->isHidden(), l.time2);
    EXPECT_EQ(!find<QWidget>(page, "GroupBoxWeekDays")->isHidden(), l.weekDays);
    EXPECT_EQ(!find<QWidget>(page, "GroupBoxMonthDays")->isHidden(), l.monthDays);
    EXPECT_EQ(!find<QWidget>(page, "LabelAfterValueYearDays")->isHidden(), l.yearDays);

    TDataObject saved(Id);
    saved.enable = true;
    saved.lastCloseByUserRemindBeforeDt = EncodeDate(2025, 6, 1);
    page.SaveToReminder(saved);
    EXPECT_EQ(int(saved.repeat.type), type);
    if (type != 0) {
      EXPECT_EQ(saved.repeat.value1.measure, Value1Measure(TRepeatType(type)));
      EXPECT_EQ(saved.repeat.value1.value, 1);
    }
    if (l.time2) { // seconds and milliseconds survive the time picker
      EXPECT_EQ(saved.repeat.dt, EncodeTime(9, 0, 30, 250));
    }
    EXPECT_EQ(saved.repeat.days, type == 4 ? "(1)(7)" : ""); // decision 2 for Annually
    EXPECT_EQ(saved.remindBefore.value.measure, TMeasure::Hour);
    EXPECT_EQ(saved.lastCloseByUserRemindBeforeDt, TDateTime()); // the type changed
  }

  // "Get current date/time" on Once: today, and now + 2 s with the seconds kept.
  find<QRadioButton>(page, "RadioButtonRepeatTypeOnce")->setChecked(true);
  clock.set(2025, 6, 2, 10, 15, 42, 0);
  page.ActionGetCurrentDTExecute();
  TDataObject once(Id);
  page.StoreSchedule(once);
  EXPECT_EQ(once.repeat.dt, EncodeDateTime(2025, 6, 2, 10, 15, 44, 0));
  EXPECT_EQ(nextRunShown(page), "02.06.25 10:15:44");
}

TEST_F(TimetablePage, CancelledBoundsLeaveThePreviewEqualToWhatIsSaved) {
  addReminder();
  TTimetablePage page(model.model);
  page.LoadFromReminder(Id);
  const QString stopLink = find<LinkLabel>(page, "LabelTimeStopBound")->text();
  const QString preview = nextRunShown(page);
  EXPECT_EQ(preview, "08.06.25 09:00:00"); // Sunday
  TFormEditReminderDT &dialog = page.BoundsDialog();
  auto *stopEnable = find<QCheckBox>(dialog, "CheckBoxStopBoundEnable");
  auto *stopKind = find<QComboBox>(dialog, "ComboBoxStopBound");

  // The user stops the schedule at midnight, then cancels.
  QTimer::singleShot(0, &dialog, [&] {
    stopEnable->setChecked(true);
    stopKind->setCurrentIndex(int(TStopBoundType::UntilMidnight));
    dialog.reject();
  });
  EXPECT_FALSE(page.ShowTimeBoundsDialog());
  EXPECT_FALSE(stopEnable->isChecked());
  EXPECT_EQ(stopKind->currentIndex(), 0);
  EXPECT_EQ(find<LinkLabel>(page, "LabelTimeStopBound")->text(), stopLink);
  page.UpdateNextRun();
  EXPECT_EQ(nextRunShown(page), preview);
  TDataObject saved(Id);
  saved.enable = true;
  page.SaveToReminder(saved);
  EXPECT_EQ(NextRunText(saved, clock.now()), preview);

  // Confirmed, the same change is shown, linked and saved.
  QTimer::singleShot(0, &dialog, [&] {
    stopEnable->setChecked(true);
    stopKind->setCurrentIndex(int(TStopBoundType::UntilDefinedDateTime));
    find<QDateEdit>(dialog, "DateTimePickerStopBoundDate")->setDate(QDate(2025, 6, 5));
    dialog.accept();
  });
  EXPECT_TRUE(page.ShowTimeBoundsDialog());
  EXPECT_EQ(find<LinkLabel>(page, "LabelTimeStopBound")->text(),
            StopBoundText(page.ScheduleCopy()->stopBound));
  EXPECT_EQ(nextRunShown(page), "Never occurs");
  page.SaveToReminder(saved);
  EXPECT_TRUE(saved.stopBound.enable);
  EXPECT_EQ(NextRunText(saved, clock.now()), "Never occurs");
}

// The editor's own preview copy carries the id of the reminder it edits, "new" for a new one;
// the next-run text must still see the run that saving fires at once.
TEST_F(TimetablePage, ANewReminderInsideItsRunWindowIsShownAsRunningNow) {
  model.model.SetNewReminderTemplate(TDataObject::CreateEmpty(NewReminderId));
  TDataObject &t = *NewReminderTemplate();
  t.enable = true;
  t.repeat.type = TRepeatType::Once;
  t.repeat.dt = clock.now() - 3 * OneSecond;
  t.startBound = {TStartBoundType::AfterDefinedDateTime, EncodeDate(2000, 1, 1)};
  t.duration = {true, {0, TMeasure::Hour}, {10, TMeasure::Minute}};
  SetPreviewReminder(TDataObject::CreateEmpty(NewReminderId));
  TTimetablePage page(model.model);
  page.LoadFromReminder(NewReminderId);
  EXPECT_EQ(nextRunShown(page), "now, until 10:09:57");

  // A stored reminder whose run in this window has fired already is not announced again.
  TDataObject &stored = addReminder();
  stored.repeat.days = "(1)"; // Mondays, 09:00; the clock says Monday 10:00
  stored.duration = {true, {2, TMeasure::Hour}, {0, TMeasure::Minute}};
  stored.remindBefore.enable = false;
  page.LoadFromReminder(Id);
  EXPECT_EQ(nextRunShown(page), "now, until 11:00:00");
  stored.LastRunDue = EncodeDateTime(2025, 6, 2, 9, 0, 0, 0);
  page.LoadFromReminder(Id);
  EXPECT_EQ(nextRunShown(page), "09.06.25 09:00:00");
  SetPreviewReminder(nullptr);
}

TEST_F(TimetablePage, YearDialogNumbersDaysInItsYearAndCancelRestoresTheGrid) {
  TDataObject &stored = addReminder();
  stored.repeat.type = TRepeatType::Annually;
  stored.repeat.days = "(60)(365)";
  TFormEditReminderYear dialog(model.model);
  dialog.LoadReminder(Id);
  EXPECT_EQ(dialog.Year(), 2025);
  EXPECT_TRUE(find<QTabWidget>(dialog, "PageControl1")->tabText(0).endsWith(" (2025/2026)"));
  TPictureGridControl *grid = dialog.Grid();
  EXPECT_EQ(grid->cell(0, 2), 1);   // 1 March
  EXPECT_EQ(grid->cell(30, 11), 1); // 31 December
  grid->setCell(28, 1, 1);          // 29 February: no such day in 2025, never stored
  grid->setCell(0, 0, 1);
  EXPECT_EQ(dialog.YearDays(), "(1)(60)(365)");
  dialog.reject();
  EXPECT_EQ(grid->cell(0, 0), 0);
  EXPECT_EQ(grid->cell(0, 2), 1);
  EXPECT_FALSE(dialog.Confirmed());

  grid->setCell(0, 0, 1);
  dialog.accept();
  EXPECT_TRUE(dialog.Confirmed());
  TDataObject weekly(Id);
  weekly.repeat.type = TRepeatType::Weekly;
  weekly.repeat.days = "(1)";
  dialog.StoreYearDays(weekly); // only an annual reminder takes days of the year
  EXPECT_EQ(weekly.repeat.days, "(1)");
  weekly.repeat.type = TRepeatType::Annually;
  dialog.StoreYearDays(weekly);
  EXPECT_EQ(weekly.repeat.days, "(1)(60)(365)");
}

TEST_F(TimetablePage, UnknownCodesSelectTheFirstEntryAndUnknownIdsChangeNothing) {
  TDataObject &stored = addReminder();
  stored.remindBefore.value.measure = TMeasure(9);
  stored.startBound.type = TStartBoundType(7);
  stored.stopBound = {true, TStopBoundType(12), TDateTime(), {5, TMeasure(200)}};
  TTimetablePage page(model.model);
  page.LoadFromReminder(Id);
  TDataObject saved(Id);
  saved.stopBound.value = {5, TMeasure::Hour};
  page.SaveToReminder(saved);
  EXPECT_EQ(saved.remindBefore.value.measure, TMeasure::Minute);
  page.BoundsDialog().accept();
  page.SaveToReminder(saved);
  EXPECT_EQ(saved.startBound.type, TStartBoundType::AfterDefinedTime);
  EXPECT_EQ(saved.stopBound.type, TStopBoundType::UntilDefinedTime);
  EXPECT_EQ(saved.stopBound.value.value, 5); // kept: the kind has no length

  TTimetablePage other(model.model);
  other.LoadFromReminder(QStringLiteral("{no such reminder}"));
  other.BoundsDialog().accept();
  other.YearDialog().accept();
  TDataObject untouched(Id);
  untouched.repeat.days = "(3)";
  untouched.repeat.type = TRepeatType::Annually;
  other.YearDialog().StoreYearDays(untouched);
  EXPECT_EQ(untouched.repeat.days, "");
}

// A new reminder's time is "now" with its milliseconds; the picker shows whole seconds only.
TEST_F(TimetablePage, ATimeTheUserSetsIsTheSecondShownWithoutHiddenMilliseconds) {
  TDataObject &stored = addReminder();
  stored.repeat = {
      TRepeatType::Once, {1, TMeasure::Minute}, {}, EncodeDateTime(2025, 6, 2, 9, 0, 30, 250), ""};
  TTimetablePage page(model.model);
  page.LoadFromReminder(Id);
  auto *time = find<QTimeEdit>(page, "DateTimePickerTime");
  TDataObject untouched(Id);
  page.StoreSchedule(untouched);
  EXPECT_EQ(untouched.repeat.dt, EncodeDateTime(2025, 6, 2, 9, 0, 30, 250));

  time->setFocus();
  time->setCurrentSection(QDateTimeEdit::HourSection);
  QTest::keyClick(time, Qt::Key_Up); // as the user steps or types the hour
  TDataObject typed(Id);
  page.StoreSchedule(typed);
  EXPECT_EQ(typed.repeat.dt, EncodeDateTime(2025, 6, 2, 10, 0, 30, 0));
  EXPECT_EQ(nextRunShown(page), "02.06.25 10:00:30");

  clock.set(2025, 6, 2, 10, 15, 42, 600);
  page.ActionGetCurrentDTExecute();
  TDataObject current(Id);
  page.StoreSchedule(current);
  EXPECT_EQ(current.repeat.dt, EncodeDateTime(2025, 6, 2, 10, 15, 44, 0));
}
