#include "ui/FormMain.h"

#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StoreFileCommands.h"
#include "model/XMLStore.h"
#include "platform/MemIniFile.h"
#include "services/ShellExecute.h"
#include "services/TextHelpers.h"
#include "services/VersionInfo.h"
#include "ui/FormAbout.h"
#include "ui/FrameLog.h"
#include "ui/FrameMix.h"
#include "ui/FrameReminder.h"
#include "ui/HubForm.h"
#include "ui/IconLibrary.h"
#include "ui/ProgramHelp.h"
#include "ui/ReportErrors.h"
#include "ui/SendSelected.h"
#include "ui/UiPrompts.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/SpeedButtons.h"
#include "widgets/WaitCursor.h"
#include "widgets/WindowHelpers.h"

#include "ui_FormMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace keys = settings_keys;

namespace {

// The menu bar's titles as the window was designed with them (a QString property).
constexpr const char *EnglishTitle = "englishTitle";
// The page list's width as designed, for the English captions.
constexpr int kPageListWidth = 86;

} // namespace

namespace {

QPointer<TFormMain> &openForm() {
  static QPointer<TFormMain> form;
  return form;
}

const QString CrLf = QStringLiteral("\r\n");

// The wait cursor while a file is read or written, restored on every path.
QString folderOf(const QString &file) { return QFileInfo(file).absolutePath(); }

// The file dialog of an action on store files, titled like the action.
TFileChoice storeFileChoice(const QAction *action, const QString &folder, bool save) {
  TFileChoice choice;
  choice.title = action->text().remove(QLatin1Char('&'));
  choice.folder = folder;
  choice.filter = QStringLiteral("Xml files (*.xml)|*.XML");
  choice.defaultExt = QStringLiteral("xml");
  choice.confirmOverwrite = save;
  return choice;
}

} // namespace

// ---- The one main window ----

TFormMain *TFormMain::Instance() { return openForm().data(); }

void TFormMain::ShowPage(TModel &model, IUserInterface &ui, int page) {
  TFormMain *form = Instance();
  if (!form) {
    form = new TFormMain(model, ui);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->setWindowTitle(QStringLiteral("Tolvane"));
    openForm() = form;
    form->SetPage(page);
    form->show();
  } else {
    form->SetPage(page);
  }
  // Brought forward explicitly: a window manager may otherwise keep it behind the active window
  // when the request comes from the tray or from a second start.
  BringWindowForward(form, true);
}

WindowHandle TFormMain::Handle() {
  const TFormMain *form = Instance();
  return form ? form->HubHandle() : 0;
}

void TFormMain::SetHideTrayIconCheckedIfOpen(bool checked) {
  if (TFormMain *form = Instance(); form && form->m_options.SetHideTrayIconChecked)
    form->m_options.SetHideTrayIconChecked(checked);
}

void TFormMain::CloseIfOpen() {
  if (TFormMain *form = Instance())
    form->close();
}

// ---- Creation ----

TFormMain::TFormMain(TModel &model, IUserInterface &userInterface, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::FormMain>()), m_model(model) {
  ui->setupUi(this);
  for (QMenu *menu : {ui->MenuFile, ui->MenuView, ui->MenuHelp})
    menu->setProperty(EnglishTitle, menu->title());
  m_hub = new THubForm(this, m_model);
  for (QAction *action : findChildren<QAction *>()) {
    const QVariant image = action->property("imageIndex");
    if (image.isValid())
      action->setIcon(iconlibrary::icon(TImageList::Common, image.toInt()));
  }
  const int pageImages[] = {0, 2, 3};
  for (int i = 0; i < ui->ListViewMain->count(); ++i)
    iconlibrary::setItemIcon(ui->ListViewMain->item(i), TImageList::Main, pageImages[i]);
  const int panelWidths[] = {90, 250, 0};
  for (int i = 0; i < 3; ++i) {
    // Without a name: the panels' texts are no captions of a language file.
    m_panels[i] = new QLabel(this);
    if (panelWidths[i] > 0) {
      m_panels[i]->setFixedWidth(panelWidths[i]);
      m_panels[i]->setAlignment(Qt::AlignCenter);
    }
    ui->StatusBar1->addWidget(m_panels[i], panelWidths[i] > 0 ? 0 : 1);
  }
  placePages(userInterface);
  connectActions();
  handleMessages();
  loadSettings();
}

