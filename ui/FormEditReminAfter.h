#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <memory>

namespace Ui {
class FormEditReminAfter;
}
class THubForm;
class TModel;

// "Close and remind in ...": the remind-again window of a firing reminder, value and unit from
// the moment of OK, lasting the reminder's duration. Opened at the mouse pointer from the
// reminder's popup menu, created for one use. It stores the window and nothing else: closing the
// firing is the caller's.
//
// The dialog keeps the reminder's run-time number, not the object: while it is open the tick runs
// and the reminder may close, be re-read or go. OK looks it up again; when it is gone, OK stores
// nothing.
class TFormEditReminAfter : public QDialog {
  Q_OBJECT
public:
  TFormEditReminAfter(TModel &model, QWidget *parent = nullptr);
  ~TFormEditReminAfter() override;

  // Shows the dialog with the title at the point for the reminder, modally. True when OK stored
  // an enabled window.
  [[nodiscard]] static bool ShowRemindAfterDialog(TModel &model, const QString &title, QPoint at,
                                                  int32_t number);

  // Titles, places and fills the dialog from the reminder; false when it is gone.
  [[nodiscard]] bool Prepare(const QString &title, QPoint at, int32_t number);
  // Whether the last OK stored an enabled window.
  [[nodiscard]] bool Confirmed() const { return m_confirmed; }

  // OK stores the window before the dialog closes; any other end changes nothing.
  void done(int result) override;

private:
  void CheckBoxRemindAfterClick();
  void store();

  std::unique_ptr<Ui::FormEditReminAfter> ui;
  TModel &m_model;
  THubForm *m_hubForm;
  int32_t m_number = 0;
  bool m_confirmed = false;
};
