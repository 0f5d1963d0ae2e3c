#include "ui/FrameLog.h"

#include "model/Model.h"

#include "ui_FrameLog.h"

#include "imaging/Color.h"
#include "model/LogFile.h"
#include "model/LogIndex.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "runtime/UserInterface.h"
#include "services/DelayWithMessages.h"
#include "ui/ActionButton.h"
#include "ui/ColumnFitter.h"
#include "ui/IconLibrary.h"
#include "ui/ListViewColor.h"
#include "ui/LogDates.h"
#include "ui/LogTableModel.h"
#include "ui/ReportErrors.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/WaitCursor.h"

#include <QHeaderView>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

constexpr int kReadAttempts = 20;
constexpr int kRetryPauseMs = 50;
constexpr int kDefaultTreeWidth = 150;
constexpr int kLeastTreeWidth = 50;
constexpr int kRootIcon = 11;
constexpr int kCollapsedRootIcon = 40;
constexpr int kDayRole = Qt::UserRole;
// A reminder is opened at no list position, with the default repeat type hourly.
constexpr int kNoListPosition = -1;
constexpr int kDefaultRepeatType = 2;

int defaultColumnWidth(int column) {
  return column >= TLogTableModel::ColumnSticker && column <= TLogTableModel::ColumnProgram ? 20
                                                                                            : 100;
}

QColor paintColor(TColor color) {
  return QColor::fromRgb(color == clBlack ? ColorToQRgb(clWhite) : ColorToQRgb(color));
}

} // namespace

TFrameLog::TFrameLog(TModel &model, IUserInterface &userInterface, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameLog>()), m_model(model),
      m_userInterface(userInterface), m_table(new TLogTableModel(this)),
      m_retryPause(DelayWithMessages) {
  ui->setupUi(this);
  ui->ListViewLog->setModel(m_table);
  // The text, last, takes what the other columns leave of the list's width.
  m_columns = new TColumnFitter(ui->ListViewLog);
  for (int c = 0; c < TLogTableModel::ColumnCount; ++c)
    m_columns->SetWidth(c, defaultColumnWidth(c), false);
  QHeaderView *header = ui->ListViewLog->header();
  header->setSectionsClickable(true);

  connect(ui->TreeViewSelect, &QTreeWidget::currentItemChanged, this, [this] {
    showDateBoxes();
    ApplyFilter();
  });
  connect(ui->TreeViewSelect, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem *item) { updateRootIcon(item); });
  connect(ui->TreeViewSelect, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem *item) { updateRootIcon(item); });
  connect(header, &QHeaderView::sectionClicked, this, [this](int c) { columnClicked(c); });
  connect(ui->ListViewLog, &QAbstractItemView::doubleClicked, this,
          [this] { openReminderOfSelection(); });
  connect(ui->ActionLogRefresh, &QAction::triggered, this, [this] { Refresh(); });
  BindButtonToAction(ui->ButtonLogRefresh, ui->ActionLogRefresh);
}

TFrameLog::~TFrameLog() = default;

void TFrameLog::setRetryPause(std::function<void(int ms)> pause) {
  m_retryPause = std::move(pause);
}

void TFrameLog::LoadOptions() {
  const TMMemIniFile &ini = m_model.LocalSettings();
  const QString section = settings_keys::FrameLog;
  const int treeWidth = std::max(
      kLeastTreeWidth, ini.readInteger(section, settings_keys::TreeViewWidth, kDefaultTreeWidth));
  ui->Splitter1->setSizes({treeWidth, std::max(1, width() - treeWidth)});
  // Columns without a saved width are fitted to what they show once the page shows lines.
  for (int c = 0; c < TLogTableModel::ColumnCount; ++c) {
    const QString key = settings_keys::ListViewLogColumn + QString::number(c);
    m_columns->SetWidth(c, ini.readInteger(section, key, defaultColumnWidth(c)),
                        ini.valueExists(section, key));
  }
  m_table->setSortOrder(
      ini.readInteger(section, settings_keys::ListViewLogSort, TLogTableModel::SortNewestFirst));
}

void TFrameLog::SaveOptions() {
  TMMemIniFile &ini = m_model.LocalSettings();
  const QString section = settings_keys::FrameLog;
  ini.writeInteger(section, settings_keys::TreeViewWidth, ui->Splitter1->sizes().value(0));
  for (int c = 0; c < TLogTableModel::ColumnCount; ++c)
    ini.writeInteger(section, settings_keys::ListViewLogColumn + QString::number(c),
                     ui->ListViewLog->columnWidth(c));
  ini.writeInteger(section, settings_keys::ListViewLogSort, m_table->sortOrder());
}

void TFrameLog::Init() {
  ui->MaskEditFromDate->setInputMask(LogDateMask());
  ui->MaskEditToDate->setInputMask(LogDateMask());
  ui->MaskEditFromDate->setText(LogDateText(currentClock().today() - OneDay * 7));
  ui->MaskEditToDate->clear();
}

void TFrameLog::Activate() {
  applyRowColors();
  fillDayTree(); // the lines are filtered once they are read
  Refresh();
}

