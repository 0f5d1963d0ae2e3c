#pragma once

#include "imaging/Color.h"
#include "model/DataObject.h"
#include "model/ReminderRecords.h"
#include "ui/ReminderSort.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QStringList>

#include <array>
#include <bitset>
#include <vector>

class TReminderList;

// The rows of the reminder list: one per reminder of one state (the tab), in the order of the
// sort code. A row is a snapshot of what it shows, tied to its reminder by id only (no pointer,
// so a reload of the reminders never leaves a row dangling); FillRow takes a new snapshot.
// Each cell keeps its picture's number in IconIndexRole (-1 for none), each row its id in IdRole.
//
// Filling takes only the fields each row shows; a cell's text (a date, a translated word, the
// next run, which needs a search of the schedule) is made when the view first asks for it or the
// order needs it, so filling ten thousand rows costs what the rows on screen cost. A row whose
// reminder shows the same as before keeps the texts it made; the next runs found are kept by id
// from one fill to the next (TNextRunMemo), for as long as they hold.
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

  // What a row shows of its reminder, as taken when it was filled.
  struct Source {
    QString subject;
    QString text;
    TDateTime created;
    TRepeatType type = TRepeatType::Once;
    bool enable = false;
    std::array<bool, 5> actions{}; // sticker, tray icon, sound, mail, program
    bool operator==(const Source &) const = default;
  };

  // The rows come from that list (the model's), which outlives the table.
  explicit TReminderTableModel(const TReminderList &reminders, QObject *parent = nullptr);
  ~TReminderTableModel() override;

  [[nodiscard]] static Source SourceOf(const TDataObject &reminder);

  // Every reminder of the list in the tab's state, in list order, then sorted.
  void Fill(TReminderState tab);
  [[nodiscard]] TReminderState tab() const { return m_tab; }
  // A new snapshot of the id's row from its reminder; false when either is missing. The row keeps
  // its place until the next Sort.
  bool FillRow(const QString &id);
  // The id's row as its reminder stands now: a new snapshot, a new row (at the end) for a
  // reminder that came into the tab's state, no row for one that left it or the list. The rows
  // keep their places until the next Sort.
  void UpdateRow(const QString &id);

  // Every row makes its texts again when next asked for (the language changed).
  void ForgetTexts();

  [[nodiscard]] int sortCode() const { return m_sortCode; }
  // Takes effect at the next Sort or Fill; a bad code counts as 0.
  void setSortCode(int code);
  // Sorts the rows (ties keep their order); selections and other persistent indexes follow their
  // rows.
  void Sort();
  // Whether the row stands where the order puts it among its neighbours: a row filled again
  // that did not move needs no sort of the whole list.
  [[nodiscard]] bool RowInOrder(int row) const;

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
  struct Row {
    QString id;
    Source source;
    // The texts made so far (one bit per column), the texts, the next run and the creation.
    mutable std::bitset<ReminderColumnCount> made;
    mutable TReminderSortKey key;
  };

  [[nodiscard]] Row makeRow(const TDataObject &reminder) const;
  [[nodiscard]] const QString &cellText(const Row &row, int column) const;
  [[nodiscard]] int iconOf(const Row &row, int column) const;
  // Sorts m_rows; gives each old row's new place.
  std::vector<int> sortRows();
  void indexRows();

  const TReminderList &m_reminders;
  std::vector<Row> m_rows;
  QHash<QString, int> m_rowOf;
  // The next runs found, by id, for the rows of the Active tab.
  mutable QHash<QString, TNextRunMemo> m_nextRuns;
  TReminderState m_tab = TReminderState::Active;
  int m_sortCode = 0;
  QStringList m_captions;
  QColor m_oddRowColor;
};
