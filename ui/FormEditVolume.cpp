#include "ui/FormEditVolume.h"

#include "model/Model.h"
#include "ui_FormEditVolume.h"

#include "ui/HubForm.h"
#include "ui/PlaceNearPointer.h"
#include "ui/QtPrompts.h"
#include "ui/ReportErrors.h"

namespace {

// The bar runs from 0 at the top to 100 at the bottom; the player from 0 (silent) to 1000.
constexpr int BarMax = 100;
constexpr int BarToPlayer = 10;

} // namespace

// Opened from a sticker's menu, at the pointer, so over the sticker: a sticker kept above other
// windows would otherwise cover the dialog's controls.
TFormEditVolume::TFormEditVolume(TModel &model, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::FormEditVolume>()), m_model(model),
      m_hubForm(new THubForm(this, m_model)) {
  ui->setupUi(this);
}

TFormEditVolume::~TFormEditVolume() = default;

void TFormEditVolume::ShowVolumeDialog(TModel &model, QPoint at, const TSoundLookup &sound) {
  TFormEditVolume form(model);
  if (form.Prepare(at, sound))
    (void)RunDialog(&form); // a local loop: stickers stay usable
}

bool TFormEditVolume::Prepare(QPoint at, const TSoundLookup &lookup) {
  // The captions first: the label's height counts in the placement.
  m_hubForm->ApplyLanguage();
  setFixedSize(width() / 2, height());
  PlaceNearPointer(this, at, ui->LabelVolume->sizeHint().height());
  const ISoundPlayer *sound = lookup ? lookup() : nullptr;
  if (!sound)
    return false;
  m_sound = lookup;
  ui->TrackBarSoundVolume->setValue(BarMax - sound->GetVolume() / BarToPlayer);
  // Bound only now, so that putting the bar at the volume changes nothing.
  connect(ui->TrackBarSoundVolume, &QSlider::valueChanged, this,
          &TFormEditVolume::TrackBarSoundVolumeChange);
  return true;
}

void TFormEditVolume::TrackBarSoundVolumeChange(int position) {
  RunReported([&] {
    if (ISoundPlayer *sound = m_sound ? m_sound() : nullptr)
      sound->SetVolume((BarMax - position) * BarToPlayer);
  });
}
