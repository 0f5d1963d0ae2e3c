#include "ui/ReminderTableModel.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/ReminderList.h"
#include "platform/Clock.h"
#include "platform/FormatSettings.h"
#include "services/TextHelpers.h"
#include "ui/IconLibrary.h"

#include <algorithm>
#include <exception>
#include <numeric>

namespace {

// An empty "Next run" sorts as this many days after today.
constexpr int EmptyNextRunDays = 1095;

struct ActionCell {
  TReminderColumn column;
  int iconOn;
};

// In the order of Source::actions.
constexpr ActionCell ActionCells[] = {
    {ColumnSticker, 20}, {ColumnIco, 20}, {ColumnSound, 4}, {ColumnMail, 6}, {ColumnProgram, 25},
};

const char *const Captions[ReminderColumnCount] = {
    "Subject", "Type", "Next run", "Sticker", "Ico", "Sound", "Mail", "Program", "Text", "Created"};

// The action cell of a column, or none.
const ActionCell *actionCell(int column) {
  for (const ActionCell &cell : ActionCells)
    if (cell.column == column)
      return &cell;
  return nullptr;
}

} // namespace

TReminderTableModel::TReminderTableModel(const TReminderList &reminders, QObject *parent)
    : QAbstractTableModel(parent), m_reminders(reminders) {
  for (const char *caption : Captions)
    m_captions << QString::fromLatin1(caption);
}

TReminderTableModel::~TReminderTableModel() = default;

TReminderTableModel::Source TReminderTableModel::SourceOf(const TDataObject &reminder) {
  Source s;
  s.subject = reminder.subject;
  s.text = reminder.text;
  s.created = reminder.createDt;
  s.type = reminder.repeat.type;
  s.enable = reminder.enable;
  s.actions = {reminder.sticker.enable, reminder.tray, reminder.sound.enable, reminder.mail.enable,
               reminder.shellExec.enable};
  return s;
}

TReminderTableModel::Row TReminderTableModel::makeRow(const TDataObject &reminder) const {
  Row row;
  row.id = reminder.Id;
  row.source = SourceOf(reminder);
  // What the order reads without making any text.
  row.key.texts[ColumnSubject] = row.source.subject;
  row.key.created = row.source.created;
  row.made.set(ColumnSubject);
  return row;
}

// What a row shows on its tab: the subject, the repeat type, the next run (on the Active tab, for
// an enabled reminder), the five action cells ("Enable" when on, empty when off), the text on one
// line and the creation date. Made once per row and column.
const QString &TReminderTableModel::cellText(const Row &row, int column) const {
  QString &text = row.key.texts[std::size_t(column)];
  if (row.made.test(std::size_t(column)))
    return text;
  row.made.set(std::size_t(column));
  const Source &s = row.source;
  switch (column) {
  case ColumnType: {
    const QString type = CodeName(RepeatTypeNames, s.type);
    text = type.isEmpty() ? QString() : TranslateText(type);
    break;
  }
  case ColumnNextRun: {
    row.key.nextRun = TDateTime();
    const TDataObject *reminder = m_reminders.FindById(row.id);
    if (m_tab == TReminderState::Active && s.enable && reminder) {
      // A next run that cannot be worked out leaves the cell empty.
      try {
        row.key.nextRun = reminder->GetNextRunTime(currentClock().now(), m_nextRuns[row.id]);
      } catch (const std::exception &) {
        row.key.nextRun = TDateTime();
      }
    }
    text = row.key.nextRun.isSet() ? DateTimeToStr(row.key.nextRun) : QString();
    break;
  }
  case ColumnText:
    text = FlattenLineBreaks(s.text);
    break;
  case ColumnCreated:
    text = DateTimeToStr(s.created);
    break;
  default:
    if (const ActionCell *cell = actionCell(column))
      text = s.actions[std::size_t(cell - ActionCells)] ? TranslateText(QStringLiteral("Enable"))
                                                        : QString();
    break;
  }
  return text;
}

