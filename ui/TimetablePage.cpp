#include "ui/TimetablePage.h"

#include "model/Model.h"
#include "ui_TimetablePage.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/ReminderList.h"
#include "model/Schedule.h"
#include "model/ScheduleText.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "ui/ActionButton.h"
#include "ui/DateTimePickers.h"
#include "ui/FormEditReminder.h"
#include "ui/FormEditReminderDT.h"
#include "ui/FormEditReminderYear.h"
#include "ui/QtPrompts.h"
#include "ui/ScheduleRules.h"
#include "ui/UiPrompts.h"
#include "widgets/GridLabels.h"

#include <QButtonGroup>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int CellSize = 16;
constexpr int WeekDays = 7;
constexpr int MonthDays = 31;
constexpr int RemindBeforeMaximum = 100;

// A spin edit's value as a whole number, truncated, within limits an int holds.
int SpinInt(const TSpinEdit *spin, int low = -1'000'000, int high = 1'000'000) {
  const double v = spin->value();
  if (!(v >= low))
    return low;
  return int(std::trunc(std::min(v, double(high))));
}

} // namespace

TTimetablePage::TTimetablePage(TModel &model, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TimetablePage>()), m_model(model) {
  ui->setupUi(this);
  m_types = new QButtonGroup(this);
  const std::array<QRadioButton *, 7> types = {
      ui->RadioButtonRepeatTypeOnce,    ui->RadioButtonRepeatTypeMinutely,
      ui->RadioButtonRepeatTypeHourly,  ui->RadioButtonRepeatTypeDaily,
      ui->RadioButtonRepeatTypeWeekly,  ui->RadioButtonRepeatTypeMonthly,
      ui->RadioButtonRepeatTypeAnnually};
  for (int i = 0; i < int(types.size()); ++i)
    m_types->addButton(types[std::size_t(i)], i);
  m_monthGrids = {ui->PictureGridControlMonthDays1, ui->PictureGridControlMonthDays2,
                  ui->PictureGridControlMonthDays3};

  ui->PictureGridControlWeekDays->setColumnCount(1);
  ui->PictureGridControlWeekDays->setRowCount(WeekDays);
  for (int g = 0; g < 3; ++g) {
    m_monthGrids[std::size_t(g)]->setColumnCount(g == 2 ? 11 : 10);
    m_monthGrids[std::size_t(g)]->setRowCount(1);
  }
  // A month cell is as wide as "31" needs with room on either side, so that the numbers over
  // neighbouring cells never run together; the week's rows are as high as a line of text.
  const QFontMetrics metrics(font());
  const int monthCell = std::max(CellSize, metrics.horizontalAdvance(QStringLiteral("31")) + 5);
  const int weekRow = std::max(CellSize, metrics.height() + 2);
  ui->PictureGridControlWeekDays->setFixedSize(CellSize, WeekDays * weekRow);
  for (TPictureGridControl *grid : m_monthGrids)
    grid->setFixedSize(grid->columnCount() * monthCell, monthCell);
  for (TPictureGridControl *grid :
       {ui->PictureGridControlWeekDays, m_monthGrids[0], m_monthGrids[1], m_monthGrids[2]}) {
    grid->useDayPictures();
    grid->setGridEnabled(true);
  }
  for (QTimeEdit *t : {ui->DateTimePickerTime, ui->DateTimePickerTime2})
    SetUpTimePicker(t);
  SetUpDatePicker(ui->DateTimePickerDate);
  ui->SpinEditValue1->setMinValue(1);
  ui->SpinEditValue1->setMaxValue(1);
  ui->SpinEditValue2->setMaxValue(59);
  ui->SpinEditDurationValue1->setMaxValue(23);
  ui->SpinEditDurationValue2->setMaxValue(59);
  ui->SpinEditRemindBefore->setMinValue(1);
  ui->SpinEditRemindBefore->setMaxValue(RemindBeforeMaximum);
  ui->SpinEditRemindBefore->setValue(1);
  BindButtonToAction(ui->ButtonGetCurrentDT, ui->ActionGetCurrentDT);
  // The value line is as high as its highest control, whichever of them the type shows.
  int lineHeight = 0;
  for (int i = 0; i < ui->LayoutValueLine->count(); ++i)
    if (const QWidget *w = ui->LayoutValueLine->itemAt(i)->widget())
      lineHeight = std::max(lineHeight, w->sizeHint().height());
  ui->LayoutValueLine->addStrut(lineHeight);
  buildDayLabels();

  m_boundsDialog = new TFormEditReminderDT(m_model, this);
  m_yearDialog = new TFormEditReminderYear(m_model, this);
  m_timerPerSec = new QTimer(this);
  m_timerPerSec->setObjectName(QStringLiteral("TimerPerSec"));
  m_timerPerSec->setInterval(1000);
  connect(m_timerPerSec, &QTimer::timeout, this, [this] { UpdateNextRun(); });
  connectControls();
  UpdateScheduleControls();
}

