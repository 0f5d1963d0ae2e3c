#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TModel;

// The commands on the store's files: what the main window's File menu and the options page's
// data-folder switch do. Each works on the model it is given and reports a failure once, through
// the notice path (errors::reportInfo, or the store's own "Sorry, can't save file!"). A command
// that reads the store again tells the model's listener StoreReloaded, as its last step; one that
// only writes files tells nobody.

// "Save": the store over its own file. Gives whether it saved.
bool SaveStore(TModel &model);
// The whole store into the backup file (data_backup.xml), written without holding up the caller
// (TXMLStore::SaveCopyInBackground): a failure is told from the event loop.
void SaveStoreBackup(TModel &model);

// "Open": the store is saved first, and another one is opened only when that worked (its
// changes would be lost otherwise); then Main/StoreFileName names the file and the store is read
// from it. Gives whether the other file was opened.
bool OpenStoreFile(TModel &model, const QString &file);

// What "Add from file" brought.
struct TImportResult {
  bool read = false;  // the file could be read (false: the reason was told)
  int count = 0;      // reminders added or updated
  bool saved = false; // the store's file took them
  // The subjects of the reminders that arrived with their program or mail action switched off.
  QStringList disarmed;
};
// Merges the reminders of another store file; ids already here are replaced when `update`
// answers yes. It is asked only once the file was read as a reminder file: a file that is none is
// refused, and told, first. The reminders arrive with program and mail actions off
// (TXMLStore::ImportFromFile). When any arrived the store is saved and read again from its file:
// after a failed save that undoes the merge, so the store is what its file holds.
TImportResult ImportStoreFile(TModel &model, const QString &file,
                              const std::function<bool()> &update);

// Whether the file is the store's own file or its backup (also through another spelling of its
// path or a link): a few reminders written there would lose all the others.
[[nodiscard]] bool IsOwnStoreFile(TModel &model, const QString &file);

enum class TExportResult { Done, NothingSelected, OwnFile, NotSaved };
// "Save selected to file" (and the mail's attachment): the store is saved, then the reminders
// with these ids are written into a new store file. Refused, and told, without ids or over the
// store's own file or backup.
TExportResult ExportReminders(TModel &model, const QStringList &ids, const QString &file);
// "Save all to file": the store is saved, then written whole into the file (its own file name
// stays). The copy is written also when the own file could not be: it may be the only one.
bool ExportAllReminders(TModel &model, const QString &file);

// The data-folder switch (on: the program's folder; off: the user's). In order: the store is
// saved to its own file, so that changes it has not taken yet are not lost; LocalSettings
// Main/UseLocalFolder := local; the main settings file of the folder left is copied to the other
// one when it exists, and switching on with no data file there saves the reminders there;
// Main/StoreFileName names the new data file; control2.dat is written at once (it decides where
// the next start looks); the store is read from the new data file. A copy or write that fails is
// told and the switch goes on: the store is opened from the new folder in any case.
void SwitchDataFolder(TModel &model, bool local);
