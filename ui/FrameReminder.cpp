#include "ui/FrameReminder.h"

#include "ui_FrameReminder.h"

#include "imaging/GIFImage.h"
#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/ModelStartUp.h"
#include "model/Paths.h"
#include "model/ReminderCommands.h"
#include "model/ReminderList.h"
#include "model/ReminderTexts.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StoreFileCommands.h"
#include "runtime/UserInterface.h"
#include "ui/ActionButton.h"
#include "ui/ColumnFitter.h"
#include "ui/IconLibrary.h"
#include "ui/ListViewColor.h"
#include "ui/ReminderTableModel.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/SpeedButtons.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

constexpr int TabCount = 3;
const char *const TabCaptions[TabCount] = {"Active", "Archive", "Trash"};
constexpr int ColumnWidths[ReminderColumnCount] = {150, 50, 70, 50, 30, 45, 40, 50, 100, 100};
constexpr int ClickDelayMs = 300;
// The editor opens a new reminder as Hourly.
constexpr int DefaultRepeatHourly = 2;
constexpr int SpeedButtonTag = 1;
// A picture larger than this (in pixels) is not previewed: it would take gigabytes to draw.
constexpr qint64 MaxPreviewPixels = 16 * 1024 * 1024;

// The place of a cell's picture, as the view's style lays the cell out.
class TIconRectDelegate : public QStyledItemDelegate {
public:
  [[nodiscard]] QRect iconRect(const QAbstractItemView *view, const QModelIndex &index) const {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.rect = view->visualRect(index);
    option.decorationSize = view->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    initStyleOption(&option, index);
    if (!option.features.testFlag(QStyleOptionViewItem::HasDecoration))
      return {};
    return view->style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, view);
  }
};

// The action a click on an action cell's picture switches; none for other columns.
std::optional<TReminderAction> actionOfColumn(int column) {
  switch (column) {
  case ColumnSticker:
    return TReminderAction::Sticker;
  case ColumnIco:
    return TReminderAction::TrayIcon;
  case ColumnSound:
    return TReminderAction::Sound;
  case ColumnMail:
    return TReminderAction::Mail;
  case ColumnProgram:
    return TReminderAction::Program;
  default:
    return std::nullopt;
  }
}

QPixmap renderPicture(const TGraphic *graphic) {
  if (!graphic || graphic->empty() || graphic->width() <= 0 || graphic->height() <= 0 ||
      qint64(graphic->width()) * graphic->height() > MaxPreviewPixels)
    return {};
  QImage image(graphic->width(), graphic->height(), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull())
    return {};
  image.fill(Qt::transparent);
  QPainter painter(&image);
  graphic->draw(painter, image.rect());
  painter.end();
  return QPixmap::fromImage(image);
}

QColor qColor(TColor color) { return QColor::fromRgb(ColorToQRgb(color)); }

} // namespace