TTimetablePage::~TTimetablePage() = default;

// The week days' names beside their rows and the day numbers over the month grids' columns.
void TTimetablePage::buildDayLabels() {
  m_weekLabels =
      new TGridLabels(ui->PictureGridControlWeekDays, Qt::Vertical, ui->GroupBoxWeekDays);
  ui->LayoutWeekDays->addWidget(m_weekLabels, 0, 0);
  ui->LayoutWeekDays->setRowStretch(1, 1);
  ui->LayoutWeekDays->setColumnStretch(2, 1); // the names stay next to their rows
  for (int g = 0; g < 3; ++g) {
    TPictureGridControl *grid = m_monthGrids[std::size_t(g)];
    auto *numbers = new TGridLabels(grid, Qt::Horizontal, ui->GroupBoxMonthDays);
    QStringList texts;
    for (int c = 0; c < grid->columnCount(); ++c)
      texts << QString::number(g * 10 + c + 1);
    numbers->setTexts(texts);
    ui->LayoutMonthDays->addWidget(numbers, g * 2, 0);
  }
  ui->LayoutMonthDays->setRowStretch(6, 1);
  ui->LayoutMonthDays->setColumnStretch(1, 1);
}

void TTimetablePage::connectControls() {
  connect(m_types, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (!checked)
      return;
    UpdateScheduleControls();
    markRemindBeforeChanged();
    setModified();
  });
  for (QCheckBox *box :
       {ui->CheckBoxDurationEnable, ui->CheckBoxRemindAfter, ui->CheckBoxRemindBefore})
    connect(box, &QCheckBox::toggled, this, [this] { optionToggled(); });
  // A drop-down list reports only the user's choices, as filling it must not count as a change.
  connect(ui->ComboBoxRemindBefore, &QComboBox::activated, this, [this] {
    markRemindBeforeChanged();
    setModified();
  });
  connect(ui->SpinEditRemindBefore, &TSpinEdit::changed, this, [this] {
    markRemindBeforeChanged();
    setModified();
  });
  for (TSpinEdit *spin : {ui->SpinEditValue1, ui->SpinEditValue2})
    connect(spin, &TSpinEdit::changed, this, [this] { valueChanged(); });
  for (TSpinEdit *spin : {ui->SpinEditDurationValue1, ui->SpinEditDurationValue2})
    connect(spin, &TSpinEdit::changed, this, [this] { setModified(); });
  for (QTimeEdit *picker : {ui->DateTimePickerTime, ui->DateTimePickerTime2})
    connect(picker, &QDateTimeEdit::dateTimeChanged, this, [this, picker] {
      // A time the user sets is the one the picker shows. The milliseconds of the time it held
      // (a new reminder's "now") would otherwise stay, unseen, and the reminder would fire up to
      // a second after the second shown. A stored time that nobody touches keeps them.
      if (const QTime t = picker->time(); !m_loading && t.msec() != 0) {
        picker->setTime(QTime(t.hour(), t.minute(), t.second())); // comes back here
        return;
      }
      pickerOrGridChanged();
    });
  connect(ui->DateTimePickerDate, &QDateTimeEdit::dateTimeChanged, this,
          [this] { pickerOrGridChanged(); });
  for (TPictureGridControl *grid :
       {ui->PictureGridControlWeekDays, m_monthGrids[0], m_monthGrids[1], m_monthGrids[2]})
    connect(grid, &TPictureGridControl::changed, this, [this] { pickerOrGridChanged(); });
  for (LinkLabel *link : {ui->LabelTimeStartBound, ui->LabelTimeStopBound})
    connect(link, &LinkLabel::clicked, this, [this] { (void)ShowTimeBoundsDialog(); });
  connect(ui->LabelAfterValueYearDays, &LinkLabel::clicked, this, [this] {
    (void)ShowYearDaysDialog(tabCaption() + QStringLiteral(" (") +
                             ui->LabelAfterValueYearDays->text() + QLatin1Char(')'));
  });
  connect(ui->LabelNextRunDT, &LinkLabel::clicked, this, [this] { ShowNextDatesOfRun(); });
  connect(ui->ActionGetCurrentDT, &QAction::triggered, this,
          [this] { ActionGetCurrentDTExecute(); });
}