void TFrameLog::Done() {
  m_table->setIndex({});
  m_table->applyFilter(TDateTime(), TDateTime());
}

void TFrameLog::Translate() {
  RunReported([this] { LoadFormLanguageFile(this, GetLanguageFileName(m_model)); });
  // The day list's top entry bears the page's caption.
  if (QTreeWidgetItem *root = ui->TreeViewSelect->topLevelItem(0))
    root->setText(0,
                  ui->PageControlLog->tabText(ui->PageControlLog->indexOf(ui->TabSheetEventLog)));
  m_columns->Refit();
}

void TFrameLog::BuildDayTree() {
  fillDayTree();
  ApplyFilter();
}

void TFrameLog::fillDayTree() {
  QTreeWidget *tree = ui->TreeViewSelect;
  const QSignalBlocker quiet(tree); // no filter for each change on the way
  tree->clear();
  auto *root = new QTreeWidgetItem(
      tree, {ui->PageControlLog->tabText(ui->PageControlLog->indexOf(ui->TabSheetEventLog))});
  for (const TLogDay &d : LogDayList(currentClock().today(), LogClearPeriodDays(m_model))) {
    auto *item = new QTreeWidgetItem(root, {d.caption});
    item->setData(0, kDayRole, QVariant::fromValue<qint64>(d.day.ms));
    iconlibrary::setItemIcon(item, 0, TImageList::Common, d.icon);
  }
  root->setExpanded(true);
  updateRootIcon(root);
  tree->setCurrentItem(root->childCount() > 0 ? root->child(0) : root);
  showDateBoxes();
}

void TFrameLog::updateRootIcon(QTreeWidgetItem *item) {
  if (item->parent())
    return;
  iconlibrary::setItemIcon(item, 0, TImageList::Common,
                           item->isExpanded() ? kRootIcon : kCollapsedRootIcon);
}

void TFrameLog::showDateBoxes() {
  const QTreeWidgetItem *current = ui->TreeViewSelect->currentItem();
  const bool range = current && !current->parent();
  for (QWidget *w :
       {static_cast<QWidget *>(ui->LabelLogFromDate), static_cast<QWidget *>(ui->MaskEditFromDate),
        static_cast<QWidget *>(ui->LabelLogToDate), static_cast<QWidget *>(ui->MaskEditToDate)})
    w->setVisible(range);
}

void TFrameLog::ApplyFilter() {
  const QTreeWidgetItem *current = ui->TreeViewSelect->currentItem();
  if (!current)
    return;
  if (!current->parent()) {
    m_table->applyFilter(LogDateBound(ui->MaskEditFromDate->text()),
                         LogDateBound(ui->MaskEditToDate->text()));
  } else if (!current->parent()->parent()) {
    const TDateTime day(current->data(0, kDayRole).toLongLong());
    m_table->applyFilter(day, day + OneDay);
  }
}

void TFrameLog::Refresh() {
  // The pause between attempts handles events, and with them perhaps another Refresh.
  if (m_reading)
    return;
  {
    const QScopedValueRollback<bool> reading(m_reading, true);
    const TWaitCursor wait;
    loadLogFile();
  }
  ApplyFilter();
  // The date with its time, the subject, the icons under their captions.
  m_columns->Fit();
}

void TFrameLog::loadLogFile() {
  // Another program may be writing the log or moving it into place: try again for a while.
  for (int attempt = 1; attempt < kReadAttempts; ++attempt) {
    try {
      m_table->setIndex(TLogIndex::Read(GetLogFileName(m_model)));
      return;
    } catch (const ETolvaneError &) {
    }
    m_retryPause(kRetryPauseMs);
  }
  // The log is only a record: when it stays unreadable the user is told, the lines read before
  // stay on show and the program goes on.
  RunReported([this] { m_table->setIndex(TLogIndex::Read(GetLogFileName(m_model))); });
}

void TFrameLog::columnClicked(int column) {
  if (column != TLogTableModel::ColumnDateTime)
    return;
  m_table->setSortOrder(m_table->sortOrder() == TLogTableModel::SortNewestFirst
                            ? TLogTableModel::SortFileOrder
                            : TLogTableModel::SortNewestFirst);
  ApplyFilter();
}

void TFrameLog::openReminderOfSelection() {
  QModelIndexList rows = ui->ListViewLog->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  for (const QModelIndex &row : rows) {
    QString id = row.data(TLogTableModel::IdRole).toString();
    if (id.isEmpty())
      continue;
    // A line outlives its reminder (deleted since, or kept in another store): the editor would
    // have nothing to load, so such a line opens nothing.
    if (!m_model.Reminders().FindById(id))
      return;
    (void)m_userInterface.EditReminder(kNoListPosition, id, kDefaultRepeatType);
    return;
  }
}

void TFrameLog::applyRowColors() {
  m_table->setRowColors(paintColor(StoredListViewColor(m_model.LocalSettings())),
                        ui->TreeViewSelect->palette().color(QPalette::Base));
}
