#pragma once

#include "imaging/Color.h"
#include "model/ReminderRecords.h"
#include "ui/ReminderSort.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <array>
#include <vector>

class TDataObject;
class TReminderList;

// The rows of the reminder list: one per reminder of one state (the tab), in the order of the
// sort code. A row is a snapshot of what it shows, tied to its reminder by id only (no pointer,
// so a reload of the reminders never leaves a row dangling); FillRow takes a new snapshot.
// Each cell keeps its picture's number in IconIndexRole (-1 for none), each row its id in IdRole.
class TReminderTableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  static constexpr int IdRole = Qt::UserRole + 2;

  // The pictures (of the common list) the rows and headers show.
  enum Icon {
    IconSortAscending = 7,
    IconSortDescending = 8,
    IconActionOff = 13,
    IconActive = 28,
    IconDisabled = 29,
    IconArchived = 31
  };

  struct Row {
    QString id;
    std::array<int, ReminderColumnCount> icons{};
    TReminderSortKey key;
  };

  // The rows come from that list (the model's), which outlives the table.
  explicit TReminderTableModel(const TReminderList &reminders, QObject *parent = nullptr);

  // What a reminder's row shows on a tab: the subject with the reminder's picture, the repeat
  // type, the next run (on the Active tab, for an enabled reminder), the five action cells
  // ("Enable" and the action's picture when on, empty with the "off" picture when off), the text
  // on one line and the creation date.
  [[nodiscard]] static Row MakeRow(const TDataObject &reminder, TReminderState tab);

  // Every reminder of the list in the tab's state, in list order, then sorted.
  void Fill(TReminderState tab);
  [[nodiscard]] TReminderState tab() const { return m_tab; }
  // A new snapshot of the id's row from its reminder; false when either is missing. The row keeps
  // its place until the next Sort.
  bool FillRow(const QString &id);

  [[nodiscard]] int sortCode() const { return m_sortCode; }
  // Takes effect at the next Sort or Fill; a bad code counts as 0.
  void setSortCode(int code);
  // Sorts the rows (ties keep their order); selections and other persistent indexes follow their
  // rows.
  void Sort();

  // -1 when no row has the id.
  [[nodiscard]] int rowOf(const QString &id) const;
  [[nodiscard]] QString idAt(int row) const;

  // The background of every second row; black paints white.
  void setOddRowColor(TColor color);

  [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role = Qt::DisplayRole) const override;
  // The column captions can be replaced (by the language file).
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                     int role = Qt::EditRole) override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
  // Sorts m_rows; gives each old row's new place.
  std::vector<int> sortRows();

  const TReminderList &m_reminders;
  std::vector<Row> m_rows;
  TReminderState m_tab = TReminderState::Active;
  int m_sortCode = 0;
  QStringList m_captions;
  QColor m_oddRowColor;
};
