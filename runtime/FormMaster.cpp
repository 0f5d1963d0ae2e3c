#include "runtime/FormMaster.h"

#include "imaging/Icon.h"
#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "model/LogPurge.h"
#include "model/Model.h"
#include "model/ModelStartUp.h"
#include "model/NotifyWindows.h"
#include "model/Paths.h"
#include "model/ReminderCommands.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StoreChange.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "runtime/ReminderRuntime.h"
#include "runtime/Ticker.h"
#include "runtime/UserInterface.h"
#include "services/DelayWithMessages.h"
#include "services/SystemInfo.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/TrayHostMonitor.h"
#include "widgets/TrayIconUnit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QTimer>

#include <cstdio>

namespace keys = settings_keys;

// Resources of a static library are registered by hand.
static void initMasterResources() { Q_INIT_RESOURCE(master); }

namespace {

// The tray pictures by resource name; the names are matched without regard to case.
QString trayPicturePath(const QString &name) {
  static const QStringList names{QStringLiteral("I16"), QStringLiteral("I16S"),
                                 QStringLiteral("IXP"), QStringLiteral("IXPS")};
  for (const QString &n : names)
    if (n.compare(name, Qt::CaseInsensitive) == 0)
      return QStringLiteral(":/master/tray/%1.ico").arg(n);
  return {};
}

} // namespace

TFormMaster::TFormMaster(TModel &model, IUserInterface &ui, std::unique_ptr<TTicker> ticker)
    : m_model(model), m_ui(ui), m_runtime(std::make_unique<TIdleReminderRuntime>()),
      m_timer(ticker ? std::move(ticker) : std::make_unique<TPreciseTicker>()) {
  initMasterResources();
  setObjectName(QLatin1String(MasterWindowName));
  // The handle exists from the start: the reminder runtime is made before FormCreate, and the
  // model finds the window by its name from here on.
  m_handle = hub().registerWindow(this);
  m_timer->OnTimer = [this] { m_runtime->Timer1Timer(); };
  m_timer->SetEnabled(true);
  m_trayIcon = new TTrayIcon(this, false);
  m_trayIcon->setObjectName(QStringLiteral("TrayIcon1"));
  buildActions();
  buildMenus();
  m_trayIcon->SetPopupMenu(m_popupMenuMaster);
  m_trayIcon->OnDblClick = [this](TTrayIcon *) { TrayIcon1DblClick(); };
}

void TFormMaster::FormCreate() {
  if (m_created)
    return;
  m_created = true;
  // 1. The master is never shown.
  // 2. Caption and tip.
  setWindowTitle(QStringLiteral("Tolvane"));
  m_trayIcon->SetHint(QStringLiteral("Tolvane"));
  // 3. Application hooks.
  installApplicationHooks();
  // 4. The handle other windows send to: registered with the window, found by its name.
  // 5. No taskbar entry: a window that is never shown has none.
  // 6. The language table.
  CreateLanguageTable();
  LoadLanguageFile(GetLanguageFileName(m_model));
  // 7. The tray menu's items into the popup's "Main menu".
  copyTrayMenuIntoMainMenu();
  // 8. - 13.
  UpdateTrayIcon();
  ApplySettings(); // before the store is loaded, so a pause restored here closes nothing
  languageChanged();
  // The icon is painted before the store loads: it docks at once, but its picture waits for
  // the window system's events, which a large store held back by half a second.
  if (m_trayIcon->Active()) {
    QGuiApplication::sync();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  reloadStore();
  purgeLog();
  RebuildAddAsMenus();
}

TFormMaster::~TFormMaster() {
  hub().unregisterWindow(m_handle);
  m_timer->SetEnabled(false);
  m_timer->OnTimer = nullptr;
  // The runtime's outputs may still refer to the master's menus.
  m_runtime.reset();
  if (m_created) {
    errors::setExceptionHandler({});
    FreeLanguageTable(); // FormDestroy
  }
}

void TFormMaster::SetReminderRuntime(std::unique_ptr<IReminderRuntime> runtime) {
  m_runtime = runtime ? std::move(runtime) : std::make_unique<TIdleReminderRuntime>();
}

bool TFormMaster::Paused() const { return !m_timer->Enabled(); }

uint TFormMaster::TaskbarCreatedMessage() {
  static const uint number = hub().registerWindowMessage(QStringLiteral("TaskbarCreated"));
  return number;
}

void TFormMaster::installApplicationHooks() {
  errors::setExceptionHandler([this](const QString &message) { ApplicationException(message); });
  if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
              if (state == Qt::ApplicationActive) // ApplicationActivate
                BroadcastToWindows(m_model, msg::WM_REFRESH_CONTROLS, 0, 0);
              else if (state == Qt::ApplicationInactive) // the deactivation notice
                m_runtime->RaiseOnTopStickers();
            });
  }
  // A tray host that starts again wants the icon again, as a new taskbar did.
  m_hostMonitor =
      new TTrayHostMonitor([this] { (void)hub().post(m_handle, TaskbarCreatedMessage()); }, this);
}