TFrameReminder::TFrameReminder(TModel &model, IUserInterface &userInterface, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameReminder>()), m_model(model),
      m_userInterface(userInterface), m_table(new TReminderTableModel(m_model.Reminders(), this)),
      m_timerClick(new QTimer(this)), m_popupMenu(new QMenu(this)) {
  ui->setupUi(this);
  MarkAsLanguageFrame(this);
  for (int i = 0; i < TabCount; ++i)
    ui->TabControlReminder->addTab(iconlibrary::icon(TImageList::Reminder, i),
                                   QString::fromLatin1(TabCaptions[i]));
  ui->StaticText1->setStyleSheet(
      QStringLiteral("QLabel { font-family: \"Tahoma\"; font-weight: bold; font-size: 21px; "
                     "color: %1; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
                     "stop:0 %2, stop:1 %3); }")
          .arg(qColor(clHighlightText).name(), qColor(clActiveCaption).name(),
               qColor(clGradientActiveCaption).name()));

  QTreeView *view = ui->ListViewReminder;
  view->setModel(m_table);
  m_columns = new TColumnFitter(view);
  for (int c = 0; c < ReminderColumnCount; ++c)
    m_columns->SetWidth(c, ColumnWidths[c], false);
  view->header()->setSectionsClickable(true);
  view->installEventFilter(this);
  view->viewport()->installEventFilter(this);
  ui->PanelImage->installEventFilter(this);
  ui->GIFAnimator->setAutoSize(false);
  ui->GIFAnimator->setCenter(true);

  // The single click waits until a double-click can no longer come, so that a double-click never
  // switches an action.
  m_timerClick->setObjectName(QStringLiteral("TimerClick"));
  m_timerClick->setSingleShot(true);
  m_timerClick->setInterval(std::max(ClickDelayMs, QApplication::doubleClickInterval()));
  m_popupMenu->setObjectName(QStringLiteral("PopupMenu1"));
  m_popupMenu->addAction(ui->ActionColorSelect);

  const std::pair<QPushButton *, QAction *> buttons[] = {
      {ui->Button1, ui->ActionAdd},       {ui->Button2, ui->ActionEdit},
      {ui->Button3, ui->ActionDelete},    {ui->Button4, ui->ActionToActive},
      {ui->Button5, ui->ActionToArchive}, {ui->Button6, ui->ActionAddCopy}};
  for (const auto &[button, action] : buttons)
    BindButtonToAction(button, action);

  const auto on = [this](QAction *action, void (TFrameReminder::*handler)()) {
    connect(action, &QAction::triggered, this, Reported([this, handler] { (this->*handler)(); }));
  };
  on(ui->ActionAdd, &TFrameReminder::ActionAddExecute);
  on(ui->ActionEdit, &TFrameReminder::ActionEditExecute);
  on(ui->ActionDelete, &TFrameReminder::ActionDeleteExecute);
  on(ui->ActionToActive, &TFrameReminder::ActionToActiveExecute);
  on(ui->ActionToArchive, &TFrameReminder::ActionToArchiveExecute);
  on(ui->ActionAddCopy, &TFrameReminder::ActionAddCopyExecute);
  on(ui->ActionColorSelect, &TFrameReminder::ActionColorSelectExecute);
  connect(m_timerClick, &QTimer::timeout, this, Reported([this] { timerClickTimer(); }));
  connect(ui->TabControlReminder, &QTabBar::currentChanged, this,
          Reported([this] { tabChanged(); }));
  connect(view->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { RunReported([&] { columnClicked(column); }); });
  connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, Reported([this] {
            if (!m_filling)
              updatePreview();
          }));
  connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint &at) {
    m_popupMenu->popup(view->viewport()->mapToGlobal(at));
  });
}

TFrameReminder::~TFrameReminder() = default;

QTreeView *TFrameReminder::list() const { return ui->ListViewReminder; }

TReminderState TFrameReminder::tab() const {
  return TReminderState(std::clamp(ui->TabControlReminder->currentIndex(), 0, TabCount - 1));
}

QAction *TFrameReminder::action(const QString &name) const {
  return findChild<QAction *>(name, Qt::FindDirectChildrenOnly);
}

// --- Options ------------------------------------------------------------------------------------

void TFrameReminder::LoadOptions() {
  const TMMemIniFile &ini = m_model.MainSettings();
  const QString section = settings_keys::FrameReminder;
  // A saved width wins; the others fit what they show ("Next run" with its time, whole captions).
  for (int c = 0; c < ReminderColumnCount; ++c) {
    const QString key = settings_keys::ListViewReminderColumn + QString::number(c);
    m_columns->SetWidth(c, ini.readInteger(section, key, ColumnWidths[c]),
                        ini.valueExists(section, key));
  }
  m_table->setSortCode(ini.readInteger(section, settings_keys::ReminderColumnSorting, 0));
  m_listViewColor = StoredListViewColor(m_model.LocalSettings());
  m_table->setOddRowColor(m_listViewColor);
}

void TFrameReminder::SaveOptions() {
  TMMemIniFile &ini = m_model.MainSettings();
  const QString section = settings_keys::FrameReminder;
  for (int c = 0; c < ReminderColumnCount; ++c)
    ini.writeInteger(section, settings_keys::ListViewReminderColumn + QString::number(c),
                     ui->ListViewReminder->columnWidth(c));
  ini.writeInteger(section, settings_keys::ReminderColumnSorting, m_table->sortCode());
  m_model.LocalSettings().writeString(section, settings_keys::ListViewColor,
                                      ColorToString(m_listViewColor));
}

// --- Showing ------------------------------------------------------------------------------------

