#include "ui/LogTableModel.h"

#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "platform/FormatSettings.h"
#include "ui/IconLibrary.h"

#include <utility>

namespace {

// Field numbers of a log line.
enum Field {
  FieldTime = 1,
  FieldUser = 2,
  FieldEvent = 3,
  FieldSubject = 4,
  FieldSticker = 5,
  FieldText = 10,
  FieldId = 11
};

constexpr int kMarkNewestFirst = 7;
constexpr int kMarkFileOrder = 8;

struct ActionCell {
  const char *word; // what the log writes when the action ran
  int icon;
};
// Columns 3 to 7 read fields 5 to 9.
constexpr ActionCell kActions[] = {
    {"Sticker", 20}, {"Ico", 20}, {"Sound", 4}, {"Mail", 6}, {"ShellExec", 25}};

int eventIcon(const QString &event) {
  static const std::pair<const char *, int> icons[] = {{"Program start", 39}, {"Program stop", 34},
                                                       {"Pause on", 5},       {"Pause off", 43},
                                                       {"Start", 14},         {"Stop", 13}};
  for (const auto &[word, icon] : icons)
    if (event == QLatin1String(word))
      return icon;
  return -1;
}

QString field(const QStringList &fields, int n) {
  return n < fields.size() ? fields[n] : QString();
}

bool readTime(const QStringList &fields, TDateTime &t) {
  double days = 0;
  if (fields.size() <= FieldTime || !TryStrToFloat(fields[FieldTime], days))
    return false;
  t = FromDays(days);
  return true;
}

} // namespace

TLogTableModel::TLogTableModel(QObject *parent)
    : QAbstractTableModel(parent), m_captions{
                                       QStringLiteral("Date/Time"), QStringLiteral("User name"),
                                       QStringLiteral("Subject"),   QStringLiteral("Sticker"),
                                       QStringLiteral("Ico"),       QStringLiteral("Sound"),
                                       QStringLiteral("Mail"),      QStringLiteral("Program"),
                                       QStringLiteral("Text")} {}

void TLogTableModel::setRowColors(const QColor &odd, const QColor &even) {
  m_oddColor = odd;
  m_evenColor = even;
  if (!m_shown.empty())
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::BackgroundRole});
}

void TLogTableModel::setIndex(TLogIndex index) {
  beginResetModel();
  m_shown.clear();
  m_cachedRow = -1;
  m_index = std::move(index);
  endResetModel();
}

void TLogTableModel::applyFilter(TDateTime from, TDateTime to) {
  beginResetModel();
  m_shown.clear();
  m_cachedRow = -1;
  const int n = m_index.Count();
  const bool newestFirst = m_sort == SortNewestFirst;
  const bool bounded = from.isSet() || to.isSet();
  for (int k = 0; k < n; ++k) {
    const int i = newestFirst ? n - 1 - k : k;
    const TDateTime t = m_index.At(i).time;
    if (bounded && (!t.isSet() || (from.isSet() && t < from) || (to.isSet() && t > to)))
      continue;
    m_shown.push_back(i);
  }
  endResetModel();
  emit headerDataChanged(Qt::Horizontal, ColumnDateTime, ColumnDateTime);
}

int TLogTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

int TLogTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

const QStringList &TLogTableModel::fieldsOf(int row) const {
  if (row != m_cachedRow) {
    SplitLogLine(m_index.LineText(m_shown[static_cast<size_t>(row)]), m_cachedFields);
    m_cachedRow = row;
  }
  return m_cachedFields;
}

QString TLogTableModel::text(int column, const QStringList &fields) const {
  switch (column) {
  case ColumnDateTime: {
    TDateTime t;
    if (!readTime(fields, t))
      return {};
    return DateToStr(t) + QStringLiteral("        ") + TimeToStr(t);
  }
  case ColumnUser:
    return field(fields, FieldUser);
  case ColumnSubject: {
    const QString subject = field(fields, FieldSubject);
    // Only the program's own words are translated; a subject is the user's text.
    if (subject == QLatin1String("Program start") || subject == QLatin1String("Program stop") ||
        subject == QLatin1String("Error"))
      return TranslateText(subject);
    return subject;
  }
  case ColumnText:
    return field(fields, FieldText);
  default:
    return {}; // the action columns show an icon only
  }
}

int TLogTableModel::iconNumber(int column, const QStringList &fields) const {
  int icon = -1;
  if (column == ColumnSubject) {
    icon = eventIcon(field(fields, FieldEvent));
  } else if (column >= ColumnSticker && column <= ColumnProgram) {
    const ActionCell &a = kActions[column - ColumnSticker];
    if (field(fields, FieldSticker + column - ColumnSticker) == QLatin1String(a.word))
      icon = a.icon;
  }
  return icon;
}

QVariant TLogTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
    return {};
  switch (role) {
  case Qt::DisplayRole:
    return text(index.column(), fieldsOf(index.row()));
  case IconIndexRole:
    return iconNumber(index.column(), fieldsOf(index.row()));
  case Qt::DecorationRole: {
    const int icon = iconNumber(index.column(), fieldsOf(index.row()));
    return icon < 0 ? QVariant() : QVariant(iconlibrary::icon(TImageList::Common, icon));
  }
  case IdRole:
    return field(fieldsOf(index.row()), FieldId);
  case Qt::BackgroundRole: {
    const QColor &c = index.row() % 2 ? m_oddColor : m_evenColor;
    return c.isValid() ? QVariant(c) : QVariant();
  }
  default:
    return {};
  }
}

QVariant TLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  const int mark = m_sort < SortFileOrder ? kMarkNewestFirst : kMarkFileOrder;
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    return m_captions[section];
  case IconIndexRole:
    return section == ColumnDateTime ? mark : -1;
  case Qt::DecorationRole:
    return section == ColumnDateTime ? QVariant(iconlibrary::icon(TImageList::Common, mark))
                                     : QVariant();
  default:
    return {};
  }
}

bool TLogTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                   int role) {
  if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount ||
      (role != Qt::EditRole && role != Qt::DisplayRole))
    return false;
  m_captions[section] = value.toString();
  emit headerDataChanged(orientation, section, section);
  return true;
}

Qt::ItemFlags TLogTableModel::flags(const QModelIndex &index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
