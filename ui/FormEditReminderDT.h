#pragma once

#include "model/ReminderRecords.h"

#include <QDialog>

#include <memory>

class QComboBox;
class TDataObject;
class THubForm;

namespace Ui {
class FormEditReminderDT;
}
class TModel;

// The time-bounds dialog of the reminder editor: when a schedule starts running (at a time, at a
// date and time, or since the system started) and when it stops (at a time or a date and time,
// after some hours or days, or at the end of the hour, day, week, month or year).
//
// The editor creates it with the Timetable page and loads it once. Ok keeps what the user set;
// Cancel (also Esc and the close button) puts the controls back as they were last confirmed or
// loaded, so the next-run preview never shows bounds that would not be saved.
class TFormEditReminderDT : public QDialog {
  Q_OBJECT
public:
  TFormEditReminderDT(TModel &model, QWidget *parent = nullptr);
  ~TFormEditReminderDT() override;

  // Applies the language file, fills both lists and loads the bounds of the reminder with the id
  // ("new": the new-reminder template). An id that names no reminder leaves the controls as they
  // are.
  void LoadReminder(const QString &id);
  // Writes both bounds into the reminder, hidden pickers included; the stop bound's length only
  // for the hourly and daily limits.
  void StoreBounds(TDataObject &reminder) const;
  // The texts of the bound links for the bounds the controls hold.
  [[nodiscard]] QString GetStartBoundText() const;
  [[nodiscard]] QString GetStopBoundText() const;
  // Whether the user has closed the dialog with Ok at least once.
  [[nodiscard]] bool Confirmed() const { return m_confirmed; }

  void done(int result) override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void LoadBounds();
  void UpdateControls();
  void UpdateValueText();
  void showBounds(const TStartBoundRec &start, const TStopBoundRec &stop);
  void storeInto(TStartBoundRec &start, TStopBoundRec &stop) const;

  std::unique_ptr<Ui::FormEditReminderDT> ui;
  TModel &m_model;
  THubForm *m_hub;
  QString m_id;
  bool m_confirmed = false;
  // The bounds as last confirmed or loaded.
  TStartBoundRec m_start;
  TStopBoundRec m_stop;
};