void TFrameReminder::Init() {
  Translate();
  tabChanged();
  if (m_table->rowCount() == 0)
    clearPreview();
  else
    ui->ListViewReminder->selectionModel()->setCurrentIndex(
        m_table->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFrameReminder::Translate() {
  RunReported([this] { LoadFormLanguageFile(this, GetLanguageFileName(m_model)); });
  for (int i = 0; i < TabCount; ++i)
    ui->TabControlReminder->setTabText(i, TranslateText(QString::fromLatin1(TabCaptions[i])));
  // The language file may carry a caption of its own for the header bar; it names the tab.
  ui->StaticText1->setText(
      ui->TabControlReminder->tabText(ui->TabControlReminder->currentIndex()).trimmed() +
      QLatin1Char(' '));
  ClearSpeedButtonCaptions(this, SpeedButtonTag);
  SpeedButtonHintsFromActions(this);
  // The rows' translated words ("Enable", the repeat types) are made again in the new language.
  m_table->ForgetTexts();
  // Captions of another language may be longer: they are not cut ("Next rur").
  m_columns->Refit();
}

void TFrameReminder::FocusList() {
  if (ui->ListViewReminder->isVisible() && ui->ListViewReminder->isEnabled())
    ui->ListViewReminder->setFocus();
}

void TFrameReminder::tabChanged() {
  const TReminderState state = tab();
  ui->StaticText1->setText(ui->TabControlReminder->tabText(int(state)).trimmed() +
                           QLatin1Char(' '));
  ui->ActionToArchive->setEnabled(state != TReminderState::Archive);
  ui->ActionToActive->setEnabled(state != TReminderState::Active);
  ui->ActionAdd->setEnabled(state != TReminderState::Trash);
  ui->ActionAddCopy->setEnabled(state != TReminderState::Trash);
  FillList();
}

// --- Rows ---------------------------------------------------------------------------------------

void TFrameReminder::FillList() {
  QTreeView *view = ui->ListViewReminder;
  QItemSelectionModel *selection = view->selectionModel();
  QStringList selectedIds;
  GetSelectedIds(&selectedIds);
  const QSet<QString> selected(selectedIds.cbegin(), selectedIds.cend());
  const QString current = m_table->idAt(view->currentIndex().row());
  const QString top = m_table->idAt(view->indexAt(QPoint(0, 0)).row());

  m_table->Fill(tab());

  // One pass over the rows, whole runs of selected rows at a time: thousands of rows may be
  // selected.
  QItemSelection rows;
  const int count = m_table->rowCount();
  for (int row = 0; row < count; ++row) {
    if (!selected.contains(m_table->idAt(row)))
      continue;
    int last = row;
    while (last + 1 < count && selected.contains(m_table->idAt(last + 1)))
      ++last;
    rows.select(m_table->index(row, 0), m_table->index(last, ReminderColumnCount - 1));
    row = last;
  }
  m_filling = true; // one preview at the end, not one per change on the way
  selection->select(rows, QItemSelectionModel::ClearAndSelect);
  if (const int row = m_table->rowOf(current); row >= 0)
    selection->setCurrentIndex(m_table->index(row, 0), QItemSelectionModel::NoUpdate);
  m_filling = false;
  if (const int row = m_table->rowOf(top); row >= 0)
    view->scrollTo(m_table->index(row, 0), QAbstractItemView::PositionAtTop);
  m_columns->Fit();
  updatePreview();
}

int TFrameReminder::MissingListWidth() const {
  return m_columns->NeededWidth() - ui->ListViewReminder->width();
}

void TFrameReminder::SelectById(const QString &id) {
  // A reminder of another state (a sticker clicked after its reminder moved) is shown on its tab.
  if (const TDataObject *reminder = m_model.Reminders().FindById(id);
      reminder && reminder->state != tab() && int(reminder->state) >= 0 &&
      int(reminder->state) < TabCount)
    ui->TabControlReminder->setCurrentIndex(int(reminder->state));
  selectRow(id);
  if (const int row = m_table->rowOf(id); row >= 0)
    ui->ListViewReminder->scrollTo(m_table->index(row, 0));
}

void TFrameReminder::selectRow(const QString &id) {
  if (selectedId() == id)
    return;
  QItemSelectionModel *selection = ui->ListViewReminder->selectionModel();
  const int row = m_table->rowOf(id);
  if (row < 0)
    selection->clearSelection();
  else
    selection->setCurrentIndex(m_table->index(row, 0),
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFrameReminder::RefreshById(const QString &id) {
  if (m_table->FillRow(id))
    keepInOrder(id);
}

// Each firing refreshes its row: a row that keeps its place leaves the list as it is.
void TFrameReminder::keepInOrder(const QString &id) {
  if (!m_table->RowInOrder(m_table->rowOf(id)))
    SortList();
}

void TFrameReminder::SortList() { m_table->Sort(); }

void TFrameReminder::columnClicked(int column) {
  m_table->setSortCode(NextReminderSortCode(m_table->sortCode(), column));
  SortList();
}

void TFrameReminder::GetSelectedIds(QStringList *ids) const {
  if (!ids)
    return;
  ids->clear();
  QModelIndexList rows = ui->ListViewReminder->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  for (const QModelIndex &row : std::as_const(rows))
    if (const QString id = m_table->idAt(row.row()); !id.isEmpty())
      *ids << id;
}

QString TFrameReminder::selectedId() const {
  QStringList ids;
  GetSelectedIds(&ids);
  return ids.value(0);
}

// --- Clicks and keys ----------------------------------------------------------------------------

bool TFrameReminder::eventFilter(QObject *watched, QEvent *event) {
  QTreeView *view = ui->ListViewReminder;
  if (watched == view->viewport()) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (const auto *e = static_cast<QMouseEvent *>(event); e->button() == Qt::LeftButton) {
        m_clickAt = e->position().toPoint();
        m_clickId = m_table->idAt(view->indexAt(m_clickAt).row());
        m_pressed = true;
      }
      break;
    case QEvent::MouseButtonRelease:
      if (m_pressed) {
        m_pressed = false;
        m_timerClick->start();
      }
      break;
    case QEvent::MouseButtonDblClick:
      // The release that ends a double-click starts no timer either.
      m_pressed = false;
      m_timerClick->stop();
      doubleClicked(static_cast<QMouseEvent *>(event)->position().toPoint());
      return true;
    default:
      break;
    }
  } else if (watched == view && event->type() == QEvent::KeyPress) {
    QAction *run = nullptr;
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Insert:
      run = ui->ActionAdd;
      break;
    case Qt::Key_Delete:
      run = ui->ActionDelete;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      run = ui->ActionEdit;
      break;
    default:
      break;
    }
    if (run) {
      // Run from the event loop, not inside the key event: the action may open a dialog.
      QMetaObject::invokeMethod(run, &QAction::trigger, Qt::QueuedConnection);
      return true;
    }
  } else if (watched == ui->PanelImage && event->type() == QEvent::Resize) {
    showPicture();
  }
  return QWidget::eventFilter(watched, event);
}

void TFrameReminder::timerClickTimer() {
  m_timerClick->stop();
  // 1. The cell pressed, in viewport coordinates; the subject column only selects as any click.
  //    A reload or a scroll since the press may have put another reminder there: then nothing.
  const QModelIndex cell = ui->ListViewReminder->indexAt(m_clickAt);
  const QString id = m_table->idAt(cell.row());
  if (!cell.isValid() || cell.column() == ColumnSubject || id != m_clickId)
    return;
  // 2. On the cell's picture: the action of that column switches (the command writes it into
  //    the store item and has the row refreshed, which may sort it elsewhere).
  const std::optional<TReminderAction> action = actionOfColumn(cell.column());
  const bool switched =
      action && iconRect(cell).contains(m_clickAt) && ToggleReminderAction(m_model, id, *action);
  // 3. Anywhere in the cell: the row becomes the only selected one.
  if (const int row = m_table->rowOf(id); row >= 0)
    ui->ListViewReminder->selectionModel()->setCurrentIndex(
        m_table->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (switched)
    updatePreview();
}

QRect TFrameReminder::iconRect(const QModelIndex &index) const {
  return TIconRectDelegate().iconRect(ui->ListViewReminder, index);
}

void TFrameReminder::doubleClicked(const QPoint &at) {
  QTreeView *view = ui->ListViewReminder;
  if (!view->selectionModel()->hasSelection()) {
    const QModelIndex cell = view->indexAt(at);
    if (!cell.isValid())
      return;
    view->selectionModel()->setCurrentIndex(m_table->index(cell.row(), 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
  }
  QMetaObject::invokeMethod(ui->ActionEdit, &QAction::trigger, Qt::QueuedConnection);
}

// --- List operations ----------------------------------------------------------------------------

void TFrameReminder::ActionAddExecute() { editReminder(true); }

void TFrameReminder::ActionEditExecute() { editReminder(false); }

void TFrameReminder::editReminder(bool add) {
  QString id;
  if (add) {
    id = NewReminderId;
    ResetNewReminderTemplate(m_model);
  } else {
    id = selectedId();
    if (id.isEmpty())
      return;
  }
  // The editor runs an event loop: the page may be gone when it returns.
  const QPointer<TFrameReminder> self(this);
  const bool confirmed = m_userInterface.EditReminder(int(tab()), id, DefaultRepeatHourly);
  // Only the edited reminder changed: its row alone is made again (a new one is added, one that
  // left the tab goes), where rebuilding every row froze the window of a long list.
  if (self && (!add || confirmed)) {
    m_table->UpdateRow(id);
    keepInOrder(id);
    selectRow(id);
    updatePreview();
  }
  if (!add || confirmed)
    PostCheckReminder(m_model, id);
  if (confirmed)
    SaveBackup();
}

void TFrameReminder::ActionDeleteExecute() {
  QStringList &pending = m_model.PendingDeleteIds();
  GetSelectedIds(&pending);
  if (pending.isEmpty())
    return;
  if (tab() == TReminderState::Trash &&
      !uiPrompts().askYesNo(TranslateText(QStringLiteral("Delete?"))))
    return;
  (void)DeleteReminders(m_model, 0);
  SaveBackup();
}

void TFrameReminder::ActionToActiveExecute() { moveSelected(TReminderState::Active); }

void TFrameReminder::ActionToArchiveExecute() { moveSelected(TReminderState::Archive); }

void TFrameReminder::moveSelected(TReminderState state) {
  QStringList ids;
  GetSelectedIds(&ids);
  (void)MoveReminders(m_model, ids, state);
}

void TFrameReminder::ActionAddCopyExecute() {
  const QString newId = CopyReminder(m_model, selectedId());
  if (!newId.isEmpty())
    SelectById(newId);
}

void TFrameReminder::ActionColorSelectExecute() {
  const std::optional<TColor> color = uiPrompts().chooseColor(m_listViewColor);
  if (!color)
    return;
  m_listViewColor = *color;
  // The log page reads the same setting.
  m_model.LocalSettings().writeString(settings_keys::FrameReminder, settings_keys::ListViewColor,
                                      ColorToString(m_listViewColor));
  m_table->setOddRowColor(m_listViewColor);
}

// The whole store into the backup file; the store shows a failure itself.
void TFrameReminder::SaveBackup() { SaveStoreBackup(m_model); }

// --- Preview ------------------------------------------------------------------------------------

void TFrameReminder::clearPreview() {
  ui->GIFAnimator->setAnimate(false);
  ui->GIFAnimator->setImage(nullptr);
  m_picture = QPixmap();
  ui->ImagePicture->clear();
  QPalette palette = ui->RichEditText->palette();
  palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
  ui->RichEditText->setPalette(palette);
  ui->RichEditText->clear();
  ui->RichEditInfo->clear();
}

void TFrameReminder::updatePreview() {
  clearPreview();
  const TDataObject *reminder = m_model.Reminders().FindById(selectedId());
  if (!reminder)
    return;
  const TStickerRec &sticker = reminder->sticker;
  const TStickerImages images = LoadStickerImages(m_model, *reminder);
  ui->GIFAnimator->setImage(dynamic_cast<const TGIFImage *>(images.movingImage.get()));
  ui->GIFAnimator->setTransparent(sticker.movingImage.transparent);
  ui->GIFAnimator->setVisible(sticker.movingImage.enable);
  ui->GIFAnimator->setAnimate(true);
  m_picture = renderPicture(images.image.get());
  ui->ImagePicture->setVisible(sticker.image.enable);
  showPicture();
  if (sticker.enable && !sticker.background.transparent) {
    QPalette palette = ui->RichEditText->palette();
    palette.setColor(QPalette::Base, qColor(TColor(sticker.background.color)));
    ui->RichEditText->setPalette(palette);
  }
  ui->RichEditText->setPlainText(
      QString(reminder->text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
  ui->RichEditInfo->setPlainText(GetScheduleSummary(*reminder));
}

void TFrameReminder::showPicture() {
  const QSize room = ui->PanelImage->size();
  if (m_picture.isNull() || room.isEmpty()) {
    ui->ImagePicture->clear();
    return;
  }
  // Shrunk to the panel when larger, never enlarged.
  const bool larger = m_picture.width() > room.width() || m_picture.height() > room.height();
  ui->ImagePicture->setPixmap(
      larger ? m_picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation) : m_picture);
}
