#pragma once

#include "model/CurrentModel.h"
#include "model/DataObject.h"
#include "model/ReminderList.h"
#include "model/UserData.h"
#include "model/XMLStore.h"
#include "platform/MemIniFile.h"
#include "platform/MessageHub.h"
#include "services/SingleInstance.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// How a model starts: as the program's (the start-up steps below, and the saves when it ends), or
// empty (fresh settings, an empty store without a file, no template; it reads and writes no file,
// so tests and tools build one in their own folder).
enum class TModelStart { Program, Empty };

class IModelListener;

// The model's state: the store, the reminder list, both settings objects, the new-reminder
// template, the editor's preview copy, the pending delete ids, the demo flag, the user's name and
// mail defaults, the windows that want WM_REFRESH_CONTROLS and the program lock.
//
// The program makes one and hands it to the master window, the scheduler and the user interface,
// which work on the model they were handed. The free accessors the program knows from older code
// (Store(), Reminders(), MainSettings(), ..., marked TOLVANE_CURRENT_MODEL) reach the current
// model instead: the one built last that still lives; they serve the model's own start-up and the
// tests. A call of one while no model lives is a fault: it stops a debug build at once and raises
// ETolvaneError ("The reminder model is not started.") otherwise, never working on nothing.
//
// The program's model starts, in this order: the "tolvane" lock; two-digit years in the short
// date format; the picture classes registered; the user's name; the settings files (with the
// legacy import); the first-run defaults when no settings file exists anywhere; the store loader
// and an empty store without a file; the template; a Main/StoreFileName that names a missing file
// set back to the data file; the mail defaults; the log line "Program start". Nothing there stops
// start-up: each step that fails leaves its defaults. The store is opened later, by the master
// window.
//
// It ends, in this order: the lock released; the reminders, the pending ids, the template and the
// preview freed (the runtime has released their firings' outputs before); the store saved to its
// file when it does not hold the store yet (a failure is shown, unless one was since the last
// save that worked) and its file name kept in Main/StoreFileName; MainSettings saved. A
// store that was never opened has no file and is not saved. LocalSettings is not saved here. An
// empty model saves nothing.
class TModel {
public:
  explicit TModel(TModelStart start = TModelStart::Program);
  ~TModel();
  TModel(const TModel &) = delete;
  TModel &operator=(const TModel &) = delete;

  // The current model (see above); fails when there is none.
  TOLVANE_CURRENT_MODEL [[nodiscard]] static TModel &Current();
  // The current model, or none (for checks that no model outlived its test).
  TOLVANE_CURRENT_MODEL [[nodiscard]] static const TModel *CurrentOrNone();

  [[nodiscard]] TXMLStore &Store() { return m_store; }
  [[nodiscard]] const TXMLStore &Store() const { return m_store; }
  [[nodiscard]] TReminderList &Reminders() { return m_reminders; }
  [[nodiscard]] const TReminderList &Reminders() const { return m_reminders; }
  [[nodiscard]] QStringList &PendingDeleteIds() { return m_pendingDeleteIds; }
  [[nodiscard]] TMMemIniFile &MainSettings() { return m_mainSettings; }
  [[nodiscard]] const TMMemIniFile &MainSettings() const { return m_mainSettings; }
  [[nodiscard]] TMMemIniFile &LocalSettings() { return m_localSettings; }
  [[nodiscard]] const TMMemIniFile &LocalSettings() const { return m_localSettings; }
  // LocalSettings `Main`/`UseLocalFolder` (false when unset): where the data files live.
  [[nodiscard]] bool UseLocalFolder() const;

  [[nodiscard]] TDataObject *NewReminderTemplate() const { return m_template.get(); }
  void SetNewReminderTemplate(std::unique_ptr<TDataObject> reminder);
  [[nodiscard]] TDataObject *PreviewReminder() const { return m_preview.get(); }
  // The id of the reminder open in the editor (its preview's), empty while none is: what the due
  // tests are told, so that it neither fires nor is warned of (TDataObject::IsEditing).
  [[nodiscard]] QString EditingId() const { return m_preview ? m_preview->Id : QString(); }
  void SetPreviewReminder(std::unique_ptr<TDataObject> preview);
  [[nodiscard]] bool DemoMode() const { return m_demoMode; }
  void SetDemoMode(bool on) { m_demoMode = on; }

  [[nodiscard]] const QString &CurrentUserName() const { return m_userName; }
  void SetCurrentUserName(const QString &name) { m_userName = name; }
  [[nodiscard]] const TDefaultUserData &DefaultUserData() const { return m_userData; }
  void SetDefaultUserData(const TDefaultUserData &data) { m_userData = data; }

  // What TDataObject::Create fills a new object with; none leaves it empty.
  [[nodiscard]] TDataObjectLoader DataObjectLoader() const { return m_loader; }
  void SetDataObjectLoader(TDataObjectLoader loader) { m_loader = loader; }

  // The one listener the commands (model/ReminderCommands.h, model/StoreFileCommands.h) tell
  // what they changed; none: nobody is told. It must outlive the model or be taken off first.
  void SetListener(IModelListener *listener) { m_listener = listener; }
  [[nodiscard]] IModelListener *Listener() const { return m_listener; }

  // The windows that want WM_REFRESH_CONTROLS, (name, handle) in registration order.
  [[nodiscard]] std::vector<std::pair<QString, WindowHandle>> &NotifyWindows() {
    return m_notifyWindows;
  }

private:
  void start();
  void finish();
  // Frees the reminders and the copies of them, in the order the end of the program frees them.
  void freeReminders();
  void unlink();

  TModel *m_previous = nullptr;
  const bool m_program;
  TNamedLock m_lock;
  TMMemIniFile m_mainSettings;
  TMMemIniFile m_localSettings;
  QString m_userName;
  TDefaultUserData m_userData{QString(PlaceholderMailHost), QString(PlaceholderMailFrom), QString(),
                              25};
  TXMLStore m_store;
  TDataObjectLoader m_loader = nullptr;
  TReminderList m_reminders;
  QStringList m_pendingDeleteIds;
  std::unique_ptr<TDataObject> m_template;
  std::unique_ptr<TDataObject> m_preview;
  bool m_demoMode = false;
  std::vector<std::pair<QString, WindowHandle>> m_notifyWindows;
  IModelListener *m_listener = nullptr;
};

// The current model's preview copy of the reminder open in the editor, or null. While it exists,
// the reminder with the same id does not fire (TModel::EditingId).
TOLVANE_CURRENT_MODEL [[nodiscard]] TDataObject *PreviewReminder();
// Installs a preview copy (the model owns it from here) or, with null, frees the current one.
TOLVANE_CURRENT_MODEL void SetPreviewReminder(std::unique_ptr<TDataObject> preview);

// Demo mode: every enabled active reminder shows at once, without mail or program.
TOLVANE_CURRENT_MODEL [[nodiscard]] bool DemoMode();
TOLVANE_CURRENT_MODEL void SetDemoMode(bool on);
