#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// The file that a write to `path` replaces: `path` itself (made absolute), or, when it is a
// symbolic link, the file at the end of its chain of links, which need not exist yet (a write then
// creates it there). Raises EFileError when the chain loops or is longer than the system would
// follow; such a link is never followed.
[[nodiscard]] QString ResolveWriteTarget(const QString &path);

// Replaces a file's whole contents safely: the data goes to a new file in the same folder, is
// flushed to disk, and is then renamed over the target. A symbolic link is written through: the
// file it leads to is replaced (ResolveWriteTarget, once per write) and the link stays. Raises
// EFileError (with the system's reason) on any failure; the previous file is then untouched and no
// temporary file is left. The new file gets `mode`, less any permission the file it replaces did
// not have; a file that did not exist gets `mode` less the umask.
void WriteFileAtomic(const QString &path, const QByteArray &data, mode_t mode = 0644);

// Raises EFileError (with the system's reason) when a write to `path` could not make its
// temporary file beside the file it replaces (a read-only or full folder, or none); leaves nothing
// behind otherwise (the file it tries is removed at once).
void CheckWritableBeside(const QString &path);

// The same replacement for contents written in pieces, too large to hold at once (the log's
// purge). Made, it has created the temporary file beside the target; write() adds to it; commit()
// flushes it to disk and renames it over the target. Without commit (an error on the way, or a
// writer given up) the temporary file is removed and the target stays as it was. Raises EFileError
// as WriteFileAtomic does.
class TAtomicFileWriter {
public:
  explicit TAtomicFileWriter(const QString &path, mode_t mode = 0644);
  ~TAtomicFileWriter();
  TAtomicFileWriter(const TAtomicFileWriter &) = delete;
  TAtomicFileWriter &operator=(const TAtomicFileWriter &) = delete;

  void write(const char *data, qsizetype size);
  void write(const QByteArray &data) { write(data.constData(), data.size()); }
  // Flushes what was written so far to disk, so that commit() has little left to flush.
  void sync();
  // Puts the new contents in place; the writer is done.
  void commit();
  // Removes the temporary file; the target stays as it was. The writer is done.
  void abandon();
  // The file the contents replace (ResolveWriteTarget of the path).
  [[nodiscard]] const QString &target() const { return m_target; }

private:
  [[noreturn]] void failAndRemove(const QString &what, int err);

  QString m_path;
  QString m_target;
  QByteArray m_tmpName;
  int m_fd = -1;
};

// Removes the temporary files WriteFileAtomic leaves when the process is killed between creating
// and renaming one (".<name>.XXXXXX", beside `path` and, for a link, beside the file it leads to);
// other files are left alone. Only for a time when no write to that file can be under way
// (start-up). Gives how many it removed.
int RemoveStaleTempFiles(const QString &path);
