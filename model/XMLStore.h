#pragma once

#include "model/CurrentModel.h"
#include "model/MSXMLObjectWithGuidAsId.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The store of all reminders: one "item" per reminder below the root "root". The same format
// serves data.xml, its backup and the exchange files. Saving replaces the target atomically (a
// temporary file in the target's folder, flushed to disk, then renamed over it), so a failed or
// interrupted save never leaves a truncated file; loading reads the whole file into memory and
// never keeps it open.
class TFileWriteQueue;

class TXMLStore : public TMSXMLObjectWithGuidAsId {
public:
  explicit TXMLStore(const QString &fileName = QString(),
                     const QString &itemName = QStringLiteral("item"),
                     const QString &rootName = QStringLiteral("root"));
  ~TXMLStore() override;

  // Loads as TMSXMLObject does and notes which file on disk it read.
  void LoadFromFile(const QString &fileName) override;
  // Saves the document over the file; gives whether it did. A failure is shown to the user
  // ("Sorry, can't save file!", the file and the reason) through the information reporter here,
  // so a caller only branches on the result; nothing is raised and the file keeps its previous
  // content. When the store's own file holds the document as it is now (the store wrote or read
  // it, nobody changed it since, and neither did the document), another file gets a copy of its
  // bytes: the document is not written out a second time.
  [[nodiscard]] bool SaveToFile(const QString &fileName);
  // SaveToFile(FileName()).
  [[nodiscard]] bool Save() { return SaveToFile(FileName()); }
  // The same into another file (the backup) without holding up the caller: written on a thread
  // of the store's own, in the order they were asked for, from the bytes SaveToFile would take
  // (the own file's are read there, while it is the version the store wrote or read; the
  // document is written out here). A failure is told as SaveToFile tells it, from the event
  // loop. The own file is saved at once (SaveToFile). The store makes the writes still queued
  // before it ends.
  void SaveCopyInBackground(const QString &fileName);
  // Waits up to `limit` for those writes and tells their failures; true when none is left.
  bool WaitForBackgroundWrites(std::chrono::milliseconds limit);
  // Merges the items of another store file. The copies keep their ids and user attributes, but
  // arrive with their program and mail actions switched off: a received file must not run a
  // program or send mail from the user's account when it fires (the editor switches them on
  // again). A missing or unparsable file gives 0.
  int ImportFromFile(const QString &fileName, bool update) override;
  // The same from a store file read already (its items are switched off there too).
  int ImportFrom(TXMLStore &source, bool update);
  // The subjects of the reminders the last import brought in with actions switched off, for
  // the import notice.
  [[nodiscard]] const QStringList &DisarmedByLastImport() const { return m_disarmed; }
  // Saves to FileName() when the document changed since the store last wrote or read that file;
  // nothing when it did not. Inside a write batch it only notes that a write is due. A failure is
  // told once (a notice and a log line, with the file and the reason) and the change stays due:
  // the next change tries again, and only a failure after a save that worked is told again.
  void Flush();
  // Whether the own file holds the document as it is now (as far as this store knows).
  [[nodiscard]] bool Saved() const { return m_fileRevision && *m_fileRevision == Revision(); }
  // Saved(), and the own file on disk is still the version the store wrote or read: nobody
  // replaced or changed it since. The document then is what a fresh load of the file would give
  // (the document holds its texts as the parser gives them back).
  [[nodiscard]] bool FileHoldsDocument() const {
    return Saved() && stampOf(FileName()) == m_onDisk;
  }
  // Tries whether the folder of the own file takes a new file (a temporary one, removed at once),
  // once for each folder; when it does not, that is told as a failed save is (Flush). What a
  // start calls, so that a folder nothing can be saved into is told before the first change.
  void CheckFolderWritable();
  // How many times the document was written over its own file (FileName()) since the store was
  // made: what tests count to see that a change reached the file in one write.
  [[nodiscard]] int OwnFileWrites() const { return m_ownFileWrites; }
  // Where the store writes the lines it has for the log (a foreign version of its file kept
  // aside): the log of the model that owns it. A store without one (an exchange file, a test's)
  // writes none.
  void SetLogWriter(std::function<void(const QString &line)> writer) {
    m_logWriter = std::move(writer);
  }

  // --- The journal beside the own file (model/StoreJournal.h) ---------------------------------
  // Appends a record of these element texts of the item with the id, synced to disk: what makes a
  // change durable before the next save of the whole file, at the cost of one short line. The
  // texts must already stand in the document. Gives whether the record is on disk; a failure is
  // logged, and the next save of the file still keeps the change.
  bool AppendToJournal(const QString &id, std::vector<std::pair<QString, QString>> values);
  // Writes the journal's records that the loaded file does not hold yet into the document, in the
  // order they were made; records of items the document lacks are dropped. Gives how many it
  // applied. Run after the own file was loaded, before the reminders are read from it.
  int ApplyJournal();