int TReminderTableModel::iconOf(const Row &row, int column) const {
  if (column == ColumnSubject)
    return !row.source.enable                ? IconDisabled
           : m_tab == TReminderState::Active ? IconActive
                                             : IconArchived;
  if (const ActionCell *cell = actionCell(column))
    return row.source.actions[std::size_t(cell - ActionCells)] ? cell->iconOn : IconActionOff;
  return -1;
}

// A reminder that shows the same keeps its row and the texts made; its next run is looked at
// again (through its memo) when asked for, for its schedule is not part of what the row shows.
void TReminderTableModel::Fill(TReminderState tab) {
  beginResetModel();
  std::vector<Row> old;
  if (tab == m_tab)
    old.swap(m_rows);
  m_rows.clear();
  m_tab = tab;
  QHash<QString, TNextRunMemo> nextRuns;
  const TReminderList &list = m_reminders;
  m_rows.reserve(std::size_t(list.Count()));
  for (int i = 0; i < list.Count(); ++i) {
    const TDataObject *reminder = list.At(i);
    if (reminder->state != tab)
      continue;
    Row row = makeRow(*reminder);
    if (const auto at = m_rowOf.constFind(row.id); at != m_rowOf.cend() && *at < int(old.size())) {
      Row &before = old[std::size_t(*at)];
      if (before.id == row.id && before.source == row.source) {
        row = std::move(before);
        row.made.reset(ColumnNextRun);
      }
    }
    if (const auto memo = m_nextRuns.constFind(row.id); memo != m_nextRuns.cend())
      nextRuns.insert(row.id, *memo);
    m_rows.push_back(std::move(row));
  }
  m_nextRuns = std::move(nextRuns);
  (void)sortRows();
  indexRows();
  endResetModel();
}

bool TReminderTableModel::FillRow(const QString &id) {
  const int row = rowOf(id);
  const TDataObject *reminder = m_reminders.FindById(id);
  if (row < 0 || !reminder)
    return false;
  m_rows[std::size_t(row)] = makeRow(*reminder);
  emit dataChanged(index(row, 0), index(row, ReminderColumnCount - 1));
  return true;
}

void TReminderTableModel::UpdateRow(const QString &id) {
  const TDataObject *reminder = m_reminders.FindById(id);
  const bool listed = reminder && reminder->state == m_tab;
  const int row = rowOf(id);
  if (listed && row >= 0) {
    (void)FillRow(id);
  } else if (listed) {
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.push_back(makeRow(*reminder));
    m_rowOf.insert(id, at);
    endInsertRows();
  } else if (row >= 0) {
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    indexRows();
    endRemoveRows();
  }
}

void TReminderTableModel::ForgetTexts() {
  for (Row &row : m_rows)
    row.made = std::bitset<ReminderColumnCount>().set(ColumnSubject);
  if (!m_rows.empty())
    emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ReminderColumnCount - 1),
                     {Qt::DisplayRole});
}

void TReminderTableModel::setSortCode(int code) {
  m_sortCode = NormalizeReminderSortCode(code);
  emit headerDataChanged(Qt::Horizontal, 0, ReminderColumnCount - 1);
}

void TReminderTableModel::Sort() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<int> newPlace = sortRows();
  indexRows();
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex &i : from)
    to << index(newPlace[std::size_t(i.row())], i.column());
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

bool TReminderTableModel::RowInOrder(int row) const {
  const int count = int(m_rows.size());
  if (row < 0 || row >= count)
    return true;
  const int column = m_sortCode % DescendingSortCode;
  const TDateTime emptyDate = currentClock().today() + OneDay * EmptyNextRunDays;
  const auto before = [&](int a, int b) {
    (void)cellText(m_rows[std::size_t(a)], column);
    (void)cellText(m_rows[std::size_t(b)], column);
    return CompareReminderRows(m_rows[std::size_t(a)].key, m_rows[std::size_t(b)].key, m_sortCode,
                               emptyDate) < 0;
  };
  // A tie keeps its place in a stable sort: only a neighbour that must come after it (or before)
  // puts a row out of order.
  return (row == 0 || !before(row, row - 1)) && (row + 1 == count || !before(row + 1, row));
}