TFormMain::~TFormMain() {
  if (openForm() == this)
    openForm() = nullptr;
}

// Each page is placed by its own line. The pages open the reminder editor through the user
// interface.
void TFormMain::placePages(IUserInterface &userInterface) {
  m_reminders = ReminderPageOf(new TFrameReminder(m_model, userInterface, this));
  m_options = OptionsPageOf(new TFrameMix(m_model, this));
  m_log = LogPageOf(new TFrameLog(m_model, userInterface, this));
  for (QWidget *page : {m_reminders.widget, m_options.widget, m_log.widget}) {
    MarkAsLanguageFrame(page);
    ui->PanelFrame->addWidget(page);
  }
}

void TFormMain::connectActions() {
  const auto on = [this](QAction *action, void (TFormMain::*handler)()) {
    connect(action, &QAction::triggered, this, Reported([this, handler] { (this->*handler)(); }));
  };
  on(ui->ActionFileOpen, &TFormMain::ActionFileOpenExecute);
  on(ui->ActionFileAdd, &TFormMain::ActionFileAddExecute);
  on(ui->ActionSave, &TFormMain::ActionSaveExecute);
  on(ui->ActionFileSaveAllToFile, &TFormMain::ActionFileSaveAllToFileExecute);
  on(ui->ActionFileSaveSelected, &TFormMain::ActionFileSaveSelectedExecute);
  on(ui->ActionShowAllStickers, &TFormMain::ActionShowAllStickersExecute);
  connect(ui->ActionClose, &QAction::triggered, this, &QWidget::close);
  // The master ends the program; it closes this window first.
  connect(ui->ActionShutDown, &QAction::triggered, this,
          [] { (void)hub().send(MasterWindowHandle(), msg::WM_CLOSE); });
  connect(ui->ActionReminders, &QAction::triggered, this, [this] { SetPage(PageReminders); });
  connect(ui->ActionOptions, &QAction::triggered, this, [this] { SetPage(PageOptions); });
  connect(ui->ActionLog, &QAction::triggered, this, [this] { SetPage(PageLog); });
  // As F1 does: without a browser or without the help file the user is told where the file is.
  connect(ui->ActionHelp, &QAction::triggered, this, [this] { (void)OpenProgramHelp(this); });
  connect(ui->ActionHelpFaq, &QAction::triggered, this, [] { (void)OpenProgramHelpAt(60); });
  connect(ui->ActionSendSelectedByMail, &QAction::triggered, this, Reported([this] {
            QStringList ids;
            m_reminders.GetSelectedIds(&ids);
            SendSelectedByMail(m_model, ids);
          }));
  connect(ui->ActionAbout, &QAction::triggered, this,
          [this] { (void)TFormAbout::ShowAboutBox(m_model, ui->ActionAbout->text(), this); });
  connect(ui->ButtonLng, &QPushButton::clicked, this, Reported([this] { MakeLng(); }));
  connect(ui->ListViewMain, &QListWidget::itemSelectionChanged, this,
          Reported([this] { listViewMainSelectItem(); }));
}

