#pragma once

#include "model/LogIndex.h"
#include "platform/DateTime.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>

#include <vector>

// The rows of the log page: the lines of the log file that pass the date filter, newest first or
// in file order. The rows come from an index of the file (model/LogIndex.h); a row's line is read
// and split into its cells only when the view asks for it, so a log of a million lines shows at
// once. Lines with fewer than four fields (not lines of ours) are never shown; a shorter line of
// ours shows the cells it has.
class TLogTableModel : public QAbstractTableModel {
  Q_OBJECT

public:
  enum Column {
    ColumnDateTime,
    ColumnUser,
    ColumnSubject,
    ColumnSticker,
    ColumnIco,
    ColumnSound,
    ColumnMail,
    ColumnProgram,
    ColumnText,
    ColumnCount
  };
  // Cells and the "Date/Time" header show pictures of the common list and keep their index in
  // IconIndexRole (IconLibrary.h). The reminder id of a row (any column), empty for program
  // events:
  static constexpr int IdRole = Qt::UserRole + 2;
  // The two orders: the last line of the file first, or the file's own order.
  static constexpr int SortNewestFirst = 0;
  static constexpr int SortFileOrder = 100;

  explicit TLogTableModel(QObject *parent = nullptr);

  // The background of odd rows and of the others; an invalid colour leaves the view's own.
  void setRowColors(const QColor &odd, const QColor &even);

  // The lines of the log as last indexed; shown after the next applyFilter(). The index knows each
  // line's time, so filtering again (another day, the other order) is quick.
  void setIndex(TLogIndex index);
  // Shows the lines whose time lies in [from, to]; a bound of 0 is no bound. Lines with the event
  // word "Error" are never shown; with a bound, neither are lines whose time cannot be read.
  void applyFilter(TDateTime from, TDateTime to);
  [[nodiscard]] int sortOrder() const { return m_sort; }
  // Takes effect at the next applyFilter().
  void setSortOrder(int sort) { m_sort = sort; }

  [[nodiscard]] int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  [[nodiscard]] int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                    int role = Qt::DisplayRole) const override;
  // Column captions can be replaced (by the language file).
  bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                     int role = Qt::EditRole) override;
  [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
  const QStringList &fieldsOf(int row) const;
  [[nodiscard]] int iconNumber(int column, const QStringList &fields) const; // -1: none
  [[nodiscard]] QString text(int column, const QStringList &fields) const;

  TLogIndex m_index;
  std::vector<int> m_shown; // lines of the index, in display order
  int m_sort = SortNewestFirst;
  QStringList m_captions;
  QColor m_oddColor;
  QColor m_evenColor;
  // The fields of the row asked for last: the view asks for every cell and role of a row in turn.
  mutable int m_cachedRow = -1;
  mutable QStringList m_cachedFields;
};
