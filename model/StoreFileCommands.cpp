#include "model/StoreFileCommands.h"

#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StoreChange.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "services/FileOps.h"

#include <QDir>
#include <QFileInfo>

namespace keys = settings_keys;

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The same file, also through another spelling of its path or a link.
bool sameFile(const QString &a, const QString &b) {
  const QFileInfo fa(a), fb(b);
  if (fa.exists() && fb.exists())
    return fa.canonicalFilePath() == fb.canonicalFilePath();
  return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

void tellNotSaved(const QString &file, const QString &reason) {
  QString text = TranslateText(QStringLiteral("Sorry, can't save file!")) + CrLf + file;
  if (!reason.isEmpty())
    text += CrLf + reason;
  errors::reportInfo(text);
}

// The data-folder switch copies a settings file when there is one. A copy that fails leaves the
// other folder as it was and is told; the switch goes on.
void copyIfPresent(const QString &source, const QString &target) {
  if (!QFileInfo::exists(source))
    return;
  try {
    CopyFileViaMemory(source, target);
  } catch (const ETolvaneError &e) {
    // Before, this went to standard error only: the user never learnt that the settings of the
    // other folder were not the ones just used.
    errors::reportInfo(TranslateText(QStringLiteral("Sorry, can't copy file!")) + CrLf + source +
                       CrLf + target + CrLf + e.message());
  }
}

// Why a file read into `chosen` is no reminder file; "" when it is one. A file to add from must
// hold reminders; one to open may be a store whose reminders were all deleted.
QString whyNoReminderFile(const TXMLStore &chosen, bool remindersNeeded) {
  using Outcome = TXMLStore::TLoadOutcome;
  switch (chosen.LastLoadOutcome()) {
  case Outcome::NoFile:
    return TranslateText(QStringLiteral("The file is not found."));
  case Outcome::Empty:
    return TranslateText(QStringLiteral("The file is empty."));
  case Outcome::NotXml:
    return TranslateText(QStringLiteral("The file is not XML."));
  case Outcome::OtherDocument:
    break;
  case Outcome::Parsed: {
    QStringList ids;
    chosen.GetIds(&ids);
    if (!ids.isEmpty() || !remindersNeeded)
      return {};
    break;
  }
  }
  return TranslateText(QStringLiteral("The file holds no reminders."));
}

// Reads a file the user chose into a store of its own, so that nothing of the model's store is
// touched before the file is known to be a reminder file. One that cannot be read or is none is
// told, with the file, the reason and `after`, and gives false.
bool readChosenFile(TXMLStore &chosen, const QString &file, bool remindersNeeded,
                    const QString &after) {
  QString text;
  try {
    chosen.LoadFromFile(file);
    const QString reason = whyNoReminderFile(chosen, remindersNeeded);
    if (reason.isEmpty())
      return true;
    text = TranslateText(QStringLiteral("The file is not a reminder file!")) + CrLf + file + CrLf +
           reason;
  } catch (const ETolvaneError &e) {
    text = TranslateText(QStringLiteral("Sorry, can't read the reminder file!")) + CrLf + file +
           CrLf + e.message();
  }
  errors::reportInfo(text + after);
  return false;
}

} // namespace

bool SaveStore(TModel &model) { return model.Store().Save(); }

void SaveStoreBackup(TModel &model) {
  model.Store().SaveCopyInBackground(GetBackupFileName(model));
}

bool OpenStoreFile(TModel &model, const QString &file) {
  TXMLStore &store = model.Store();
  // Before, the chosen file was named in Main/StoreFileName and read as the store: one that did
  // not read swapped in data_backup.xml, whose older reminders then took every later change
  // while data.xml came back at the next start. The backup stands in for the program's own data
  // file only; a file the user chose is read on its own first and refused when it is none.
  {
    TXMLStore chosen(QString(), store.ItemName(), store.RootName());
    if (!readChosenFile(chosen, file, false,
                        CrLf + TranslateText(QStringLiteral("The reminders stay in:")) + CrLf +
                            store.FileName()))
      return false;
  }
  if (!store.Save())
    return false;
  model.MainSettings().writeString(keys::Main, keys::StoreFileName, file);
  ReloadStore(model);
  TellStoreReloaded(model);
  return true;
}

TImportResult ImportStoreFile(TModel &model, const QString &file,
                              const std::function<bool()> &update) {
  TImportResult result;
  TXMLStore &store = model.Store();
  // Garbage, an empty file or other XML said "New reminders are not found!", as a reminder file
  // whose reminders are all here already does: the user is told what the file is instead.
  TXMLStore source(QString(), store.ItemName(), store.RootName());
  if (!readChosenFile(source, file, true, QString()))
    return result;
  result.count = store.ImportFrom(source, update());
  result.read = true;
  result.disarmed = store.DisarmedByLastImport();
  if (result.count == 0)
    return result;
  result.saved = store.Save();
  ReloadStore(model);
  TellStoreReloaded(model);
  return result;
}

bool IsOwnStoreFile(TModel &model, const QString &file) {
  return sameFile(file, model.Store().FileName()) || sameFile(file, GetBackupFileName(model));
}

TExportResult ExportReminders(TModel &model, const QStringList &ids, const QString &file) {
  if (ids.isEmpty()) {
    errors::reportInfo(TranslateText(QStringLiteral("Nothing is selected!")));
    return TExportResult::NothingSelected;
  }
  if (IsOwnStoreFile(model, file)) {
    errors::reportInfo(
        TranslateText(QStringLiteral("Sorry, can't save to the program's own data file!")));
    return TExportResult::OwnFile;
  }
  TXMLStore &store = model.Store();
  // The file comes from the document in memory: it is written also when the store's own file
  // could not be (which the store has told already).
  (void)store.Save();
  try {
    store.ExportItems(ids, file);
  } catch (const ETolvaneError &e) {
    tellNotSaved(file, e.message());
    return TExportResult::NotSaved;
  }
  return TExportResult::Done;
}

bool ExportAllReminders(TModel &model, const QString &file) {
  TXMLStore &store = model.Store();
  (void)store.Save();
  return store.SaveToFile(file);
}

void SwitchDataFolder(TModel &model, bool local) {
  TXMLStore &store = model.Store();
  if (!store.FileName().isEmpty())
    (void)store.Save();
  model.LocalSettings().writeBool(keys::Main, keys::UseLocalFolder, local);
  QString dataFile;
  if (local) {
    copyIfPresent(GetUserMainSettingsFileName(), GetLocalMainSettingsFileName());
    dataFile = GetLocalDataFileName();
    if (!QFileInfo::exists(dataFile))
      (void)store.SaveToFile(dataFile);
  } else {
    copyIfPresent(GetLocalMainSettingsFileName(), GetUserMainSettingsFileName());
    dataFile = GetUserDataFileName();
  }
  model.MainSettings().writeString(keys::Main, keys::StoreFileName, dataFile);
  if (!SaveLocalSettings(model))
    tellNotSaved(GetLocalSettingsFileName(), QString());
  ReloadStore(model);
  TellStoreReloaded(model);
}