  // Holds the store's file writes back while it lives, so that several changes that belong
  // together reach the file in one write: a Flush inside only notes that a write is due, and the
  // last batch to end flushes once when one is. A load or a save of the own file meanwhile (a
  // command run from the event loop) leaves nothing due that it did not change.
  class TWriteBatch {
  public:
    explicit TWriteBatch(TXMLStore &store) : m_store(store) { ++m_store.m_batches; }
    ~TWriteBatch();
    TWriteBatch(const TWriteBatch &) = delete;
    TWriteBatch &operator=(const TWriteBatch &) = delete;

  private:
    TXMLStore &m_store;
  };

private:
  // What identifies one version of a file on disk: a save replaces the file (a new inode) and
  // any other writer changes its time or size.
  struct TFileStamp {
    bool exists = false;
    quint64 device = 0, inode = 0;
    qint64 size = 0, mtimeNs = 0;
    bool operator==(const TFileStamp &) const = default;
  };
  [[nodiscard]] static TFileStamp stampOf(const QString &fileName);
  // The bytes of the file while it is that version; none once it is another one. Touches nothing
  // of a store: the background writer runs it.
  [[nodiscard]] static std::optional<QByteArray> readVersion(const QString &fileName,
                                                             const TFileStamp &version);
  // Before the store's own file is written: when someone else wrote it since it was read or last
  // saved, that file is kept beside it as <name>_conflict-<date>-<time>.xml and the user is told.
  void keepForeignVersion(const QString &fileName);
  void writeFile(const QString &fileName);
  // Notes the last journal record in the root element, for the bytes about to be written.
  void noteJournalSeq();
  // The bytes of the own file when it holds the document as it is now; none otherwise.
  [[nodiscard]] std::optional<QByteArray> savedBytes() const;
  // A write of the own file (or of its journal) failed: logged, and told unless a failure was
  // told since the last save that worked (always, with `always`).
  void noteFailure(const QString &fileName, const QString &reason, bool always);

  TFileStamp m_onDisk;
  // The document's revision that the own file holds (at m_onDisk); none when it holds another
  // one, or the store neither read nor wrote it.
  std::optional<uint64_t> m_fileRevision;
  // A failed write of the own file was told, and no save worked since.
  bool m_failureTold = false;
  QString m_checkedFolder;
  std::unique_ptr<TFileWriteQueue> m_backgroundWrites; // made at the first one
  // The sequence number of the last journal record made or read. A save of the own file notes it
  // in the root element ("journal"), so that records a save already holds are never applied over
  // it again, even when a kill came between that save and the emptying of the journal.
  uint64_t m_journalSeq = 0;
  QStringList m_disarmed;
  int m_batches = 0;
  bool m_flushDue = false;
  int m_ownFileWrites = 0;
  std::function<void(const QString &line)> m_logWriter;
};

class TModel;

// The current model's store (model/Model.h).
TOLVANE_CURRENT_MODEL [[nodiscard]] TXMLStore &Store();

// Loads the data file into the model's store, then rebuilds the reminder list with reloadReminders
// (which frees the old reminder objects first). The data file is the local data.xml when
// LocalSettings Main/UseLocalFolder is on, else MainSettings Main/StoreFileName (default
// GetDataFileName()). The backup file is loaded instead only when the data file is missing, cannot
// be read or is no store file, and the store then holds no reminders; from then on the store's
// FileName names the backup (also when there is no backup yet, unless the data file is missing too,
// so that a broken data file is never saved over). A data file that exists but cannot be used is
// told to the user (a notice through errors::reportInfo and a log line, each with the file and the
// reason) and kept; a setting that names the backup is taken to mean the data file, so every start
// tries the data file again. A valid store file without reminders is kept, so a deleted last
// reminder does not come back from an older backup.
void OpenStore(TModel &model, const std::function<void()> &reloadReminders);
// OpenStore after a save of the own file that worked, without reading the file again: when the
// store's file is the data file OpenStore would read and it holds the document (FileHoldsDocument),
// the reminders are rebuilt from the document, which is what the file holds. Otherwise (the store
// stands in on the backup, the file was changed meanwhile) it is OpenStore.
void ReopenSavedStore(TModel &model, const std::function<void()> &reloadReminders);
// The same for the current model.
TOLVANE_CURRENT_MODEL void OpenStore(const std::function<void()> &reloadReminders);
