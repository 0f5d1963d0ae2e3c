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
  bool (*on)(const TDataObject &);
};

constexpr ActionCell ActionCells[] = {
    {ColumnSticker, 20, [](const TDataObject &r) { return r.sticker.enable; }},
    {ColumnIco, 20, [](const TDataObject &r) { return r.tray; }},
    {ColumnSound, 4, [](const TDataObject &r) { return r.sound.enable; }},
    {ColumnMail, 6, [](const TDataObject &r) { return r.mail.enable; }},
    {ColumnProgram, 25, [](const TDataObject &r) { return r.shellExec.enable; }},
};

const char *const Captions[ReminderColumnCount] = {
    "Subject", "Type", "Next run", "Sticker", "Ico", "Sound", "Mail", "Program", "Text", "Created"};

// A next run that cannot be worked out leaves the cell empty.
TDateTime nextRunOf(const TDataObject &reminder) {
  try {
    return reminder.GetNextRunTime(currentClock().now());
  } catch (const std::exception &) {
    return TDateTime();
  }
}

} // namespace

TReminderTableModel::TReminderTableModel(const TReminderList &reminders, QObject *parent)
    : QAbstractTableModel(parent), m_reminders(reminders) {
  for (const char *caption : Captions)
    m_captions << QString::fromLatin1(caption);
}

TReminderTableModel::Row TReminderTableModel::MakeRow(const TDataObject &reminder,
                                                      TReminderState tab) {
  Row row;
  row.id = reminder.Id;
  row.icons.fill(-1);
  auto &texts = row.key.texts;
  texts[ColumnSubject] = reminder.subject;
  row.icons[ColumnSubject] = !reminder.enable                ? IconDisabled
                             : tab == TReminderState::Active ? IconActive
                                                             : IconArchived;
  const QString type = CodeName(RepeatTypeNames, reminder.repeat.type);
  texts[ColumnType] = type.isEmpty() ? QString() : TranslateText(type);
  if (tab == TReminderState::Active && reminder.enable) {
    row.key.nextRun = nextRunOf(reminder);
    if (row.key.nextRun != TDateTime())
      texts[ColumnNextRun] = DateTimeToStr(row.key.nextRun);
  }
  for (const ActionCell &cell : ActionCells) {
    const bool on = cell.on(reminder);
    texts[cell.column] = on ? TranslateText(QStringLiteral("Enable")) : QString();
    row.icons[cell.column] = on ? cell.iconOn : IconActionOff;
  }
  texts[ColumnText] = FlattenLineBreaks(reminder.text);
  row.key.created = reminder.createDt;
  texts[ColumnCreated] = DateTimeToStr(reminder.createDt);
  return row;
}

void TReminderTableModel::Fill(TReminderState tab) {
  beginResetModel();
  m_tab = tab;
  m_rows.clear();
  const TReminderList &list = m_reminders;
  for (int i = 0; i < list.Count(); ++i)
    if (const TDataObject *reminder = list.At(i); reminder->state == tab)
      m_rows.push_back(MakeRow(*reminder, tab));
  (void)sortRows();
  endResetModel();
}

bool TReminderTableModel::FillRow(const QString &id) {
  const int row = rowOf(id);
  const TDataObject *reminder = m_reminders.FindById(id);
  if (row < 0 || !reminder)
    return false;
  m_rows[std::size_t(row)] = MakeRow(*reminder, m_tab);
  emit dataChanged(index(row, 0), index(row, ReminderColumnCount - 1));
  return true;
}

void TReminderTableModel::setSortCode(int code) {
  m_sortCode = NormalizeReminderSortCode(code);
  emit headerDataChanged(Qt::Horizontal, 0, ReminderColumnCount - 1);
}

void TReminderTableModel::Sort() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<int> newPlace = sortRows();
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex &i : from)
    to << index(newPlace[std::size_t(i.row())], i.column());
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> TReminderTableModel::sortRows() {
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

int TReminderTableModel::rowOf(const QString &id) const {
  const auto it =
      std::find_if(m_rows.begin(), m_rows.end(), [&](const Row &row) { return row.id == id; });
  return it == m_rows.end() ? -1 : int(it - m_rows.begin());
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
    return row.key.texts[std::size_t(column)];
  case Qt::DecorationRole: {
    const int icon = row.icons[std::size_t(column)];
    return icon < 0 ? QVariant() : QVariant(iconlibrary::icon(TImageList::Common, icon));
  }
  case IconIndexRole:
    return row.icons[std::size_t(column)];
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
