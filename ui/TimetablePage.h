#pragma once

#include "model/ReminderRecords.h"
#include "ui/EditorPage.h"

#include <QWidget>

#include <array>
#include <memory>

class QButtonGroup;
class QTimer;
class TDataObject;
class TFormEditReminderDT;
class TFormEditReminderYear;
class TGridLabels;
class TPictureGridControl;
class TSpinEdit;
struct TRepeatControls;

namespace Ui {
class TimetablePage;
}
class TModel;

// The editor's Timetable tab: the repeat rule of a reminder (once, every N minutes, hours or
// days, on week days, month days or days of the year), its time bounds, duration, warning ahead
// of time and a pending remind-again, with the next run computed as the scheduler will.
//
// Its captions belong to the editor: they are translated, and written by "Make lng", in the
// editor's own language section. It owns the time-bounds and the year-days dialogs. It keeps no
// reminder between calls: it loads from a reminder by id and writes into the reminder it is given.
class TTimetablePage : public QWidget, public IEditorPage {
  Q_OBJECT
public:
  TTimetablePage(TModel &model, QWidget *parent = nullptr);
  ~TTimetablePage() override;

  [[nodiscard]] QWidget *Widget() override { return this; }
  [[nodiscard]] bool IsLanguageFrame() const override { return false; }
  // The page keeps no settings of its own.
  void LoadOptions() override {}
  void SaveOptions() override {}
  // Fills the page and both dialogs from the reminder with the id ("new": the new-reminder
  // template). An id that names no reminder leaves the controls as they are.
  void LoadFromReminder(const QString &id) override;
  // Writes the page into the reminder: the schedule, the bounds once the time-bounds dialog was
  // confirmed, the days of the year once the year dialog was confirmed.
  void SaveToReminder(TDataObject &reminder) override { storeAll(reminder); }
  // The reminder's "Enable" switch changed (also while the editor loads).
  void EnabledChanged(bool enabled) override;

  void LoadSchedule(const TDataObject &reminder);
  void StoreSchedule(TDataObject &reminder) const;
  void UpdateScheduleControls();
  void LimitDuration();
  void UpdateIntervalTexts();
  void UpdateRemindBeforeControls();
  // The "Next run:" text.
  void UpdateNextRun();
  // A reminder that holds the schedule as it will be saved (for the next-run texts).
  [[nodiscard]] std::unique_ptr<TDataObject> ScheduleCopy() const;

  bool ShowTimeBoundsDialog();
  bool ShowYearDaysDialog(const QString &caption);
  // "Get current date/time": today's date, now + 2 seconds for Once, now for the run time.
  void ActionGetCurrentDTExecute();
  // The "Next dates of run:" message.
  void ShowNextDatesOfRun();

  [[nodiscard]] TFormEditReminderDT &BoundsDialog() const { return *m_boundsDialog; }
  [[nodiscard]] TFormEditReminderYear &YearDialog() const { return *m_yearDialog; }
  [[nodiscard]] bool RemindBeforeChanged() const { return m_remindBeforeChanged; }

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void storeAll(TDataObject &reminder) const;
  void connectControls();
  void buildDayLabels();
  void translateLists();
  [[nodiscard]] int repeatType() const;
  void tickRepeatType(int type);
  [[nodiscard]] TRepeatControls repeatControls() const;
  void valueChanged();
  void pickerOrGridChanged();
  void optionToggled();
  void markRemindBeforeChanged();
  void setModified();
  [[nodiscard]] QString tabCaption() const;

  std::unique_ptr<Ui::TimetablePage> ui;
  TModel &m_model;
  QButtonGroup *m_types;
  std::array<TPictureGridControl *, 3> m_monthGrids{};
  TGridLabels *m_weekLabels = nullptr; // Monday .. Sunday
  TFormEditReminderDT *m_boundsDialog;
  TFormEditReminderYear *m_yearDialog;
  // Refreshes the next-run text once a second while the page is shown.
  QTimer *m_timerPerSec;
  bool m_loading = false;
  bool m_enabled = false;
  bool m_remindBeforeChanged = false;
  // The schedule as loaded: what the fields the page does not write keep in the preview.
  TMainRepeatRec m_loadedRepeat;
  TStartBoundRec m_loadedStart;
  TStopBoundRec m_loadedStop;
  TRemindAfterRec m_loadedRemindAfter;
  // What keeps a run from firing twice, as loaded.
  struct {
    TDateTime lastRunDue;
    TDateTime lastCloseByUser;
  } m_loadedGuards;
};
