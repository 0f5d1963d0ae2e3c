#include "model/XMLStore.h"

#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StoreJournal.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "services/FileWriteQueue.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The root's attribute that names the last journal record the file holds.
const char *const kJournalAttr = "journal";

QString describe(const std::exception &e) {
  if (const auto *own = dynamic_cast<const ETolvaneError *>(&e))
    return own->message();
  return QString::fromLocal8Bit(e.what());
}

void tellNotSaved(const QString &fileName, const QString &reason) {
  errors::reportInfo(TranslateText(QStringLiteral("Sorry, can't save file!")) +
                     QStringLiteral("\r\n") + fileName + QStringLiteral("\r\n") + reason);
}

} // namespace

TXMLStore::TXMLStore(const QString &fileName, const QString &itemName, const QString &rootName)
    : TMSXMLObjectWithGuidAsId(fileName, itemName, rootName), m_onDisk(stampOf(fileName)) {
  m_journalSeq = rootElement().attribute(kJournalAttr).as_ullong(0);
  if (m_onDisk.exists && LastLoadParsed())
    m_fileRevision = Revision();
}

TXMLStore::~TXMLStore() = default;

namespace {

template <class Stamp> Stamp stampFrom(const struct stat &st) {
  return {true, static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino),
          static_cast<qint64>(st.st_size),
          static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

} // namespace

TXMLStore::TFileStamp TXMLStore::stampOf(const QString &fileName) {
  struct stat st {};
  if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &st) != 0)
    return {};
  return stampFrom<TFileStamp>(st);
}

// The open file stays the version it was opened as, whatever replaces the name meanwhile.
std::optional<QByteArray> TXMLStore::readVersion(const QString &fileName,
                                                 const TFileStamp &version) {
  const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  const auto closed = qScopeGuard([fd] { ::close(fd); });
  struct stat st {};
  if (::fstat(fd, &st) != 0 || stampFrom<TFileStamp>(st) != version)
    return std::nullopt;
  QByteArray bytes(static_cast<qsizetype>(st.st_size), Qt::Uninitialized);
  qsizetype got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return std::nullopt;
    got += n;
  }
  return bytes;
}

void TXMLStore::LoadFromFile(const QString &fileName) {
  // Another file's failures are its own: the first one of this file is told.
  if (fileName != FileName())
    m_failureTold = false;
  TMSXMLObjectWithGuidAsId::LoadFromFile(fileName);
  m_onDisk = stampOf(fileName);
  m_journalSeq = rootElement().attribute(kJournalAttr).as_ullong(0);
  m_fileRevision.reset();
  if (m_onDisk.exists && LastLoadParsed())
    m_fileRevision = Revision();
}

std::optional<QByteArray> TXMLStore::savedBytes() const {
  if (!Saved() || stampOf(FileName()) != m_onDisk)
    return std::nullopt;
  QFile own(FileName());
  if (!own.open(QIODevice::ReadOnly))
    return std::nullopt;
  QByteArray bytes = own.readAll();
  if (own.error() != QFileDevice::NoError || bytes.size() != m_onDisk.size)
    return std::nullopt;
  return bytes;
}

void TXMLStore::noteFailure(const QString &fileName, const QString &reason, bool always) {
  const bool tell = always || !m_failureTold;
  if (!m_failureTold && m_logWriter)
    m_logWriter(QStringLiteral("Reminder file not saved: ") + fileName + QStringLiteral(": ") +
                reason);
  m_failureTold = true;
  if (tell)
    tellNotSaved(fileName, reason);
}

void TXMLStore::CheckFolderWritable() {
  const QString folder = QFileInfo(FileName()).absolutePath();
  if (FileName().isEmpty() || folder == m_checkedFolder)
    return;
  m_checkedFolder = folder;
  try {
    CheckWritableBeside(FileName());
  } catch (const std::exception &e) {
    noteFailure(FileName(), describe(e), false);
  }
}

bool TXMLStore::AppendToJournal(const QString &id,
                                std::vector<std::pair<QString, QString>> values) {
  if (FileName().isEmpty())
    return false;
  TJournalRecord record{m_journalSeq + 1, id, std::move(values)};
  try {
    AppendJournalRecord(FileName(), record);
  } catch (const std::exception &e) {
    qWarning() << "Journal not written:" << describe(e);
    noteFailure(JournalFileName(FileName()), describe(e), false);
    return false;
  }
  m_journalSeq = record.seq;
  return true;
}

int TXMLStore::ApplyJournal() {
  if (FileName().isEmpty())
    return 0;
  const uint64_t saved = m_journalSeq;
  int applied = 0;
  const pugi::xml_node selected = CurrentItem();
  for (const TJournalRecord &record : ReadJournal(FileName())) {
    m_journalSeq = std::max(m_journalSeq, record.seq);
    if (record.seq <= saved || !SelectItem(record.id))
      continue;
    for (const auto &[path, text] : record.values)
      WriteString(TXmlPath(path), text);
    ++applied;
  }
  selectNode(selected);
  return applied;
}

