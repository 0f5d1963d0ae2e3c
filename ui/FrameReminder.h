#pragma once

#include "imaging/Color.h"
#include "model/ReminderRecords.h"

#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace Ui {
class FrameReminder;
}
class IUserInterface;
class QAction;
class QMenu;
class TColumnFitter;
class QModelIndex;
class QTimer;
class QTreeView;
class TReminderTableModel;
class TModel;

// The "Reminders" page of the main window: the reminders of one state at a time (tabs Active,
// Archive, Trash) in a sortable list, a preview of the selected one (pictures, text, schedule),
// and the list operations: add, edit, delete, to Archive, to Active, make copy. A click on an
// action's picture in a row switches that action on or off.
//
// The page shows the model's reminders; what it changes it changes through the model's commands
// (model/ReminderCommands.h), which save the store and have the main window refresh this page
// through the master window. It opens the editor through the user interface. The rows hold ids,
// never reminder objects, so the list survives any reload.
class TFrameReminder : public QWidget {
  Q_OBJECT
public:
  TFrameReminder(TModel &model, IUserInterface &userInterface, QWidget *parent = nullptr);
  ~TFrameReminder() override;
  TFrameReminder(const TFrameReminder &) = delete;
  TFrameReminder &operator=(const TFrameReminder &) = delete;

  // Column widths and the sort code (MainSettings), the row colour (LocalSettings).
  void LoadOptions();
  void SaveOptions();
  // Each time the main window is shown: captions, the current tab's rows, the first row selected.
  void Init();
  // The captions of the language file, and the tab captions.
  void Translate();
  void FocusList();
  // Rebuilds the rows of the current tab. The selected rows, the current row and the row at the
  // top of the view are found again by id.
  void FillList();
  // Selects the reminder's row alone and shows it; a reminder of another state first switches to
  // its tab. Nothing is selected when no row has the id.
  void SelectById(const QString &id);
  // The id's row from its reminder again, then the rows sorted when it no longer stands in order.
  void RefreshById(const QString &id);
  // The ids of the selected rows, in row order; nothing happens without a list.
  void GetSelectedIds(QStringList *ids) const;
  // Writes the whole store to the backup file (the only writer of it).
  void SaveBackup();
  void SortList();

  // The list operations (the actions run them).
  void ActionAddExecute();
  void ActionEditExecute();
  void ActionDeleteExecute();
  void ActionToActiveExecute();
  void ActionToArchiveExecute();
  void ActionAddCopyExecute();
  void ActionColorSelectExecute();

  [[nodiscard]] TReminderTableModel *model() const { return m_table; }
  [[nodiscard]] QTreeView *list() const;
  [[nodiscard]] TReminderState tab() const;
  [[nodiscard]] TColor listViewColor() const { return m_listViewColor; }
  // Where the view draws the cell's picture (viewport coordinates); empty for a cell without one.
  [[nodiscard]] QRect iconRect(const QModelIndex &index) const;
  // How much wider the list must be to show every column whole; 0 or less when it does.
  [[nodiscard]] int MissingListWidth() const;
  // The action by its component name; null when there is none.
  [[nodiscard]] QAction *action(const QString &name) const;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void tabChanged();
  void columnClicked(int column);
  // The single click on the list, handled when the double-click time has passed.
  void timerClickTimer();
  void doubleClicked(const QPoint &at);
  void editReminder(bool add);
  void moveSelected(TReminderState state);
  void selectRow(const QString &id);
  // Sorts the list when the id's row no longer stands in order.
  void keepInOrder(const QString &id);
  [[nodiscard]] QString selectedId() const;
  void updatePreview();
  void clearPreview();
  void showPicture();

  std::unique_ptr<Ui::FrameReminder> ui;
  TModel &m_model;
  IUserInterface &m_userInterface;
  TReminderTableModel *m_table;
  TColumnFitter *m_columns;
  QTimer *m_timerClick;
  QMenu *m_popupMenu;
  TColor m_listViewColor = clInfoBk;
  // Where the last click on the list was pressed: the click is handled there, wherever the
  // pointer has gone by the time its timer fires.
  QPoint m_clickAt;
  QString m_clickId; // the row's reminder there at the press
  bool m_pressed = false;
  bool m_filling = false;
  QPixmap m_picture; // the preview picture at its own size
};
