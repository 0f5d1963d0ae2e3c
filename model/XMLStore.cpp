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

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sys/stat.h>

namespace {

// The root's attribute that names the last journal record the file holds.
const char *const kJournalAttr = "journal";

QString describe(const std::exception &e) {
  if (const auto *own = dynamic_cast<const ETolvaneError *>(&e))
    return own->message();
  return QString::fromLocal8Bit(e.what());
}

} // namespace

TXMLStore::TXMLStore(const QString &fileName, const QString &itemName, const QString &rootName)
    : TMSXMLObjectWithGuidAsId(fileName, itemName, rootName), m_onDisk(stampOf(fileName)) {
  m_journalSeq = rootElement().attribute(kJournalAttr).as_ullong(0);
}

TXMLStore::TFileStamp TXMLStore::stampOf(const QString &fileName) {
  struct stat st {};
  if (fileName.isEmpty() || ::stat(QFile::encodeName(fileName).constData(), &st) != 0)
    return {};
  return {true, static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino),
          static_cast<qint64>(st.st_size),
          static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void TXMLStore::LoadFromFile(const QString &fileName) {
  TMSXMLObjectWithGuidAsId::LoadFromFile(fileName);
  m_onDisk = stampOf(fileName);
  m_journalSeq = rootElement().attribute(kJournalAttr).as_ullong(0);
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

void TXMLStore::writeFile(const QString &fileName) {
  keepForeignVersion(fileName);
  const bool own = fileName == FileName();
  if (m_journalSeq > 0) {
    pugi::xml_node root = rootElement();
    pugi::xml_attribute seq = root.attribute(kJournalAttr);
    if (!seq)
      seq = root.append_attribute(kJournalAttr);
    seq.set_value(static_cast<unsigned long long>(m_journalSeq));
  }
  TMSXMLObjectWithGuidAsId::SaveToFile(fileName);
  if (own) {
    m_onDisk = stampOf(fileName);
    ++m_ownFileWrites;
    // The file holds every record now; one that stays (the journal could not be emptied) is
    // skipped at the next load by its number.
    if (!ClearJournal(fileName))
      qWarning() << "Journal not emptied:" << JournalFileName(fileName);
  }
}

bool TXMLStore::SaveToFile(const QString &fileName) {
  try {
    writeFile(fileName);
    return true;
  } catch (const std::exception &e) {
    errors::reportInfo(TranslateText(QStringLiteral("Sorry, can't save file!")) +
                       QStringLiteral("\r\n") + fileName + QStringLiteral("\r\n") + describe(e));
    return false;
  }
}

void TXMLStore::Flush() {
  if (m_batches > 0) {
    m_flushDue = true;
    return;
  }
  m_flushDue = false;
  try {
    writeFile(FileName());
  } catch (const std::exception &e) {
    qWarning() << "Store not saved:" << describe(e);
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

void OpenStore(TModel &model, const std::function<void()> &reloadReminders) {
  TXMLStore &store = model.Store();
  const QString backupFile = GetBackupFileName(model);
  QString dataFile =
      model.UseLocalFolder()
          ? GetLocalDataFileName()
          : model.MainSettings().readString(settings_keys::Main, settings_keys::StoreFileName,
                                            GetDataFileName(model));
  // The backup is only a stand-in: once the data file reads again it is the store again.
  if (dataFile == backupFile)
    dataFile = GetDataFileName(model);
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
  bool fromBackup = false;
  if (!usable && ids.isEmpty() && (QFileInfo::exists(backupFile) || dataFilePresent)) {
    try {
      store.LoadFromFile(backupFile);
      fromBackup = store.LastLoadParsed();
    } catch (const ETolvaneError &e) {
      qWarning() << "Backup file not read:" << e.message();
    }
  }
  // Firings made durable after the file's last save.
  (void)store.ApplyJournal();
  // Two items with one id would be one reminder twice: the first one's actions would run twice
  // and the second one never fire. The later ones get ids of their own, kept in the file.
  if (store.RenewRepeatedIds() > 0)
    (void)store.Save();
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
  if (reloadReminders)
    reloadReminders();
}