void TFormMain::handleMessages() {
  // Messages that arrive after the close steps (from a sender that kept the handle) find nothing.
  m_hub->onMessage(msg::WM_REFRESH_LIST, [this](uintptr_t, intptr_t) -> intptr_t {
    if (!m_closed)
      UpdateStoreStatus();
    return 0;
  });
  m_hub->onMessage(msg::WM_SELECT_REMINDER, [this](uintptr_t number, intptr_t) -> intptr_t {
    if (number != 0 && !m_closed && reminderPageVisible()) {
      const QString id = m_model.Reminders().IdOf(int32_t(number));
      if (!id.isEmpty())
        m_reminders.SelectById(id);
    }
    return 0;
  });
  m_hub->onMessage(msg::WM_REMINDER_UPDATED, [this](uintptr_t number, intptr_t) -> intptr_t {
    if (number != 0 && !m_closed && reminderPageVisible())
      m_reminders.RefreshById(m_model.Reminders().IdOf(int32_t(number)));
    return 0;
  });
  m_hub->onMessage(msg::WM_LANGUAGE_CHANGED, [this](uintptr_t, intptr_t) -> intptr_t {
    if (m_closed)
      return 0;
    Translate();
    // The rows' texts (types, next runs, "Never occurs") kept the old language until the list
    // was filled again.
    m_reminders.FillList();
    return 0;
  });
}

WindowHandle TFormMain::HubHandle() const { return m_closed ? 0 : m_hub->handle(); }

QAction *TFormMain::Action(const QString &name) const { return findChild<QAction *>(name); }

QLabel *TFormMain::StatusPanel(int index) const {
  return index >= 0 && index < 3 ? m_panels[index] : nullptr;
}

QString TFormMain::folderSetting(const QString &key) const {
  return m_model.MainSettings().readString(keys::FormMain, key, folderOf(GetDataFileName(m_model)));
}

void TFormMain::loadSettings() {
  setMinimumSize(keys::FormMainDesignWidth, keys::FormMainDesignHeight);
  m_hub->RestoreBounds(TBoundsKeys::PositionAndSize);
  m_openDir = folderSetting(keys::CurrentFileNameDir);
  m_saveSelectedDir = folderSetting(keys::CurrentSaveAsFileNameDir);
  m_addDir = folderSetting(keys::CurrentAddFileNameDir);
  m_saveAllDir = m_model.MainSettings().readString(keys::FormMain, keys::CurrentSaveAllFileNameDir,
                                                   QDir::homePath());
  m_reminders.LoadOptions();
  m_log.LoadOptions();
}

void TFormMain::saveSettings() {
  m_hub->SaveBounds();
  m_model.MainSettings().writeString(keys::FormMain, keys::CurrentFileNameDir, m_openDir);
  m_model.MainSettings().writeString(keys::FormMain, keys::CurrentSaveAsFileNameDir,
                                     m_saveSelectedDir);
  m_model.MainSettings().writeString(keys::FormMain, keys::CurrentSaveAllFileNameDir, m_saveAllDir);
  m_model.MainSettings().writeString(keys::FormMain, keys::CurrentAddFileNameDir, m_addDir);
  m_reminders.SaveOptions();
  m_log.SaveOptions();
  (void)SaveMainSettings(m_model);
  (void)SaveLocalSettings(m_model);
}

// ---- Showing, pages, actions state ----

void TFormMain::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  if (event->spontaneous())
    return;
  RunReported([this] { RefreshAll(); });
  // Selecting the page's item shows the page; an item already selected shows it here, once.
  QListWidgetItem *item = ui->ListViewMain->item(m_page);
  if (item->isSelected())
    listViewMainSelectItem();
  else
    ui->ListViewMain->setCurrentItem(item);
  // Once laid out at its first size: a size the user gave the window is kept.
  if (!m_model.MainSettings().valueExists(keys::FormMain, keys::Width))
    QTimer::singleShot(0, this, [this] { widenToShowEveryColumn(); });
}

// At its design size the window showed the reminder list's columns only up to Mail. Without a
// size of the user's it opens as wide as every column needs, as far as the screen allows, centred
// again unless the user placed it.
void TFormMain::widenToShowEveryColumn() {
  const QScreen *shownOn = screen();
  const int missing = m_reminders.MissingListWidth();
  if (!shownOn || missing <= 0 || m_closed)
    return;
  const QRect area = shownOn->availableGeometry();
  const QRect frame = frameGeometry();
  const int frameWidth = frame.width() - width();
  const int wanted = std::min(width() + missing, area.width() - frameWidth);
  if (wanted <= width())
    return;
  int left = frame.left();
  if (!m_model.MainSettings().valueExists(keys::FormMain, keys::Left))
    left = area.left() + (area.width() - wanted - frameWidth) / 2;
  left =
      std::clamp(left, area.left(), std::max(area.left(), area.right() + 1 - wanted - frameWidth));
  resize(wanted, height());
  move(left, y());
}

