#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>

class TDataObject;
class TGridLabels;
class THubForm;
class TPictureGridControl;

namespace Ui {
class FormEditReminderYear;
}
class TModel;

// The days-of-the-year dialog of an annual reminder: a grid of 31 days x 12 months. Its days are
// numbered in the year in which the editor opened it (Y): in a common year 1 March is day 60, in
// a leap year 29 February is 60 and 1 March 61. Each cell's hint shows its date in Y and in Y+1.
//
// The editor creates it with the Timetable page and loads it once. Cancel puts the grid back as it
// was last confirmed (or loaded), so the next-run preview never shows days that would not be saved.
class TFormEditReminderYear : public QDialog {
  Q_OBJECT
public:
  static constexpr int Days = 31;
  static constexpr int Months = 12;

  TFormEditReminderYear(TModel &model, QWidget *parent = nullptr);
  ~TFormEditReminderYear() override;

  // Takes Y from the clock, and the chosen days of an annual reminder with this id ("new": the new
  // reminder template). An id that names no reminder leaves the grid as it is.
  void LoadReminder(const QString &id);
  // An annual reminder gets the chosen days that exist in Y; other reminders are left alone.
  void StoreYearDays(TDataObject &reminder) const;
  // The day list the grid stands for, "(n)" ascending.
  [[nodiscard]] QString YearDays() const;
  // Whether the user has closed the dialog with Ok at least once.
  [[nodiscard]] bool Confirmed() const { return m_confirmed; }
  [[nodiscard]] int64_t Year() const { return m_year; }
  [[nodiscard]] TPictureGridControl *Grid() const;

  void done(int result) override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void buildLabels();
  void showYearInCaption();

  std::unique_ptr<Ui::FormEditReminderYear> ui;
  TModel &m_model;
  THubForm *m_hub;
  int64_t m_year = 0;
  bool m_confirmed = false;
  // The grid as last confirmed or loaded: [month][day].
  std::array<std::array<int32_t, Days>, Months> m_accepted{};
  TGridLabels *m_dayLabels = nullptr;
  TGridLabels *m_monthLabels = nullptr;
};