void TXMLStore::keepForeignVersion(const QString &fileName) {
  if (fileName != FileName())
    return;
  const TFileStamp now = stampOf(fileName);
  if (!now.exists || now == m_onDisk)
    return;
  // Nothing is merged: the other version is only kept, for the user to look at.
  const QString kept = GetKeptCopyFileName(fileName, QStringLiteral("conflict"));
  if (!QFile::copy(fileName, kept))
    throw EFileError(
        QStringLiteral("Cannot keep the changed file \"%1\" as \"%2\"").arg(fileName, kept));
  if (m_logWriter)
    m_logWriter(QStringLiteral("Reminder file changed by another program, kept as ") + kept);
  errors::reportInfo(
      TranslateText(QStringLiteral("The reminder file was changed by another program.")) +
      QStringLiteral("\r\n") + TranslateText(QStringLiteral("That version is kept as:")) +
      QStringLiteral("\r\n") + kept);
}

void TXMLStore::noteJournalSeq() {
  if (m_journalSeq == 0)
    return;
  pugi::xml_node root = rootElement();
  pugi::xml_attribute seq = root.attribute(kJournalAttr);
  if (!seq)
    seq = root.append_attribute(kJournalAttr);
  seq.set_value(static_cast<unsigned long long>(m_journalSeq));
}

void TXMLStore::writeFile(const QString &fileName) {
  keepForeignVersion(fileName);
  const bool own = fileName == FileName();
  noteJournalSeq();
  TMSXMLObjectWithGuidAsId::SaveToFile(fileName);
  if (own) {
    m_onDisk = stampOf(fileName);
    m_fileRevision = Revision();
    m_failureTold = false;
    ++m_ownFileWrites;
    // The file holds every record now; one that stays (the journal could not be emptied) is
    // skipped at the next load by its number.
    if (!ClearJournal(fileName))
      qWarning() << "Journal not emptied:" << JournalFileName(fileName);
  }
}

bool TXMLStore::SaveToFile(const QString &fileName) {
  const bool own = fileName == FileName();
  try {
    // Another file (the backup, say) right after a save of the own one takes that file's bytes.
    const std::optional<QByteArray> bytes = own ? std::nullopt : savedBytes();
    if (bytes)
      WriteFileAtomic(fileName, *bytes);
    else
      writeFile(fileName);
    return true;
  } catch (const std::exception &e) {
    if (own)
      noteFailure(fileName, describe(e), true);
    else
      tellNotSaved(fileName, describe(e));
    return false;
  }
}

void TXMLStore::SaveCopyInBackground(const QString &fileName) {
  if (fileName.isEmpty() || fileName == FileName()) {
    (void)SaveToFile(fileName);
    return;
  }
  TFileWriteQueue::Producer bytes;
  if (Saved() && stampOf(FileName()) == m_onDisk) {
    bytes = [own = FileName(), version = m_onDisk] { return readVersion(own, version); };
  } else {
    noteJournalSeq();
    bytes = [written = serialize()] { return std::optional<QByteArray>(written); };
  }
  if (!m_backgroundWrites)
    m_backgroundWrites = std::make_unique<TFileWriteQueue>();
  // The outcome comes through the queue, which ends with the store.
  m_backgroundWrites->Write(
      fileName, std::move(bytes),
      [this, fileName](TFileWriteQueue::TOutcome outcome, const QString &error) {
        if (outcome == TFileWriteQueue::TOutcome::Failed)
          tellNotSaved(fileName, error);
        else if (outcome == TFileWriteQueue::TOutcome::NothingToWrite)
          SaveCopyInBackground(fileName); // the own file was replaced meanwhile: taken afresh
      });
}

bool TXMLStore::WaitForBackgroundWrites(std::chrono::milliseconds limit) {
  return !m_backgroundWrites || m_backgroundWrites->WaitIdle(limit);
}

void TXMLStore::Flush() {
  if (m_batches > 0) {
    m_flushDue = true;
    return;
  }
  m_flushDue = false;
  if (Saved() || FileName().isEmpty())
    return;
  try {
    writeFile(FileName());
  } catch (const std::exception &e) {
    qWarning() << "Store not saved:" << describe(e);
    noteFailure(FileName(), describe(e), false);
  }
}

TXMLStore::TWriteBatch::~TWriteBatch() {
  if (--m_store.m_batches == 0 && m_store.m_flushDue)
    m_store.Flush();
}

int TXMLStore::ImportFromFile(const QString &fileName, bool update) {
  TXMLStore source(fileName, ItemName(), RootName());
  return ImportFrom(source, update);
}

