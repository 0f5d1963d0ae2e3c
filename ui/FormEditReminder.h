#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class IEditorPage;
class QLabel;
class IUserInterface;
class TDataObject;
class TEditorIconPreview;
class TEditorSoundTest;
class THubForm;

namespace Ui {
class FormEditReminder;
}
class TModel;

// The reminder editor: the dialog in which the user creates or changes one reminder. It holds the
// Main tab (subject, text, the switches of the actions, the tray icon and the sound) and the tabs
// of its pages (IEditorPage: Timetable, Sticker, Mail, Program), which load from and save into the
// reminder with it. EditReminder() opens it; at most one exists at a time (Current()).
//
// It keeps the reminder's id, never the object: while it is open the master window may re-read or
// delete every reminder. While it is open, the model's PreviewReminder() is a copy of the reminder,
// so the reminder itself does not fire.
class TFormEditReminder : public QDialog {
  Q_OBJECT
public:
  // For a reminder id of the model's list, or "new" with the repeat type a new reminder starts
  // with.
  TFormEditReminder(TModel &model, IUserInterface &ui, const QString &id, int defaultRepeatType);
  ~TFormEditReminder() override;

  // The open editor, or null.
  [[nodiscard]] static TFormEditReminder *Current();

  // Fills every tab from the reminder and installs the preview copy. Leaves the editor unmodified.
  void LoadReminder();
  // Writes the Main tab and the Timetable page into the reminder's fields.
  void StoreReminder(TDataObject &reminder);

  // Marks unsaved changes, except while loading.
  void SetModified();
  [[nodiscard]] bool Modified() const { return m_modified; }
  [[nodiscard]] bool Loading() const { return m_loading; }
  // EditorReminderId: "new" until a new reminder is saved, then its id.
  [[nodiscard]] const QString &ReminderId() const { return m_id; }
  // Whether the Main tab's "Enable" is ticked.
  [[nodiscard]] bool ReminderEnabled() const;
  [[nodiscard]] THubForm &Hub() const { return *m_hub; }

  // The application is ending: closes without asking and without saving.
  void CloseForShutDown();
  // Whether the dialog was closed by one of its own paths (Ok, Cancel, Delete, the close button).
  [[nodiscard]] bool Closed() const { return m_closed; }

  // Ok: saves into the reminder and the data file, then closes. A save the data file did not take
  // keeps the editor open with every change. Gives whether it saved.
  bool ActionOkExecute();
  // Closes without saving and moves the stored reminder to the trash.
  void ActionDeleteExecute();
  // The preview sticker shows the Main tab as it stands; nothing is saved.
  void ActionApplyExecute();
  // Reads a tray icon file (OpenIco after its dialog).
  void LoadIconFile(const QString &fileName);
  // "test sound (Start/Stop)".
  void TestSoundExecute();
  // Writes the captions of the editor and its frames into the default language file; an error is
  // shown.
  void MakeLanguageFile();
  // Writes the captions of the editor and its frames into the file (their sections), keeping the
  // rest of it. Raises EFileError when the file cannot be read or written.
  void SaveLanguageSections(const QString &fileName);

  // What the sound group says about the chosen sound file: why it cannot play, or "".
  [[nodiscard]] QString SoundProblem() const;

  [[nodiscard]] TEditorIconPreview &IconPreview() const { return *m_icon; }
  [[nodiscard]] TEditorSoundTest &SoundTest() const { return *m_sound; }

  // Cancel, Esc and the close button: asks "Reminder was changed. Save?" when there are changes.
  void reject() override;
  void done(int result) override;

private:
  void connectControls();
  // Puts a page on its tab; the page's widget fills the tab.
  IEditorPage *placePage(QWidget *tab, IEditorPage *page);
  // The pages in their order of saving.
  [[nodiscard]] QList<IEditorPage *> pages() const;

  void loadSettings();
  void saveSettings();
  void loadMainPage(const TDataObject &reminder);
  void stopAndPreview();

  // The close query: true when the editor may close now.
  bool closeQuery();
  // Ok's first step: every page on a shown tab checks what it holds; false when one refused.
  [[nodiscard]] bool pagesAgreeToSave();
  bool save();

  void applyStickerSwitch();
  void updateImageEnabled();
  void updateTabs();
  void updateTestSoundButton();
  void updateSoundProblem(bool openFile);
  void openIcoExecute();
  void clearIcoExecute();
  void openSoundExecute();
  void clearSoundExecute();
  void soundNotify(uintptr_t code, intptr_t lParam);

  std::unique_ptr<Ui::FormEditReminder> ui;
  TModel &m_model;
  IUserInterface &m_ui;
  THubForm *m_hub;
  QString m_id;                  // EditorReminderId
  const int m_defaultRepeatType; // DefaultRepeatType
  bool m_loading = false;
  bool m_modified;
  bool m_closed = false;
  QString m_currentSoundDir;
  QString m_currentIcoDir;
  TEditorIconPreview *m_icon;
  QLabel *m_soundProblem;
  std::unique_ptr<TEditorSoundTest> m_sound;
  // The pages, null until each exists.
  IEditorPage *m_timetable = nullptr;
  IEditorPage *m_sticker = nullptr;
  IEditorPage *m_mail = nullptr;
  IEditorPage *m_shellExec = nullptr;
};
