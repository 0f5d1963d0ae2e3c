#pragma once

#include <QDialog>
#include <QPoint>

#include <cstdint>
#include <memory>

namespace Ui {
class FormEditVolume;
}
class THubForm;

// The volume of a firing reminder's sound, changed live while it plays: a vertical bar whose top
// is the loudest. Every move sets the playing sound's volume at once; the reminder's stored volume
// stays as it is, so the next playing starts at that again. Opened at the mouse pointer from the
// reminder's popup menu, created for one use.
//
// The dialog keeps the reminder's run-time number, not the object: while it is open the tick runs
// and the reminder may close, be re-read or go. Each move looks it up again; without a reminder or
// a sound it does nothing.
class TFormEditVolume : public QDialog {
  Q_OBJECT
public:
  explicit TFormEditVolume(QWidget *parent = nullptr);
  ~TFormEditVolume() override;

  // Shows the dialog at the point for the reminder, modally; nothing when it has no sound.
  static void ShowVolumeDialog(QPoint at, int32_t number);

  // Translates and places the dialog and puts the bar at the sound's volume. False (and nothing
  // set) when the reminder or its sound is gone.
  [[nodiscard]] bool Prepare(QPoint at, int32_t number);

private:
  void TrackBarSoundVolumeChange(int position);

  std::unique_ptr<Ui::FormEditVolume> ui;
  THubForm *m_hubForm;
  int32_t m_number = 0;
};