int TXMLStore::ImportFrom(TXMLStore &source, bool update) {
  const QByteArray idName = IdAttrName().toUtf8();
  const auto idOf = [&idName](const pugi::xml_node item) {
    return QString::fromUtf8(item.attribute(idName.constData()).value()).toCaseFolded();
  };
  QSet<QString> ownIds;
  for (const pugi::xml_node item : itemNodes())
    ownIds.insert(idOf(item));
  m_disarmed.clear();
  // Every item of the file is made harmless before anything is copied, duplicates included.
  for (const pugi::xml_node item : source.itemNodes()) {
    source.selectNode(item);
    // Only the items that arrive count: without update an item whose id is here stays out.
    const bool arrives = update || !ownIds.contains(idOf(item));
    if (DisarmItem(source) && arrives)
      m_disarmed << source.ReadString(QStringLiteral("subject"), QString());
  }
  return MergeItems(source, update);
}

TXMLStore &Store() { return TModel::Current().Store(); }

void OpenStore(const std::function<void()> &reloadReminders) {
  OpenStore(TModel::Current(), reloadReminders);
}

namespace {

// The file OpenStore reads first.
QString dataFileOf(TModel &model) {
  const QString dataFile =
      model.UseLocalFolder()
          ? GetLocalDataFileName()
          : model.MainSettings().readString(settings_keys::Main, settings_keys::StoreFileName,
                                            GetDataFileName(model));
  // The backup is only a stand-in: once the data file reads again it is the store again.
  return dataFile == GetBackupFileName(model) ? GetDataFileName(model) : dataFile;
}

// Two items with one id would be one reminder twice: the first one's actions would run twice
// and the second one never fire. The later ones get ids of their own, kept in the file.
void renewRepeatedIds(TXMLStore &store) {
  if (store.RenewRepeatedIds() > 0)
    (void)store.Save();
}

} // namespace

void OpenStore(TModel &model, const std::function<void()> &reloadReminders) {
  TXMLStore &store = model.Store();
  const QString backupFile = GetBackupFileName(model);
  const QString dataFile = dataFileOf(model);
  // Saves cut short by a kill leave their temporary files; nothing writes the store yet.
  (void)RemoveStaleTempFiles(dataFile);
  (void)RemoveStaleTempFiles(backupFile);
  bool usable = false;
  QString reason;
  try {
    store.LoadFromFile(dataFile);
    usable = store.LastLoadParsed();
  } catch (const ETolvaneError &e) {
    reason = e.message();
  }
  // A load that raised found something there: a link that loops is not a missing file.
  const bool dataFilePresent = !reason.isEmpty() || QFileInfo::exists(dataFile);
  QStringList ids;
  store.GetIds(&ids);
  // A first start has neither file: the store then stays on the data file, so that the backup
  // keeps its own name instead of becoming the only copy. A data file that exists but is no
  // store is left alone even without a backup: saving an empty store over it would destroy
  // whatever it still holds.
  bool fromBackup = false; // the reminders come from the backup
  if (!usable && ids.isEmpty() && (QFileInfo::exists(backupFile) || dataFilePresent)) {
    try {
      store.LoadFromFile(backupFile);
      // A backup without reminders (the one a broken data file's last run left) gives none.
      store.GetIds(&ids);
      fromBackup = store.LastLoadParsed() && !ids.isEmpty();
    } catch (const ETolvaneError &e) {
      qWarning() << "Backup file not read:" << e.message();
    }
  }
  // Firings made durable after the file's last save.
  (void)store.ApplyJournal();
  renewRepeatedIds(store);
  // A data file that is there but cannot be used is never passed over in silence: its
  // reminders no longer fire until someone repairs or restores it.
  if (!usable && dataFilePresent) {
    if (reason.isEmpty())
      reason = TranslateText(QStringLiteral("It is damaged or no reminder file."));
    WriteLog(model,
             QStringLiteral("Reminder file not read: ") + dataFile + QStringLiteral(": ") + reason);
    errors::reportInfo(TranslateText(QStringLiteral("Sorry, can't read the reminder file!")) +
                       QStringLiteral("\r\n") + dataFile + QStringLiteral("\r\n") + reason +
                       QStringLiteral("\r\n") +
                       // Only a backup that was read gives reminders; without one none fire.
                       (fromBackup ? TranslateText(QStringLiteral("It is kept as it is; until it "
                                                                  "reads again, the reminders "
                                                                  "come from the backup."))
                                   : TranslateText(QStringLiteral(
                                         "It is kept as it is; there is no backup to take the "
                                         "reminders from, so none fire until it reads again."))));
  }
  // A folder that takes no file (read-only, full, or gone) is told now, not at the first change.
  store.CheckFolderWritable();
  if (reloadReminders)
    reloadReminders();
}

void ReopenSavedStore(TModel &model, const std::function<void()> &reloadReminders) {
  TXMLStore &store = model.Store();
  if (!store.FileHoldsDocument() || store.FileName() != dataFileOf(model)) {
    OpenStore(model, reloadReminders);
    return;
  }
  // What OpenStore does after the load: the file parsed, and its journal is empty (the save
  // emptied it, or its records are older than the file's).
  renewRepeatedIds(store);
  store.CheckFolderWritable();
  if (reloadReminders)
    reloadReminders();
}
