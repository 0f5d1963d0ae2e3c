#include "ui/FormEditReminderDT.h"

#include "model/Model.h"
#include "ui_FormEditReminderDT.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/ScheduleText.h"
#include "ui/ActionButton.h"
#include "ui/DateTimePickers.h"
#include "ui/EditorPage.h"
#include "ui/HubForm.h"
#include "ui/ReportErrors.h"
#include "ui/ScheduleRules.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/SpeedButtons.h"

#include <cmath>

namespace {

template <std::size_t N> void FillList(QComboBox *list, const std::array<const char *, N> &names) {
  list->clear();
  for (const char *name : names)
    list->addItem(TranslateText(QString::fromLatin1(name)));
  // Never narrower than its longest name: the layout squeezed the lists of a dialog without its
  // date pickers down to "after defined tim...".
  list->setMinimumWidth(list->sizeHint().width());
}

} // namespace

TFormEditReminderDT::TFormEditReminderDT(TModel &model, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FormEditReminderDT>()), m_model(model) {
  ui->setupUi(this);
  m_hub = new THubForm(this, m_model);
  for (QTimeEdit *t : {ui->DateTimePickerStartBoundTime, ui->DateTimePickerStopBoundTime})
    SetUpTimePicker(t);
  for (QDateEdit *d : {ui->DateTimePickerStartBoundDate, ui->DateTimePickerStopBoundDate})
    SetUpDatePicker(d);
  ui->SpinEditValue->setMinValue(0);
  ui->SpinEditValue->setMaxValue(200);
  BindButtonToAction(ui->ButtonOk, ui->ActionOk);
  BindButtonToAction(ui->ButtonCancel, ui->ActionCancel);
  connect(ui->ActionOk, &QAction::triggered, this, &QDialog::accept);
  connect(ui->ActionCancel, &QAction::triggered, this, &QDialog::reject);
  connect(ui->ComboBoxStartBound, &QComboBox::activated, this, [this] { UpdateControls(); });
  connect(ui->ComboBoxStopBound, &QComboBox::activated, this, [this] {
    UpdateControls();
    UpdateValueText();
  });
  connect(ui->SpinEditValue, &TSpinEdit::changed, this, [this] { UpdateValueText(); });
  connect(ui->ButtonMakeLng, &QPushButton::clicked, this,
          Reported([this] { SaveFormLanguageFile(this, GetDefaultLanguageFileName()); }));
}

TFormEditReminderDT::~TFormEditReminderDT() = default;

void TFormEditReminderDT::LoadReminder(const QString &id) {
  m_hub->ApplyLanguage();
  m_id = id;
  ui->LabelId->setText(id);
  FillList(ui->ComboBoxStartBound, StartBoundNames);
  FillList(ui->ComboBoxStopBound, StopBoundNames);
  LoadBounds();
}

void TFormEditReminderDT::LoadBounds() {
  const TDataObject *reminder =
      m_id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(m_id);
  if (!reminder)
    return;
  m_start = reminder->startBound;
  m_stop = reminder->stopBound;
  showBounds(m_start, m_stop);
}

void TFormEditReminderDT::showBounds(const TStartBoundRec &start, const TStopBoundRec &stop) {
  SelectListCode(*ui->ComboBoxStartBound, int(start.type));
  SetPickerTime(ui->DateTimePickerStartBoundTime, start.dt);
  SetPickerDate(ui->DateTimePickerStartBoundDate, start.dt);
  ui->CheckBoxStopBoundEnable->setChecked(stop.enable);
  SelectListCode(*ui->ComboBoxStopBound, int(stop.type));
  SetPickerTime(ui->DateTimePickerStopBoundTime, stop.dt);
  SetPickerDate(ui->DateTimePickerStopBoundDate, stop.dt);
  ui->SpinEditValue->setValue(stop.value.value);
  UpdateControls();
  UpdateValueText();
}

void TFormEditReminderDT::UpdateControls() {
  const TBoundsLayout l =
      BoundsLayout(ui->ComboBoxStartBound->currentIndex(), ui->ComboBoxStopBound->currentIndex());
  ui->LabelStartAt->setVisible(l.startTime);
  ui->DateTimePickerStartBoundTime->setVisible(l.startTime);
  ui->LabelStartOn->setVisible(l.startDate);
  ui->DateTimePickerStartBoundDate->setVisible(l.startDate);
  ui->LabelStopAt->setVisible(l.stopTime);
  ui->DateTimePickerStopBoundTime->setVisible(l.stopTime);
  ui->LabelStopOn->setVisible(l.stopDate);
  ui->DateTimePickerStopBoundDate->setVisible(l.stopDate);
  ui->SpinEditValue->setVisible(l.stopValue);
  ui->LabelAfterValue->setVisible(l.stopValue);
}

void TFormEditReminderDT::UpdateValueText() {
  const int value = int(std::lround(ui->SpinEditValue->value()));
  ui->LabelAfterValue->setText(
      MeasureUnitText({value, StopValueMeasure(ui->ComboBoxStopBound->currentIndex())}));
}

void TFormEditReminderDT::storeInto(TStartBoundRec &start, TStopBoundRec &stop) const {
  start.type = TStartBoundType(ui->ComboBoxStartBound->currentIndex());
  start.dt =
      PickerDate(ui->DateTimePickerStartBoundDate) + PickerTime(ui->DateTimePickerStartBoundTime);
  stop.enable = ui->CheckBoxStopBoundEnable->isChecked();
  const int kind = ui->ComboBoxStopBound->currentIndex();
  stop.type = TStopBoundType(kind);
  stop.dt =
      PickerDate(ui->DateTimePickerStopBoundDate) + PickerTime(ui->DateTimePickerStopBoundTime);
  if (BoundsLayout(0, kind).stopValue)
    stop.value = {int(std::trunc(ui->SpinEditValue->value())), StopValueMeasure(kind)};
}

void TFormEditReminderDT::StoreBounds(TDataObject &reminder) const {
  storeInto(reminder.startBound, reminder.stopBound);
}

QString TFormEditReminderDT::GetStartBoundText() const {
  TStartBoundRec start = m_start;
  TStopBoundRec stop = m_stop;
  storeInto(start, stop);
  return StartBoundText(start);
}

QString TFormEditReminderDT::GetStopBoundText() const {
  TStartBoundRec start = m_start;
  TStopBoundRec stop = m_stop;
  storeInto(start, stop);
  return StopBoundText(stop);
}

void TFormEditReminderDT::done(int result) {
  if (result == Accepted) {
    storeInto(m_start, m_stop);
    m_confirmed = true;
  } else {
    showBounds(m_start, m_stop);
  }
  QDialog::done(result);
}

void TFormEditReminderDT::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  ClearSpeedButtonCaptions(this, 1);
}
