#pragma once

#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

// The store's journal: a small append-only file beside the store's file ("<file>.journal") that
// makes a firing durable at once, without writing the whole store. Each record names one item
// by id and gives the texts of some of its elements; the store writes them into its document when
// it loads the file, and empties the journal once a save of the file holds them.
//
// A record is one line: its sequence number, the id, "path=text" pairs and a checksum, separated
// by tabs (a tab, line break or backslash inside a text is escaped). A line cut short by a kill
// or a crash, or one that does not check out, is skipped: it never stops a load.
//
// The file is written through symbolic links as the store is (a link stays a link); a new one
// is made with mode 0600 (less the umask), readable by the user alone like the settings.

struct TJournalRecord {
  uint64_t seq = 0;
  QString id;
  std::vector<std::pair<QString, QString>> values; // element path, text
};

// The journal of a store file.
[[nodiscard]] QString JournalFileName(const QString &storeFile);

// Appends the record and syncs it to disk before it returns. Raises EFileError with the file and
// the system's reason when that cannot be done.
void AppendJournalRecord(const QString &storeFile, const TJournalRecord &record);

// The whole records of the journal, in the order they were written; none when there is no
// journal or it cannot be read.
[[nodiscard]] std::vector<TJournalRecord> ReadJournal(const QString &storeFile);

// Empties the journal (when there is one); gives whether it is empty now.
bool ClearJournal(const QString &storeFile);
