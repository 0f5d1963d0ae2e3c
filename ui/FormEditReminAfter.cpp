#include "ui/FormEditReminAfter.h"

#include "model/Model.h"
#include "ui_FormEditReminAfter.h"

#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/ReminderList.h"
#include "model/Schedule.h"
#include "platform/Clock.h"
#include "ui/HubForm.h"
#include "ui/PlaceNearPointer.h"
#include "ui/QtPrompts.h"
#include "ui/ReportErrors.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int SpinMin = 1;
constexpr int SpinMax = 100;

} // namespace

// Opened from a sticker's menu, at the pointer, so over the sticker: a sticker kept above other
// windows would otherwise cover the dialog's controls.
TFormEditReminAfter::TFormEditReminAfter(TModel &model, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::FormEditReminAfter>()), m_model(model),
      m_hubForm(new THubForm(this, m_model)) {
  ui->setupUi(this);
  // The design size, or more where the fonts or the captions need more.
  setFixedSize(size().expandedTo(sizeHint()));
  ui->SpinEditRemindAfter->setMinValue(SpinMin);
  ui->SpinEditRemindAfter->setMaxValue(SpinMax);
  ui->SpinEditRemindAfter->setValue(SpinMin);
  connect(ui->ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ui->CheckBoxRemindAfter, &QCheckBox::toggled, this,
          &TFormEditReminAfter::CheckBoxRemindAfterClick);
}

TFormEditReminAfter::~TFormEditReminAfter() = default;

bool TFormEditReminAfter::ShowRemindAfterDialog(TModel &model, const QString &title, QPoint at,
                                                int32_t number) {
  TFormEditReminAfter form(model);
  if (!form.Prepare(title, at, number))
    return false;
  // A local loop, not exec(): a parentless exec() would block every sticker on the desktop.
  return RunDialog(&form) == Accepted && form.Confirmed();
}

bool TFormEditReminAfter::Prepare(const QString &title, QPoint at, int32_t number) {
  setWindowTitle(title);
  PlaceNearPointer(this, at, ui->LabelRemindAfter->sizeHint().height());
  const TDataObject *r = m_model.Reminders().FindByNumber(number);
  if (!r)
    return false;
  m_number = number;

  m_hubForm->ApplyLanguage();
  QComboBox *units = ui->ComboBoxRemindAfter;
  units->clear();
  for (const char *name : MeasureNames)
    units->addItem(TranslateText(QString::fromLatin1(name)));
  const TRemindAfterRec &after = r->remindAfter;
  ui->CheckBoxRemindAfter->setChecked(after.enable);
  ui->SpinEditRemindAfter->setValue(after.value.value);
  // By position, not by the translated word: a unit outside the list (a damaged or hand-made
  // file) or a translation that matches no entry would leave none selected, and OK would then
  // store no unit at all and bring the reminder back at once. Minute stands in.
  const int measure = static_cast<int>(after.value.measure);
  units->setCurrentIndex(measure >= 0 && measure < units->count() ? measure : 0);
  CheckBoxRemindAfterClick();
  return true;
}

void TFormEditReminAfter::CheckBoxRemindAfterClick() {
  const bool on = ui->CheckBoxRemindAfter->isChecked();
  ui->LabelRemindAfter->setEnabled(on);
  ui->SpinEditRemindAfter->setEnabled(on);
  ui->ComboBoxRemindAfter->setEnabled(on);
}

void TFormEditReminAfter::done(int result) {
  m_confirmed = false;
  if (result == Accepted)
    RunReported([this] { store(); });
  QDialog::done(result);
}

void TFormEditReminAfter::store() {
  TDataObject *r = m_model.Reminders().FindByNumber(m_number);
  if (!r)
    return;
  TRemindAfterRec &after = r->remindAfter;
  after.enable = ui->CheckBoxRemindAfter->isChecked();
  after.value.value = static_cast<int32_t>(std::trunc(ui->SpinEditRemindAfter->value()));
  after.value.measure = static_cast<TMeasure>(std::max(ui->ComboBoxRemindAfter->currentIndex(), 0));
  after.dtStart = currentClock().now() + MeasureToDays(after.value);
  after.dtStop = after.dtStart + GetDurationDays(r->duration);
  const bool enabled = after.enable;
  SaveToStore(m_model, *r);
  m_confirmed = enabled;
}