// --- Loading and saving
// ---------------------------------------------------------------------------

void TTimetablePage::translateLists() {
  for (int i = 0; i < int(RepeatTypeNames.size()); ++i)
    m_types->button(i)->setText(
        TranslateText(QString::fromLatin1(RepeatTypeNames[std::size_t(i)])));
  ui->ComboBoxRemindBefore->clear();
  for (const char *name : MeasureNames)
    ui->ComboBoxRemindBefore->addItem(TranslateText(QString::fromLatin1(name)));
  // Rows run Monday .. Sunday; the names are kept Sunday first.
  QStringList days;
  for (int d = 0; d < WeekDays; ++d)
    days << formatSettings().longDayNames[std::size_t((d + 1) % WeekDays)];
  m_weekLabels->setTexts(days);
}

void TTimetablePage::LoadFromReminder(const QString &id) {
  m_loading = true;
  UpdateNextRun();
  translateLists();
  if (const TDataObject *reminder =
          id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(id))
    LoadSchedule(*reminder);
  m_boundsDialog->LoadReminder(id);
  m_yearDialog->LoadReminder(id);
  UpdateScheduleControls();
  m_loading = false;
  UpdateNextRun();
}

void TTimetablePage::LoadSchedule(const TDataObject &reminder) {
  const TMainRepeatRec &repeat = reminder.repeat;
  m_loadedRepeat = repeat;
  m_loadedStart = reminder.startBound;
  m_loadedStop = reminder.stopBound;
  m_loadedRemindAfter = reminder.remindAfter;
  m_loadedGuards = {reminder.LastRunDue, reminder.lastCloseByUserDt};
  m_enabled = reminder.enable;
  // The type first: its visibility and limits hold before the values arrive.
  tickRepeatType(int(repeat.type));
  SetPickerTime(ui->DateTimePickerTime, repeat.dt);
  SetPickerDate(ui->DateTimePickerDate,
                DayNumber(repeat.dt) == 0 ? currentClock().today() : repeat.dt);
  ui->SpinEditValue1->setValue(ClampValue1(repeatType(), repeat.value1.value));
  ui->SpinEditValue2->setValue(std::clamp(repeat.value2.value, 0, 59));
  SetPickerTime(ui->DateTimePickerTime2, repeat.dt);
  const TDaySet days = ParseDayList(repeat.days);
  if (repeat.type == TRepeatType::Weekly)
    for (int d = 1; d <= WeekDays; ++d)
      ui->PictureGridControlWeekDays->setCell(0, d - 1, days.test(std::size_t(d)) ? 1 : 0);
  if (repeat.type == TRepeatType::Monthly)
    for (int d = 1; d <= MonthDays; ++d) {
      const TMonthCell cell = MonthDayCell(d);
      m_monthGrids[std::size_t(cell.grid)]->setCell(cell.column, 0,
                                                    days.test(std::size_t(d)) ? 1 : 0);
    }
  ui->CheckBoxDurationEnable->setChecked(reminder.duration.enable);
  ui->SpinEditDurationValue1->setValue(reminder.duration.value1.value);
  ui->SpinEditDurationValue2->setValue(reminder.duration.value2.value);
  ui->LabelTimeStartBound->setText(StartBoundText(reminder.startBound));
  ui->LabelTimeStopBound->setText(StopBoundText(reminder.stopBound));
  ui->CheckBoxRemindBefore->setChecked(reminder.remindBefore.enable);
  ui->SpinEditRemindBefore->setValue(
      std::clamp(reminder.remindBefore.value.value, 1, RemindBeforeMaximum));
  SelectListCode(*ui->ComboBoxRemindBefore, int(reminder.remindBefore.value.measure));
  m_remindBeforeChanged = false;
  ui->CheckBoxRemindAfter->setChecked(reminder.remindAfter.enable);
  ui->LabelRemindAfterDT->setText(DateTimeToStr(reminder.remindAfter.dtStart));
  ui->GroupBoxremindAfter->setVisible(reminder.remindAfter.enable);
}

