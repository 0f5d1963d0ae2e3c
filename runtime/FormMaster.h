#pragma once

#include "model/ModelListener.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderRuntime.h"
#include "runtime/Ticker.h"

#include <QHash>
#include <QIcon>
#include <QWidget>

#include <memory>

class TBackgroundLogPurge;

class IUserInterface;
class QAction;
class QMenu;
class TModel;
class TTrayHostMonitor;
class TTrayIcon;

// The program's hidden master window. It is never shown. It owns the one-second timer (Timer1)
// that checks the reminders, the program's tray icon (TrayIcon1) with its menu
// (PopupMenuMaster), the popup menu of a firing reminder (PopupMenuObject), the pause state, and
// it is the window every other window sends its messages to (the hub handle Handle(), which the
// model finds by the window's name, MasterWindowHandle).
//
// Its actions and menu items carry the component names of the language files ("ActionPause",
// "Main1", ...). FormCreate sets everything up in a fixed order: language, tray picture,
// settings (tray icon and pause), store and reminders, log purge, "Add as" menus.
//
// It is the model's listener (IModelListener): what the model's commands change reaches the main
// window (WM_REFRESH_LIST, WM_REMINDER_UPDATED), the reminder check and the "Add as" menus
// through it. The forms never ask it to reload the store: the commands do that themselves.
//
// It works on the model it is handed: its settings, store, reminder list, template, demo switch
// and log. The master is destroyed after the model has shut down: it owns the language table,
// which the model's last messages still use; by then it runs nothing and touches no model.
class TFormMaster : public QWidget, public IModelListener {
  Q_OBJECT
public:
  // The ticker defaults to the precise one-second ticker; the tray icon's backend comes from the
  // tray icon's process-wide factory. The user interface outlives the window; the model lives
  // until the window's work is done (see above).
  TFormMaster(TModel &model, IUserInterface &ui, std::unique_ptr<TTicker> ticker = {});
  ~TFormMaster() override;
  TFormMaster(const TFormMaster &) = delete;
  TFormMaster &operator=(const TFormMaster &) = delete;

  // The creation proper (FormCreate): language, tray picture, settings, store, log purge, "Add
  // as" menus. Runs once; the reminder runtime is set before.
  void FormCreate();

  // The reminder check, fire and close (an idle one until set).
  void SetReminderRuntime(std::unique_ptr<IReminderRuntime> runtime);
  [[nodiscard]] IReminderRuntime &ReminderRuntime() const { return *m_runtime; }

  [[nodiscard]] WindowHandle Handle() const { return m_handle; }
  [[nodiscard]] TTicker &Timer1() const { return *m_timer; }
  [[nodiscard]] bool Paused() const;
  [[nodiscard]] TTrayIcon &TrayIcon1() const { return *m_trayIcon; }
  [[nodiscard]] QMenu &PopupMenuMaster() const { return *m_popupMenuMaster; }
  [[nodiscard]] QMenu &PopupMenuObject() const { return *m_popupMenuObject; }
  [[nodiscard]] QMenu &PopupMenuObjectMainMenu() const { return *m_objectMainMenu; }
  // The "Add as" submenu of the tray menu and its copy in the popup's "Main menu".
  [[nodiscard]] QMenu &AddAsMenu() const { return *m_addAsMenu; }
  [[nodiscard]] QMenu *AddAsMenuCopy() const;
  // An action or menu item by its component name; null when there is none.
  [[nodiscard]] QAction *Action(const QString &name) const;
  // The run-time number PopupMenuObject acts on (its Tag), 0 for none.
  [[nodiscard]] int PopupMenuObjectTag() const;
  void SetPopupMenuObjectTag(int number);
  // A picture of ImageList1 (null icon for an index that has none).
  [[nodiscard]] static QIcon ImageListIcon(int index);

  void ApplySettings();
  void RebuildAddAsMenus();
  void UpdateTrayIcon();
  // Pause or resume. A sender (the user's click, demo mode) also stores the state.
  void ActionPauseExecute(bool withSender);
  void ActionMainExecute();
  void ActionReminderAddExecute(bool withSender);
  void ActionHideExecute();
  // "Exit": the close query logs "Program stop", then the program ends (Closed).
  void ActionShutDownExecute();
  void TrayIcon1DblClick();
  // Whatever nobody caught: shown, then the program ends with code 1.
  void ApplicationException(const QString &message);
  [[nodiscard]] bool IsClosing() const { return m_closing; }

  // --- IModelListener ---
  // The main window's list is filled again, every reminder checked (not while paused) and the
  // "Add as" menus rebuilt.
  void StoreReloaded() override;
  // The main window's list is filled again from memory and the "Add as" menus rebuilt.
  void RemindersChanged() override;
  // The main window refreshes the reminder's row (WM_REMINDER_UPDATED).
  void ReminderUpdated(int32_t number) override;

  // The registered message a new tray host brings ("TaskbarCreated").
  [[nodiscard]] static uint TaskbarCreatedMessage();
  // Waits until the start-up purge of the log, when it began, has ended (the tests wait so).
  void WaitForLogPurge();

signals:
  // The program is to end with this code (the message loop leaves).
  void Closed(int exitCode);

protected:
  bool event(QEvent *e) override;
  void closeEvent(QCloseEvent *e) override;

private:
  void buildActions();
  void buildMenus();
  QAction *newAction(const char *name, const char *caption, int image);
  QAction *newItem(QMenu *menu, const char *name, QAction *action, const char *caption = nullptr);
  void copyTrayMenuIntoMainMenu();
  void fillAddAsMenu(QMenu *menu, const std::vector<std::pair<QString, QString>> &entries);
  void addAsClick(const QString &id);
  void applyPauseCaption();
  void handleMessage(uint message, uintptr_t wParam, intptr_t lParam);
  void reloadStore();
  void refreshAfterReload();
  void languageChanged();
  void taskbarCreated();
  void purgeLog();
  void installApplicationHooks();
  void popupMenuObjectPopup();

  TModel &m_model;
  IUserInterface &m_ui;
  std::unique_ptr<IReminderRuntime> m_runtime;
  std::unique_ptr<TTicker> m_timer;
  TTrayIcon *m_trayIcon = nullptr;           // child
  TTrayHostMonitor *m_hostMonitor = nullptr; // child
  QMenu *m_popupMenuMaster = nullptr;
  QMenu *m_popupMenuObject = nullptr;
  QMenu *m_objectMainMenu = nullptr;
  QMenu *m_addAsMenu = nullptr;
  QHash<QString, QAction *> m_actions;
  WindowHandle m_handle = 0;
  bool m_created = false;
  bool m_closing = false;
  bool m_failing = false;
  std::unique_ptr<TBackgroundLogPurge> m_logPurge;
};