void TFormMaster::ApplicationException(const QString &message) {
  if (m_failing) {
    // A second failure while the first is shown: the program is ending anyway.
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return;
  }
  m_failing = true;
  m_ui.ShowException(message);
  emit Closed(1);
}

// ---- Settings, pause, tray ----

void TFormMaster::ApplySettings() {
  const TMMemIniFile &settings = m_model.MainSettings();
  const bool active = !settings.readBool(keys::Main, keys::HideTrayIcon, false);
  if (m_trayIcon->Active() != active)
    m_trayIcon->SetActive(active);
  if (settings.readBool(keys::Main, keys::NotStopped, true) != m_timer->Enabled())
    ActionPauseExecute(false);
}

void TFormMaster::applyPauseCaption() {
  QAction *pause = Action(QStringLiteral("ActionPause"));
  if (Paused()) {
    pause->setText(TranslateText(QStringLiteral("Start")));
    pause->setIcon(ImageListIcon(1));
  } else {
    pause->setText(TranslateText(QStringLiteral("Stop")));
    pause->setIcon(ImageListIcon(8));
  }
}

void TFormMaster::ActionPauseExecute(bool withSender) {
  m_timer->SetEnabled(!m_timer->Enabled());
  if (m_timer->Enabled()) {
    applyPauseCaption();
    WriteLog(m_model, QStringLiteral("Pause off"));
  } else {
    m_runtime->CloseAllReminders();
    applyPauseCaption();
    WriteLog(m_model, QStringLiteral("Pause on"));
  }
  UpdateTrayIcon();
  if (withSender) {
    m_model.MainSettings().writeBool(keys::Main, keys::NotStopped, m_timer->Enabled());
    (void)SaveMainSettings(m_model);
  }
}

void TFormMaster::UpdateTrayIcon() {
  m_trayIcon->SetAnimated(false);
  QString name =
      IsWindowsXPFamily() || IsWindowsVistaFamily() ? QStringLiteral("iXP") : QStringLiteral("i16");
  if (Paused())
    name += QLatin1Char('s');
  const QString path = trayPicturePath(name);
  if (path.isEmpty())
    return;
  try {
    TIcon icon;
    icon.loadFromFile(path);
    m_trayIcon->SetIcon(&icon);
  } catch (const ETolvaneError &) {
    // A picture that cannot be read leaves the previous one in place.
  }
}

void TFormMaster::ActionHideExecute() {
  if (m_ui.MainWindowHandle() != 0) {
    m_ui.SetHideTrayIconChecked(true);
    m_ui.CloseMainWindow();
    return;
  }
  m_trayIcon->SetActive(false);
  m_model.MainSettings().writeBool(keys::Main, keys::HideTrayIcon, true);
  (void)SaveMainSettings(m_model);
}

void TFormMaster::ActionMainExecute() {
  m_ui.ShowMainWindowPage(Action(QStringLiteral("ActionMain"))->text(), 0);
}

void TFormMaster::TrayIcon1DblClick() {
  if (QWidget *active = QApplication::activeWindow()) {
    // The window manager may refuse; the main window comes forward on its own then.
    active->raise();
    active->activateWindow();
  }
  Action(QStringLiteral("ActionMain"))->trigger();
}

void TFormMaster::ActionReminderAddExecute(bool withSender) {
  QString id = QStringLiteral("new");
  if (withSender)
    ResetNewReminderTemplate(m_model);
  if (!m_ui.EditReminder(0, id, 2))
    return;
  RebuildAddAsMenus();
  (void)hub().send(m_ui.MainWindowHandle(), msg::WM_REFRESH_LIST);
}

void TFormMaster::ActionShutDownExecute() {
  if (m_closing)
    return;
  m_closing = true;
  // Nothing fires once the stop is under way: not the check a pump inside it ran this from, not
  // a tick or a message while the close steps run. (The timer stays as it is until the end: the
  // close steps apply the settings, whose pause state it must still show.)
  m_runtime->EndChecks();
  // The main window's close steps run first (its options applied, both settings files written):
  // ending the message loop closes no window, so they would never run otherwise.
  m_ui.CloseMainWindow();
  // FormCloseQuery
  m_runtime->FinishMail();
  WriteLog(m_model, QStringLiteral("Program stop"));
  m_timer->SetEnabled(false);
  emit Closed(0);
}

void TFormMaster::closeEvent(QCloseEvent *e) {
  ActionShutDownExecute();
  e->accept();
}