TRepeatControls TTimetablePage::repeatControls() const {
  TRepeatControls c;
  c.type = repeatType();
  c.value1 = ClampValue1(c.type, ui->SpinEditValue1->value());
  c.value2 = SpinInt(ui->SpinEditValue2, 0, 59);
  c.onceDate = PickerDate(ui->DateTimePickerDate);
  c.onceTime = PickerTime(ui->DateTimePickerTime);
  c.time2 = PickerTime(ui->DateTimePickerTime2);
  for (int d = 1; d <= WeekDays; ++d)
    c.weekDays.set(std::size_t(d), ui->PictureGridControlWeekDays->cell(0, d - 1) == 1);
  for (int d = 1; d <= MonthDays; ++d) {
    const TMonthCell cell = MonthDayCell(d);
    c.monthDays.set(std::size_t(d),
                    m_monthGrids[std::size_t(cell.grid)]->cell(cell.column, 0) == 1);
  }
  c.loadedType = int(m_loadedRepeat.type);
  if (m_yearDialog->Confirmed())
    c.yearDays = m_yearDialog->YearDays();
  return c;
}

void TTimetablePage::StoreSchedule(TDataObject &reminder) const {
  StoreRepeat(repeatControls(), reminder.repeat);
  reminder.duration = {ui->CheckBoxDurationEnable->isChecked(),
                       {SpinInt(ui->SpinEditDurationValue1), TMeasure::Hour},
                       {SpinInt(ui->SpinEditDurationValue2), TMeasure::Minute}};
  reminder.remindBefore = {ui->CheckBoxRemindBefore->isChecked(),
                           {SpinInt(ui->SpinEditRemindBefore),
                            TMeasure(std::max(0, ui->ComboBoxRemindBefore->currentIndex()))}};
  // A changed warning may come again for an occurrence whose warning the user already closed.
  if (m_remindBeforeChanged)
    reminder.lastCloseByUserRemindBeforeDt = TDateTime();
  // Saving can drop a pending remind-again, never create one.
  reminder.remindAfter.enable = ui->CheckBoxRemindAfter->isChecked() && reminder.enable;
}

void TTimetablePage::storeAll(TDataObject &reminder) const {
  StoreSchedule(reminder);
  if (m_boundsDialog->Confirmed())
    m_boundsDialog->StoreBounds(reminder);
}

std::unique_ptr<TDataObject> TTimetablePage::ScheduleCopy() const {
  // An id of its own: with the edited reminder's id (or "new") the copy would count as the one
  // open in the editor, which never fires, and a run firing at once on Ok would not show.
  auto copy = TDataObject::CreateEmpty(QStringLiteral("schedule preview"));
  copy->enable = m_enabled;
  copy->repeat = m_loadedRepeat;
  copy->startBound = m_loadedStart;
  copy->stopBound = m_loadedStop;
  copy->remindAfter = m_loadedRemindAfter;
  // A run that fired or was closed already does not fire again on Ok.
  copy->LastRunDue = m_loadedGuards.lastRunDue;
  copy->lastCloseByUserDt = m_loadedGuards.lastCloseByUser;
  storeAll(*copy);
  return copy;
}

// --- Keeping the page consistent ----------------------------------------------------------------

int TTimetablePage::repeatType() const { return m_types->checkedId(); }

void TTimetablePage::tickRepeatType(int type) {
  if (QAbstractButton *button = m_types->button(type)) {
    button->setChecked(true);
  } else {
    // A type outside the list ticks none; Qt refuses to untick an exclusive group's last button.
    m_types->setExclusive(false);
    for (QAbstractButton *b : m_types->buttons())
      b->setChecked(false);
    m_types->setExclusive(true);
  }
  UpdateScheduleControls();
}

