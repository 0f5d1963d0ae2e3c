#pragma once

#include "platform/ScopedOverride.h"

#include <QString>

// Reads the whole source into memory and writes it to the target, which is created or replaced
// atomically and gets the source's permission bits. Raises EFileError with the system's reason.
void CopyFileViaMemory(const QString &source, const QString &target);

// Moves the source over the target, replacing it. Within one file system this is one atomic
// rename. Across file systems the data is first written to a temporary file in the target's
// folder, flushed and renamed over the target, and only then is the source removed, so a crash or
// a full disk never leaves a half-written target. Raises EFileError with the system's reason on
// failure; the source is then left where it was.
void MoveFileReplace(const QString &source, const QString &target);

namespace fileops_testing {
using RenameFunction = int (*)(const char *from, const char *to);
// Where MoveFileReplace finds rename(2).
[[nodiscard]] OverrideSlot<RenameFunction> &renameSlot();
// Replaces rename(2) for MoveFileReplace (to force EXDEV, say) until the object dies.
using ScopedRename = ScopedOverride<&renameSlot>;
} // namespace fileops_testing
