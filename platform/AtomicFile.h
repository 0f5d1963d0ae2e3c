#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Replaces a file's whole contents safely: the data goes to a new file in the same folder, is
// flushed to disk, and is then renamed over the target. Raises EFileError (with the system's
// reason) on any failure; the previous file is then untouched and no temporary file is left.
// The new file gets `mode`, less any permission the file it replaces did not have; a file that
// did not exist gets `mode` less the umask.
void WriteFileAtomic(const QString &path, const QByteArray &data, mode_t mode = 0644);

// Removes the temporary files WriteFileAtomic leaves beside `path` when the process is killed
// between creating and renaming one (".<name>.XXXXXX"); other files are left alone. Only for a
// time when no write to that file can be under way (start-up). Gives how many it removed.
int RemoveStaleTempFiles(const QString &path);