void TTimetablePage::UpdateScheduleControls() {
  const int type = repeatType();
  const TScheduleLayout l = ScheduleLayout(type);
  for (QWidget *w : {static_cast<QWidget *>(ui->LabelAt), static_cast<QWidget *>(ui->LabelOn),
                     static_cast<QWidget *>(ui->DateTimePickerTime),
                     static_cast<QWidget *>(ui->DateTimePickerDate)})
    w->setVisible(l.onceDateTime);
  for (QWidget *w :
       {static_cast<QWidget *>(ui->LabelEvery), static_cast<QWidget *>(ui->SpinEditValue1),
        static_cast<QWidget *>(ui->LabelAfterValue1)})
    w->setVisible(l.every);
  ui->SpinEditValue2->setVisible(l.value2);
  ui->DateTimePickerTime2->setVisible(l.time2);
  ui->LabelAt2->setVisible(l.afterTime);
  ui->LabelAfterValue2->setVisible(l.afterTime);
  // The day grids share one place, as large as the largest of them: the page keeps its size
  // whatever the type.
  ui->StackedWidgetDays->setCurrentWidget(l.weekDays ? static_cast<QWidget *>(ui->GroupBoxWeekDays)
                                          : l.monthDays ? ui->GroupBoxMonthDays
                                                        : ui->PageNoDays);
  ui->LabelAfterValueYearDays->setVisible(l.yearDays);
  ui->SpinEditValue1->setMaxValue(l.value1Maximum);
  // With minimum = maximum the spin edit holds no bounds of its own.
  if (ui->SpinEditValue1->value() > l.value1Maximum)
    ui->SpinEditValue1->setValue(l.value1Maximum);
  const bool duration = ui->CheckBoxDurationEnable->isChecked();
  const bool hours = duration && type != int(TRepeatType::Minutely);
  ui->SpinEditDurationValue1->setEnabled(hours);
  ui->LabelDuration1->setEnabled(hours);
  ui->SpinEditDurationValue2->setEnabled(duration);
  ui->LabelDuration2->setEnabled(duration);
  ui->ActionGetCurrentDT->setVisible(l.anyPicker());
  LimitDuration();
  UpdateRemindBeforeControls();
  UpdateIntervalTexts();
  UpdateNextRun();
}

void TTimetablePage::LimitDuration() {
  const int hours = SpinInt(ui->SpinEditDurationValue1);
  const int minutes = SpinInt(ui->SpinEditDurationValue2);
  const TDurationLimits l = ::LimitDuration(repeatType(), ui->CheckBoxDurationEnable->isChecked(),
                                            SpinInt(ui->SpinEditValue1), hours, minutes);
  ui->SpinEditDurationValue1->setMaxValue(l.hoursMaximum);
  ui->SpinEditDurationValue2->setMaxValue(l.minutesMaximum);
  if (l.hours != hours || l.minutes != minutes) {
    ui->SpinEditDurationValue1->setValue(l.hours);
    ui->SpinEditDurationValue2->setValue(l.minutes);
  }
}

void TTimetablePage::UpdateIntervalTexts() {
  const int type = repeatType();
  ui->LabelAfterValue1->setText(
      MeasureUnitText({int(std::lround(std::clamp(ui->SpinEditValue1->value(), 0.0, 1e6))),
                       Value1Measure(TRepeatType(type))}));
  // The language file pads group captions with blanks; the sentence must not show them.
  QString after;
  if (type == int(TRepeatType::Hourly))
    after = MeasureUnitText({SpinInt(ui->SpinEditValue2, 0, 59), TMeasure::Minute});
  else if (type == int(TRepeatType::Weekly))
    after = TranslateText(QStringLiteral("on the")) + QLatin1Char(' ') +
            ui->GroupBoxWeekDays->title().trimmed();
  else if (type == int(TRepeatType::Monthly))
    after = TranslateText(QStringLiteral("on the")) + QLatin1Char(' ') +
            ui->GroupBoxMonthDays->title().trimmed();
  ui->LabelAfterValue2->setText(after);
}

void TTimetablePage::UpdateRemindBeforeControls() {
  const bool on = ui->CheckBoxRemindBefore->isChecked();
  ui->LabelRemindBefore->setEnabled(on);
  ui->SpinEditRemindBefore->setEnabled(on);
  ui->ComboBoxRemindBefore->setEnabled(on);
}