void TFormMain::RefreshAll() {
  Translate();
  ClearSpeedButtonCaptions(this, 1);
  m_panels[1]->setText(GetVersionText());
  m_reminders.Init();
  m_options.LoadOptions();
  m_log.Init();
  UpdateStoreStatus();
}

void TFormMain::Translate() {
  // The menu bar's titles are messages; a caption the language file gives them itself, applied
  // next, wins.
  for (QMenu *menu : {ui->MenuFile, ui->MenuView, ui->MenuHelp})
    menu->setTitle(TranslateText(menu->property(EnglishTitle).toString()));
  m_reminders.Translate();
  m_log.Translate();
  m_hub->ApplyLanguage();
  fitPageList();
}

// The page list's captions wrap between words. A new caption resizes its item but leaves every
// item in its old place and repaints only the new rectangle: longer captions ran into each other,
// and after shorter ones the old text below them stayed on the screen ("Log" over "Log"); a word
// wider than the list was cut. The list is laid out for the captions it has and painted whole,
// as wide as its widest item and never narrower than designed.
void TFormMain::fitPageList() {
  QListWidget *pages = ui->ListViewMain;
  pages->doItemsLayout();
  const int items = pages->sizeHintForColumn(0) + 2 * pages->spacing() + 2 * pages->frameWidth();
  pages->setFixedWidth(std::max(kPageListWidth, items));
  pages->doItemsLayout();
  pages->viewport()->update();
}

void TFormMain::UpdateStoreStatus() {
  m_panels[2]->setText(m_model.Store().FileName());
  m_reminders.FillList();
}

void TFormMain::SetPage(int page) {
  m_page = std::clamp(page, int(PageReminders), int(PageLog));
  if (isVisible())
    ui->ListViewMain->setCurrentRow(m_page);
}

bool TFormMain::reminderPageVisible() const {
  return ui->PanelFrame->currentWidget() == m_reminders.widget && m_reminders.widget->isVisible();
}

void TFormMain::listViewMainSelectItem() {
  const QList<QListWidgetItem *> selected = ui->ListViewMain->selectedItems();
  if (!selected.isEmpty()) {
    m_page = ui->ListViewMain->row(selected.first());
    QWidget *const pages[] = {m_reminders.widget, m_options.widget, m_log.widget};
    ui->PanelFrame->setCurrentWidget(pages[m_page]);
    if (m_page == PageReminders)
      m_reminders.FocusList();
    else if (m_page == PageLog)
      m_log.Activate();
  }
  UpdateActions();
}

void TFormMain::UpdateActions() {
  const bool reminders = ui->PanelFrame->currentWidget() == m_reminders.widget;
  ui->ActionFileOpen->setEnabled(
      reminders && !m_model.LocalSettings().readBool(keys::Main, keys::UseLocalFolder, false));
  for (QAction *action :
       {ui->ActionFileSaveSelected, ui->ActionFileSaveAllToFile, ui->ActionFileAdd, ui->ActionSave,
        ui->ActionShowAllStickers, ui->ActionSendSelectedByMail})
    action->setEnabled(reminders);
  // Leaving the reminder page ends demo mode; the master finds out on its next check.
  if (!ui->ListViewMain->item(PageReminders)->isSelected()) {
    ui->ActionShowAllStickers->setChecked(false);
    m_model.SetDemoMode(false);
  }
}

// ---- Closing ----

void TFormMain::closeEvent(QCloseEvent *event) {
  if (!m_closed)
    RunReported([this] { formClose(); });
  m_closed = true;
  if (openForm() == this)
    openForm() = nullptr;
  event->accept();
}

