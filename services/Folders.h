#pragma once

#include <QString>
#include <QStringList>

// Shell folder ids that the program asks for.
inline constexpr int CSIDL_PERSONAL = 5;

// The folder of a shell folder id, trimmed, without a trailing separator; only CSIDL_PERSONAL is
// known on Linux, any other id gives "".
[[nodiscard]] QString GetSpecialFolder(int csidl);

// The user's documents folder: the XDG documents folder, else the home folder. It may not exist
// yet.
[[nodiscard]] QString GetMyDocumentsFolder();

// The system's temporary folder, with a trailing "/".
[[nodiscard]] QString GetTempFolder();

// Creates a new, empty file with a unique name beginning with the prefix in the folder (the
// temporary folder when empty) and gives its full name. Raises EFileError with the system's reason.
[[nodiscard]] QString MakeTempFileName(const QString &prefix, const QString &folder);

// Replaces the list with the names (without folder) of the files in folder + "/" + mask, sorted by
// name. The mask ("*", "?") matches without regard to case; hidden files are included, folders are
// not. No separator is added when the folder is empty or already ends in "/" or "\".
void ListFiles(const QString &folder, const QString &mask, QStringList &list);
