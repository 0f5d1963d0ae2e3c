#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class FrameLog;
}
class IUserInterface;
class QTreeWidgetItem;
class TColumnFitter;
class TLogTableModel;
class TModel;

// The "Log" page of the main window: a list of the last days and a date range on the left and
// above, and the lines of the log that fall in the chosen day or range, newest first by default.
// A double-click on a firing opens its reminder in the editor. The page indexes the log file each
// time it is shown and on "Refresh" (model/LogIndex.h) and reads only the lines it shows; choosing
// another day, a click on the "Date/Time" column and the date boxes only filter the index. The
// page's captions come from the language file (Translate).
class TFrameLog : public QWidget {
  Q_OBJECT

public:
  // The user interface opens the editor for a double-clicked line.
  TFrameLog(TModel &model, IUserInterface &userInterface, QWidget *parent = nullptr);
  ~TFrameLog() override;

  // The splitter, the column widths and the order, from and to LocalSettings. A column without a
  // saved width is fitted to its contents when the page first shows lines.
  void LoadOptions();
  void SaveOptions();
  // Each time the main window is shown: the date boxes (from a week ago, no end).
  void Init();
  // Each time the page is shown: the day list anew, then the log read again.
  void Activate();
  // When the main window closes: the index and its file are let go.
  void Done();
  // The captions of the language file the settings name; columns the user has not sized fit
  // the new captions.
  void Translate();

  // The day list: the page's own caption over today and the days before it, as many as the log
  // keeps (at most 30). Today is chosen; without days the whole log (the date range) is.
  void BuildDayTree();
  // Reads the log file, retrying for about a second while another program holds it. A log that
  // stays unreadable is reported and the lines read before stay on show.
  void Refresh();
  // Shows the lines of the chosen day, or of the date range when the top entry is chosen.
  void ApplyFilter();

  [[nodiscard]] TLogTableModel *model() const { return m_table; }
  // The wait between read attempts (tests replace it).
  void setRetryPause(std::function<void(int ms)> pause);

private:
  void fillDayTree();
  void showDateBoxes();
  void updateRootIcon(QTreeWidgetItem *item);
  void columnClicked(int column);
  void openReminderOfSelection();
  void applyRowColors();
  void loadLogFile();

  std::unique_ptr<Ui::FrameLog> ui;
  TModel &m_model;
  IUserInterface &m_userInterface;
  TLogTableModel *m_table;
  std::function<void(int ms)> m_retryPause;
  bool m_reading = false;
  // Columns without a saved width, to be fitted to their contents; and whether a width being
  // set is ours (not the user's).
  TColumnFitter *m_columns;
};