std::vector<int> TReminderTableModel::sortRows() {
  // The order reads the sort column's text of every row (the subject and the creation are there
  // from the start): those are made first.
  const int column = m_sortCode % DescendingSortCode;
  if (column != ColumnSubject && column != ColumnCreated)
    for (const Row &row : m_rows)
      (void)cellText(row, column);
  std::vector<int> order(m_rows.size());
  std::iota(order.begin(), order.end(), 0);
  const TDateTime emptyDate = currentClock().today() + OneDay * EmptyNextRunDays;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return CompareReminderRows(m_rows[std::size_t(a)].key, m_rows[std::size_t(b)].key, m_sortCode,
                               emptyDate) < 0;
  });
  std::vector<Row> sorted;
  sorted.reserve(m_rows.size());
  std::vector<int> newPlace(m_rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    newPlace[std::size_t(order[i])] = int(i);
    sorted.push_back(std::move(m_rows[std::size_t(order[i])]));
  }
  m_rows = std::move(sorted);
  return newPlace;
}

void TReminderTableModel::indexRows() {
  m_rowOf.clear();
  m_rowOf.reserve(qsizetype(m_rows.size()));
  for (std::size_t i = 0; i < m_rows.size(); ++i)
    m_rowOf.insert(m_rows[i].id, int(i));
}

int TReminderTableModel::rowOf(const QString &id) const {
  const auto at = m_rowOf.constFind(id);
  return at == m_rowOf.cend() ? -1 : *at;
}

QString TReminderTableModel::idAt(int row) const {
  return row >= 0 && row < int(m_rows.size()) ? m_rows[std::size_t(row)].id : QString();
}

void TReminderTableModel::setOddRowColor(TColor color) {
  m_oddRowColor = QColor::fromRgb(ColorToQRgb(color == clBlack ? clWhite : color));
  if (!m_rows.empty())
    emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ReminderColumnCount - 1),
                     {Qt::BackgroundRole});
}

int TReminderTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(m_rows.size());
}

int TReminderTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : ReminderColumnCount;
}

QVariant TReminderTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= int(m_rows.size()))
    return {};
  const Row &row = m_rows[std::size_t(index.row())];
  const int column = index.column();
  switch (role) {
  case Qt::DisplayRole:
    return cellText(row, column);
  case Qt::DecorationRole: {
    const int icon = iconOf(row, column);
    return icon < 0 ? QVariant() : QVariant(iconlibrary::icon(TImageList::Common, icon));
  }
  case IconIndexRole:
    return iconOf(row, column);
  case IdRole:
    return row.id;
  case Qt::BackgroundRole:
    // Rows 1, 3, 5 ... (the second, fourth ...) take the list colour; the others the view's own.
    return index.row() % 2 == 1 && m_oddRowColor.isValid() ? QVariant(m_oddRowColor) : QVariant();
  default:
    return {};
  }
}

QVariant TReminderTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ReminderColumnCount)
    return {};
  const int sortColumn = m_sortCode % DescendingSortCode;
  const int icon = section != sortColumn              ? -1
                   : m_sortCode >= DescendingSortCode ? IconSortDescending
                                                      : IconSortAscending;
  switch (role) {
  case Qt::DisplayRole:
    return m_captions.at(section);
  case Qt::DecorationRole:
    return icon < 0 ? QVariant() : QVariant(iconlibrary::icon(TImageList::Common, icon));
  case IconIndexRole:
    return icon;
  default:
    return {};
  }
}

bool TReminderTableModel::setHeaderData(int section, Qt::Orientation orientation,
                                        const QVariant &value, int role) {
  if (orientation != Qt::Horizontal || section < 0 || section >= ReminderColumnCount ||
      (role != Qt::EditRole && role != Qt::DisplayRole))
    return false;
  m_captions[section] = value.toString();
  emit headerDataChanged(Qt::Horizontal, section, section);
  return true;
}

Qt::ItemFlags TReminderTableModel::flags(const QModelIndex &index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
