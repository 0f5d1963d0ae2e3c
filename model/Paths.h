#pragma once

#include "model/CurrentModel.h"

#include <QString>

class TModel;

// Every file the program reads or writes is named here; no other code builds these paths.
//
// Folders:
//  - program folder: the executable's folder, or <prefix>/share/tolvane for an executable
//    installed in <prefix>/bin ($TOLVANE_PROGRAM_DIR overrides both), ending in "/"; read-only
//    resources live there (the default language file, the help file);
//  - local folder: where files kept "in the program folder" are written (control2.dat, and the
//    data files when LocalSettings `Main`/`UseLocalFolder` is on): the program folder when it is
//    writable, else $XDG_CONFIG_HOME/tolvane/ (created on use), ending in "/";
//  - per-user folder: the Documents folder + "/Tolvane";
//  - data folder: the local folder when `Main`/`UseLocalFolder` is on, else the per-user folder.
//    The switch is read on every call, so a change takes effect at once.
// "Creates" below means: a missing per-user folder is created with its parents; a failure is
// ignored and the path is returned all the same.
//
// The names that depend on the data folder or the settings take the model whose settings decide;
// the forms without one ask the current model (model/Model.h), for the model's own start-up and
// older callers.

[[nodiscard]] QString GetProgramFolder();
// The program folder of an executable in that folder (without the override), ending in "/".
[[nodiscard]] QString ProgramFolderOfExecutableFolder(const QString &folder);
[[nodiscard]] QString GetLocalFolder();
// The Documents folder (not the per-user folder, despite the name), without a trailing "/".
[[nodiscard]] QString GetUserDataFolder();
// Documents + "/Tolvane", without a trailing "/"; creates nothing.
[[nodiscard]] QString GetUserFolder();
// The current model's LocalSettings `Main`/`UseLocalFolder` (TModel::UseLocalFolder).
TOLVANE_CURRENT_MODEL [[nodiscard]] bool UseLocalFolder();

[[nodiscard]] QString GetOldSettingsFileName(); // per-user control.ini; creates
TOLVANE_CURRENT_MODEL [[nodiscard]] QString
GetMainSettingsFileName();                            // data folder control1.dat; creates
[[nodiscard]] QString GetLocalMainSettingsFileName(); // local control1.dat
[[nodiscard]] QString GetUserMainSettingsFileName();  // per-user control1.dat; creates
[[nodiscard]] QString GetLocalSettingsFileName();     // local control2.dat, always
// Per-user control2.dat; "" when the per-user folder does not exist (it is not created).
[[nodiscard]] QString GetUserLocalSettingsFileName();
TOLVANE_CURRENT_MODEL [[nodiscard]] QString GetLogFileName();  // data folder tolvane.log; creates
TOLVANE_CURRENT_MODEL [[nodiscard]] QString GetDataFileName(); // data folder data.xml; creates
[[nodiscard]] QString GetLocalDataFileName();                  // local data.xml
[[nodiscard]] QString GetUserDataFileName();                   // per-user data.xml; creates
TOLVANE_CURRENT_MODEL [[nodiscard]] QString
GetBackupFileName();                           // data folder data_backup.xml; creates
[[nodiscard]] QString GetUserBackupFileName(); // per-user data_backup.xml; creates
// The program folder's tolvane_default.lng.
[[nodiscard]] QString GetDefaultLanguageFileName();
// MainSettings `Config`/`Lng`, default GetDefaultLanguageFileName().
TOLVANE_CURRENT_MODEL [[nodiscard]] QString GetLanguageFileName();

// The same names in the data folder and the settings of that model.
[[nodiscard]] QString GetMainSettingsFileName(const TModel &model);
[[nodiscard]] QString GetLogFileName(const TModel &model);
[[nodiscard]] QString GetDataFileName(const TModel &model);
[[nodiscard]] QString GetBackupFileName(const TModel &model);
[[nodiscard]] QString GetLanguageFileName(const TModel &model);

// The program folder's HTML help, tolvane.html (opened through xdg-open).
[[nodiscard]] QString GetHelpFileName();

// The name under which a copy of the file is kept beside it, at the clock's current moment:
// <folder>/<base>_<kind>-<yyyymmdd>-<hhmmss>.<suffix> (data.xml as a conflict copy:
// data_conflict-20240506-103000.xml). When that name is taken, "-2", "-3", ... follow the time,
// so every copy is kept; raises EFileError when a thousand of them are.
[[nodiscard]] QString GetKeptCopyFileName(const QString &fileName, const QString &kind);

// A window or block position is empty when left, top, width and height are all 0; the auto-size
// flag is not looked at. Takes any record with those four fields (TPositionRec).
template <class Position> [[nodiscard]] constexpr bool IsEmptyPosition(const Position &p) {
  return p.left == 0 && p.top == 0 && p.width == 0 && p.height == 0;
}

// Multi-line values in the settings: every line break (CR LF, CR or LF) becomes the two characters
// "\n". Unescaping turns "\n" and "\N" into CR LF, so a value that held a backslash followed by n
// comes back as a line break.
[[nodiscard]] QString EscapeLineBreaks(const QString &text);
[[nodiscard]] QString UnescapeLineBreaks(const QString &text);
