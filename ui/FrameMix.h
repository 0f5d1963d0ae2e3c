#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class FrameMix;
}
class TModel;

// The "Options" page of the main window: the mail account used for reminder mails, whether the
// program starts with the session, whether its tray icon shows, whether the data lives in the
// local folder or the per-user folder, the language, and how many days the log keeps.
//
// The page edits the settings in memory: LoadOptions fills it from them, Apply writes it back
// (the "Apply" button, and the main window when it closes) and tells the master window
// (WM_SETTINGS_CHANGED). Choosing a language takes effect at once (WM_LANGUAGE_CHANGED to the
// master, which passes it on to the open windows). Switching the data folder takes effect on
// Apply, through the model's SwitchDataFolder: the current reminders are saved, control2.dat is
// written, and the store of the other folder is opened.
class TFrameMix : public QWidget {
  Q_OBJECT

public:
  TFrameMix(TModel &model, QWidget *parent = nullptr);
  ~TFrameMix() override;

  // Each time the main window is shown: captions, mail fields, switches, language list, period.
  void LoadOptions();
  // Writes the page into the settings (see above).
  void Apply();

  // The page's commands, as its buttons, list and link run them.
  // Fills server, sender and login from the user's default mail account (msmtp); the port stays.
  void GetMailParamsFromSystem();
  // Asks, then empties the log file.
  void ClearLogFile();
  // Makes the language file at this row of the list the program's language.
  void SelectLanguage(int row);

private:
  void translate();
  void showLocalFolder();
  void fillLanguageList();
  void moveDataFolder();

  std::unique_ptr<Ui::FrameMix> ui;
  TModel &m_model;
  // The data-folder switch as last loaded or applied: Apply moves the data only when it changed.
  bool m_appliedLocalFolder = false;
};