void TTimetablePage::UpdateNextRun() {
  QString text;
  if (m_loading)
    text = TranslateText(QStringLiteral("Loading..."));
  else if (!m_enabled)
    text = TranslateText(QStringLiteral("Reminder disabled"));
  else if (!ui->GroupBoxremindAfter->isHidden())
    // A pending remind-again is what comes next, as long as it stays ticked.
    text = ui->CheckBoxRemindAfter->isChecked() ? ui->LabelRemindAfterDT->text()
                                                : TranslateText(QStringLiteral("Never occurs"));
  else
    text = NextRunText(*ScheduleCopy(), currentClock().now());
  ui->LabelNextRunDT->setText(text);
}

// --- Change handlers
// ------------------------------------------------------------------------------

void TTimetablePage::EnabledChanged(bool enabled) {
  m_enabled = enabled;
  UpdateScheduleControls();
  markRemindBeforeChanged();
}

void TTimetablePage::optionToggled() {
  UpdateScheduleControls();
  markRemindBeforeChanged();
  setModified();
}

void TTimetablePage::valueChanged() {
  if (ui->SpinEditValue1->value() < 1)
    ui->SpinEditValue1->setValue(1);
  const double value2 = ui->SpinEditValue2->value();
  if (value2 < 0 || value2 > 59)
    ui->SpinEditValue2->setValue(std::clamp(value2, 0.0, 59.0));
  UpdateIntervalTexts();
  LimitDuration();
  UpdateNextRun();
  UpdateRemindBeforeControls();
  setModified();
}

void TTimetablePage::pickerOrGridChanged() {
  for (TPictureGridControl *grid :
       {ui->PictureGridControlWeekDays, m_monthGrids[0], m_monthGrids[1], m_monthGrids[2]})
    grid->update();
  UpdateNextRun();
  setModified();
}

void TTimetablePage::markRemindBeforeChanged() {
  if (!m_loading)
    m_remindBeforeChanged = true;
}

void TTimetablePage::setModified() {
  if (TFormEditReminder *editor = TFormEditReminder::Current(); editor && !m_loading)
    editor->SetModified();
}

bool TTimetablePage::ShowTimeBoundsDialog() {
  if (RunDialog(m_boundsDialog) != QDialog::Accepted)
    return false;
  ui->LabelTimeStartBound->setText(m_boundsDialog->GetStartBoundText());
  ui->LabelTimeStopBound->setText(m_boundsDialog->GetStopBoundText());
  UpdateNextRun();
  setModified();
  return true;
}

bool TTimetablePage::ShowYearDaysDialog(const QString &caption) {
  m_yearDialog->setWindowTitle(caption);
  if (RunDialog(m_yearDialog) != QDialog::Accepted)
    return false;
  UpdateNextRun();
  setModified();
  return true;
}

void TTimetablePage::ActionGetCurrentDTExecute() {
  const TDateTime now = currentClock().now();
  if (!ui->DateTimePickerDate->isHidden())
    SetPickerDate(ui->DateTimePickerDate, DateOf(now));
  if (!ui->DateTimePickerTime->isHidden())
    SetPickerTime(ui->DateTimePickerTime, now + 2 * OneSecond);
  if (!ui->DateTimePickerTime2->isHidden())
    SetPickerTime(ui->DateTimePickerTime2, now);
  UpdateNextRun();
}

void TTimetablePage::ShowNextDatesOfRun() {
  uiPrompts().notice(NextDatesOfRunText(*ScheduleCopy(), currentClock().now()));
}

// The caption of the editor's tab the page sits on.
QString TTimetablePage::tabCaption() const {
  for (const QWidget *w = this; w && w->parentWidget(); w = w->parentWidget())
    if (qobject_cast<const QStackedWidget *>(w->parentWidget()))
      if (auto *tabs = qobject_cast<const QTabWidget *>(w->parentWidget()->parentWidget()))
        return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(w)));
  return TranslateText(QStringLiteral("Timetable"));
}

void TTimetablePage::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  UpdateNextRun();
  m_timerPerSec->start();
}

void TTimetablePage::hideEvent(QHideEvent *event) {
  m_timerPerSec->stop();
  QWidget::hideEvent(event);
}