void TFormMain::formClose() {
  m_model.SetDemoMode(false);
  m_options.Apply();
  m_log.Done();
  saveSettings();
}

// ---- File actions ----

void TFormMain::ActionFileOpenExecute() {
  const QString file = uiPrompts().openFile(storeFileChoice(ui->ActionFileOpen, m_openDir, false));
  if (file.isEmpty())
    return;
  // Another store is opened only when this one's changes are safe on disk.
  if (OpenStoreFile(m_model, file))
    m_openDir = folderOf(file);
}

void TFormMain::ActionFileAddExecute() {
  // The file first: a cancelled dialog asks nothing.
  const QString file = uiPrompts().openFile(storeFileChoice(ui->ActionFileAdd, m_addDir, false));
  if (file.isEmpty())
    return;
  m_addDir = folderOf(file);
  // Whether to update is asked only of a reminder file; one that is none is refused first.
  TImportResult result;
  {
    std::optional<TWaitCursor> wait(std::in_place);
    result = ImportStoreFile(m_model, file, [&wait] {
      wait.reset(); // no wait cursor over the question
      return uiPrompts().askYesNo(
          TranslateText(QStringLiteral("If the same reminders are found, update them?")));
    });
  }
  if (!result.read)
    return;
  if (result.count == 0) {
    uiPrompts().notice(TranslateText(QStringLiteral("New reminders are not found!")));
    return;
  }
  if (!result.saved)
    return;
  const QStringList &disarmed = result.disarmed;
  QString text = TranslateFormat(QStringLiteral("Added or updated %d reminders!"), {result.count});
  // A received file must not start programs or send mail through the user's server: such
  // actions arrive switched off, and the user is told which, to switch them on in the editor.
  if (!disarmed.isEmpty()) {
    constexpr qsizetype MaxNamed = 10;
    text += CrLf + CrLf +
            TranslateText(QStringLiteral("Program and mail actions are switched off for:"));
    for (qsizetype i = 0; i < std::min(disarmed.size(), MaxNamed); ++i)
      text += CrLf + QStringLiteral("  ") + FlattenLineBreaks(disarmed[i]).left(80);
    if (disarmed.size() > MaxNamed)
      text += CrLf + QStringLiteral("  ...");
  }
  uiPrompts().notice(text);
}

void TFormMain::ActionSaveExecute() {
  if (SaveStore(m_model))
    uiPrompts().notice(TranslateText(QStringLiteral("Done!")));
}

void TFormMain::ActionFileSaveAllToFileExecute() {
  const QString file =
      uiPrompts().saveFile(storeFileChoice(ui->ActionFileSaveAllToFile, m_saveAllDir, true));
  if (file.isEmpty())
    return;
  m_saveAllDir = folderOf(file);
  (void)ExportAllReminders(m_model, file);
}

void TFormMain::ActionFileSaveSelectedExecute() {
  const QString file =
      uiPrompts().saveFile(storeFileChoice(ui->ActionFileSaveSelected, m_saveSelectedDir, true));
  if (file.isEmpty())
    return;
  QStringList ids;
  m_reminders.GetSelectedIds(&ids);
  const TExportResult result = ExportReminders(m_model, ids, file);
  // A refused file is not remembered as the folder to start in.
  if (result == TExportResult::Done || result == TExportResult::NotSaved)
    m_saveSelectedDir = folderOf(file);
}

// ---- Other commands ----

void TFormMain::ActionShowAllStickersExecute() {
  m_model.SetDemoMode(ui->ActionShowAllStickers->isChecked());
  (void)hub().send(MasterWindowHandle(), msg::WM_DEMO_MODE_CHANGED);
}

void TFormMain::MakeLng() {
  const QString file = GetDefaultLanguageFileName();
  for (QWidget *w :
       {static_cast<QWidget *>(this), m_reminders.widget, m_options.widget, m_log.widget})
    SaveFormLanguageFile(w, file);
  WriteDefaultLanguageFile(file);
}
