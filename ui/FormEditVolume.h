#pragma once

#include "runtime/ReminderOutputs.h"

#include <QDialog>
#include <QPoint>

#include <memory>

namespace Ui {
class FormEditVolume;
}
class THubForm;
class TModel;

// The volume of a firing reminder's sound, changed live while it plays: a vertical bar whose top
// is the loudest. Every move sets the playing sound's volume at once; the reminder's stored volume
// stays as it is, so the next playing starts at that again. Opened at the mouse pointer from the
// reminder's popup menu, created for one use.
//
// The dialog keeps the runtime's lookup of the sound, not the player: while it is open the tick
// runs and the firing may close, the sound end or its reminder go. Each move looks the sound up
// again; without one it does nothing.
class TFormEditVolume : public QDialog {
  Q_OBJECT
public:
  TFormEditVolume(TModel &model, QWidget *parent = nullptr);
  ~TFormEditVolume() override;

  // Shows the dialog at the point for the sound, modally; nothing when there is no sound.
  static void ShowVolumeDialog(TModel &model, QPoint at, const TSoundLookup &sound);

  // Translates and places the dialog and puts the bar at the sound's volume. False (and nothing
  // set) when the sound is gone.
  [[nodiscard]] bool Prepare(QPoint at, const TSoundLookup &sound);

private:
  void TrackBarSoundVolumeChange(int position);

  std::unique_ptr<Ui::FormEditVolume> ui;
  TModel &m_model;
  THubForm *m_hubForm;
  TSoundLookup m_sound;
};
