#pragma once

#include "platform/MessageHub.h"
#include "ui/MainWindowPages.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class FormMain;
}
class IUserInterface;
class QAction;
class QLabel;
class THubForm;
class TModel;

// The program's visible main window: the page list ("Reminders", "Options", "Log") on the left,
// the page in the middle, the menus with the file actions on the reminder store, the view
// switches, demo mode and help, and a status bar with the version and the store's file name.
//
// At most one exists. It is an ordinary top-level window, never modal, so stickers stay usable
// while it is open; closing it runs its close steps (options applied, the window's and the pages'
// settings written, both settings files saved) and frees it. Its hub handle is the one the
// stickers and the scheduler send to, and is 0 while no main window is open.
class TFormMain : public QMainWindow {
  Q_OBJECT
public:
  enum Page { PageReminders = 0, PageOptions = 1, PageLog = 2 };

  // --- The one main window (what the user interface's entries call) --------------------------
  // The open main window, or null.
  [[nodiscard]] static TFormMain *Instance();
  // Opens the main window over the model on the page, or brings the open one forward and switches
  // the page. Returns at once.
  static void ShowPage(TModel &model, IUserInterface &ui, int page);
  // The open window's handle; 0 while none is open (MainWindowHandle).
  [[nodiscard]] static WindowHandle Handle();
  // Ticks or clears the options page's "Hide icon in tray" box of the open window.
  static void SetHideTrayIconCheckedIfOpen(bool checked);
  // Closes the open window with its close steps; nothing when none is open.
  static void CloseIfOpen();

  TFormMain(TModel &model, IUserInterface &ui, QWidget *parent = nullptr);
  ~TFormMain() override;
  TFormMain(const TFormMain &) = delete;
  TFormMain &operator=(const TFormMain &) = delete;

  [[nodiscard]] WindowHandle HubHandle() const;
  // The page shown (or asked for before the window is shown) and the switch to another one.
  [[nodiscard]] int CurrentPage() const { return m_page; }
  void SetPage(int page);

  void RefreshAll();
  void Translate();
  void UpdateStoreStatus();
  void UpdateActions();
  // Writes the default language file: the captions of the window and its pages, and the messages.
  void MakeLng();

  // An action by its component name; null when there is none.
  [[nodiscard]] QAction *Action(const QString &name) const;
  // The status bar's three fields.
  [[nodiscard]] QLabel *StatusPanel(int index) const;
  [[nodiscard]] TReminderPage &ReminderPage() { return m_reminders; }
  [[nodiscard]] TOptionsPage &OptionsPage() { return m_options; }
  [[nodiscard]] TLogPage &LogPage() { return m_log; }

  void ActionFileOpenExecute();
  void ActionFileAddExecute();
  void ActionSaveExecute();
  void ActionFileSaveAllToFileExecute();
  void ActionFileSaveSelectedExecute();
  void ActionShowAllStickersExecute();

protected:
  void showEvent(QShowEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void placePages(IUserInterface &ui);
  void connectActions();
  void handleMessages();
  void listViewMainSelectItem();
  void widenToShowEveryColumn();
  void fitPageList();
  void loadSettings();
  void saveSettings();
  void formClose();
  [[nodiscard]] bool reminderPageVisible() const;
  [[nodiscard]] QString folderSetting(const QString &key) const;

  std::unique_ptr<Ui::FormMain> ui;
  TModel &m_model;
  THubForm *m_hub;
  TReminderPage m_reminders;
  TOptionsPage m_options;
  TLogPage m_log;
  QLabel *m_panels[3] = {};
  int m_page = PageReminders;
  bool m_closed = false;
  // The four remembered folders of the file dialogs.
  QString m_openDir, m_saveSelectedDir, m_saveAllDir, m_addDir;
};
