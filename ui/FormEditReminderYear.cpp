#include "ui/FormEditReminderYear.h"

#include "model/Model.h"
#include "ui_FormEditReminderYear.h"

#include "model/DataObject.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Schedule.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "ui/ActionButton.h"
#include "ui/HubForm.h"
#include "ui/ReportErrors.h"
#include "ui/ScheduleRules.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/GridLabels.h"
#include "widgets/PictureGridControl.h"
#include "widgets/SpeedButtons.h"

#include <QGridLayout>

TFormEditReminderYear::TFormEditReminderYear(TModel &model, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FormEditReminderYear>()), m_model(model) {
  ui->setupUi(this);
  m_hub = new THubForm(this, m_model);
  TPictureGridControl *grid = ui->PictureGridControlYearDays;
  grid->useDayPictures();
  grid->setColumnCount(Days);
  grid->setRowCount(Months);
  grid->setMinimumSize(Days * 18, Months * 18);
  grid->setGridEnabled(true);
  grid->setShowHint(true);
  grid->onDataStateHint = [this](int column, int row, int32_t) {
    return YearDayHint(m_year, column, row);
  };
  connect(grid, &TPictureGridControl::changed, grid, qOverload<>(&QWidget::update));
  buildLabels();
  BindButtonToAction(ui->ButtonOk, ui->ActionOk);
  BindButtonToAction(ui->ButtonCancel, ui->ActionCancel);
  connect(ui->ActionOk, &QAction::triggered, this, &QDialog::accept);
  connect(ui->ActionCancel, &QAction::triggered, this, &QDialog::reject);
  connect(ui->ButtonMakeLng, &QPushButton::clicked, this,
          Reported([this] { SaveFormLanguageFile(this, GetDefaultLanguageFileName()); }));
}

TFormEditReminderYear::~TFormEditReminderYear() = default;

TPictureGridControl *TFormEditReminderYear::Grid() const { return ui->PictureGridControlYearDays; }

// Day numbers over the grid's columns, month names beside its rows, each over its own cell.
void TFormEditReminderYear::buildLabels() {
  m_dayLabels = new TGridLabels(Grid(), Qt::Horizontal, ui->TabSheetYearDays);
  QStringList days;
  for (int d = 1; d <= Days; ++d)
    days << QString::number(d);
  m_dayLabels->setTexts(days);
  m_monthLabels = new TGridLabels(Grid(), Qt::Vertical, ui->TabSheetYearDays);
  ui->LayoutYearDays->setSpacing(2);
  ui->LayoutYearDays->addWidget(m_dayLabels, 0, 1);
  ui->LayoutYearDays->addWidget(m_monthLabels, 1, 0);
}

void TFormEditReminderYear::LoadReminder(const QString &id) {
  m_hub->ApplyLanguage();
  ui->LabelId->setText(id);
  QStringList months;
  for (int m = 0; m < Months; ++m)
    months << formatSettings().longMonthNames[std::size_t(m)];
  m_monthLabels->setTexts(months);
  m_year = DecodeDate(currentClock().today()).year;
  showYearInCaption();
  const TDataObject *reminder =
      id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(id);
  if (!reminder)
    return;
  if (reminder->repeat.type == TRepeatType::Annually) {
    const TDaySet chosen = ParseDayList(reminder->repeat.days);
    for (int m = 1; m <= Months; ++m)
      for (int d = 1; d <= Days; ++d)
        // Cells of days that Y lacks keep what they hold.
        if (const int n = YearDayNumber(m_year, m, d))
          Grid()->setCell(d - 1, m - 1, chosen.test(std::size_t(n)) ? 1 : 0);
  }
  for (int m = 0; m < Months; ++m)
    for (int d = 0; d < Days; ++d)
      m_accepted[m][d] = Grid()->cell(d, m);
  Grid()->update();
}

QString TFormEditReminderYear::YearDays() const {
  TDaySet chosen;
  for (int m = 1; m <= Months; ++m)
    for (int d = 1; d <= Days; ++d)
      if (const int n = YearDayNumber(m_year, m, d); n && Grid()->cell(d - 1, m - 1) == 1)
        chosen.set(std::size_t(n));
  return FormatDayList(chosen);
}

void TFormEditReminderYear::StoreYearDays(TDataObject &reminder) const {
  if (reminder.repeat.type == TRepeatType::Annually)
    reminder.repeat.days = YearDays();
}

void TFormEditReminderYear::done(int result) {
  for (int m = 0; m < Months; ++m)
    for (int d = 0; d < Days; ++d) {
      if (result == Accepted)
        m_accepted[m][d] = Grid()->cell(d, m);
      else
        Grid()->setCell(d, m, m_accepted[m][d]);
    }
  if (result == Accepted)
    m_confirmed = true;
  Grid()->update();
  QDialog::done(result);
}

// The language file's caption of the tab replaces ours whenever the dialog is shown; the years
// go back after it.
void TFormEditReminderYear::showYearInCaption() {
  if (!m_year)
    return;
  const QString years = QStringLiteral(" (%1/%2)").arg(m_year).arg(m_year + 1);
  const int tab = ui->PageControl1->indexOf(ui->TabSheetYearDays);
  const QString caption = ui->PageControl1->tabText(tab);
  if (!caption.endsWith(years))
    ui->PageControl1->setTabText(tab, caption + years);
}

void TFormEditReminderYear::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  showYearInCaption();
  ClearSpeedButtonCaptions(this, 1);
  Grid()->updateCellSize();
}