void TFormMaster::taskbarCreated() {
  if (!m_trayIcon->Active())
    return;
  m_trayIcon->SetActive(false);
  try {
    DelayWithMessages(5);
  } catch (...) {
    // The icon comes back whatever happened meanwhile.
  }
  m_trayIcon->SetActive(true);
}

// A large log took seconds to purge, and the start waited for it: the purge now begins once the
// program is up (the message loop runs), on a thread of its own, with the file and the limit of
// this moment.
void TFormMaster::purgeLog() {
  QTimer::singleShot(0, this, [this] {
    if (!m_logPurge)
      m_logPurge = std::make_unique<TBackgroundLogPurge>();
    m_logPurge->Start(GetLogFileName(m_model), LogPurgeLimit(m_model, currentClock().today()));
  });
}

void TFormMaster::WaitForLogPurge() {
  if (m_logPurge)
    m_logPurge->Wait();
}

// ---- Messages ----

void TFormMaster::reloadStore() {
  ReloadStore(m_model);
  refreshAfterReload();
}

// Every reminder object is new: the firings are matched to them by id again, and those whose
// reminder left the store end.
void TFormMaster::refreshAfterReload() {
  m_runtime->RemindersReloaded();
  (void)hub().send(m_ui.MainWindowHandle(), msg::WM_REFRESH_LIST);
  if (!Paused())
    m_runtime->CheckAllReminders();
}

void TFormMaster::StoreReloaded() {
  refreshAfterReload();
  // A copy or a reminder read from another file may be offered as a template, a deleted one no
  // more.
  RebuildAddAsMenus();
}

void TFormMaster::RemindersChanged() {
  // A reminder deleted in memory only takes its firing with it all the same.
  m_runtime->RemindersReloaded();
  (void)hub().send(m_ui.MainWindowHandle(), msg::WM_REFRESH_LIST);
  RebuildAddAsMenus();
}

void TFormMaster::ReminderUpdated(int32_t number) {
  (void)hub().send(m_ui.MainWindowHandle(), msg::WM_REMINDER_UPDATED,
                   static_cast<uintptr_t>(number));
}

void TFormMaster::languageChanged() {
  const QString name = GetLanguageFileName(m_model);
  try {
    LoadFormLanguageFile(this, name);
  } catch (const ETolvaneError &e) {
    errors::reportInfo(e.message()); // the old captions stay
  }
  LoadLanguageFile(name);
  // The form's language section holds the design caption of ActionPause ("Stop"), which would
  // otherwise show while paused: the caption follows the pause state again.
  applyPauseCaption();
  (void)hub().send(m_ui.MainWindowHandle(), msg::WM_LANGUAGE_CHANGED);
}

bool TFormMaster::event(QEvent *e) {
  if (HubEvent *m = HubEvent::cast(e)) {
    handleMessage(m->message(), m->wParam(), m->lParam());
    return true;
  }
  return QWidget::event(e);
}

void TFormMaster::handleMessage(uint message, uintptr_t wParam, intptr_t lParam) {
  const int number = static_cast<int>(wParam);
  switch (message) {
  case msg::WM_CLOSE:
    ActionShutDownExecute();
    break;
  case msg::WM_CLOSE_REMINDER:
    m_runtime->CloseReminder(number, false);
    break;
  case msg::WM_REMINDER_CHANGED:
    // Also while paused. The reminder object is replaced; the check finds it again by number.
    if (TDataObject *reminder = m_model.Reminders().FindByNumber(number))
      RefreshReminder(m_model, reminder);
    m_runtime->CheckAllReminders();
    break;
  case msg::WM_DELETE_REMINDERS:
    // The delete command saves, reads the store again and tells this window (StoreReloaded).
    (void)DeleteReminders(m_model, number);
    break;
  case msg::WM_RELOAD_STORE:
    reloadStore();
    break;
  case msg::WM_SHOW_MAIN_WINDOW:
    ActionMainExecute();
    break;
  case msg::WM_SETTINGS_CHANGED:
    ApplySettings();
    RebuildAddAsMenus();
    break;
  case msg::WM_LANGUAGE_CHANGED:
    languageChanged();
    break;
  case msg::WM_CHECK_REMINDER:
    if (!Paused())
      m_runtime->CheckReminder(number);
    break;
  case msg::WM_STOP_REMINDER_OUTPUTS:
    m_runtime->StopReminderOutputs(number);
    break;
  case msg::WM_DEMO_MODE_CHANGED:
    if (m_model.DemoMode() && Paused())
      ActionPauseExecute(true);
    break;
  case msg::MM_MCINOTIFY:
    if (wParam == msg::MCI_NOTIFY_SUCCESSFUL)
      m_runtime->HandleSoundNotify(static_cast<quint16>(lParam & 0xFFFF));
    break;
  default:
    if (message == TaskbarCreatedMessage())
      taskbarCreated();
    break;
  }
}
