#pragma once

#include "model/CurrentModel.h"
#include "platform/MemIniFile.h"
#include "platform/ScopedOverride.h"

#include <QString>

#include <functional>

class TModel;

// The program's two settings objects and their enciphered files:
//  - MainSettings, control1.dat in the data folder (see Paths.h);
//  - LocalSettings, control2.dat in the local folder.
// Their in-memory content is the truth while the program runs; the files are snapshots written at
// fixed points. Both files are written atomically with mode 0600 (they hold the mail password).
// The key names and defaults are listed in SettingsKeys.h.

// The current model's two settings objects (model/Model.h). Each operation below takes the model
// whose settings it loads or saves; the forms without one work on the current model.
TOLVANE_CURRENT_MODEL [[nodiscard]] TMMemIniFile &MainSettings();
TOLVANE_CURRENT_MODEL [[nodiscard]] TMMemIniFile &LocalSettings();

// Clears the object; when the file exists, reads, deciphers and parses it and gives true (even
// when nothing in it was usable). Gives false for a missing file; raises EFileError when the file
// exists but cannot be read. With `keepDamaged`, a file whose deciphered text is no settings file
// is renamed to GetKeptCopyFileName(file, "damaged") (control1_damaged-<date>-<time>.dat, beside
// the file a link leads to), the user is told, and the result is false (the defaults apply).
bool LoadEncipheredIni(TMMemIniFile &ini, const QString &fileName, bool keepDamaged = false);

// Load the settings from their files: a file that is there but cannot be read gets up to three
// attempts with a 100 ms pause between them (the program's pause keeps events running; see
// ScopedRetryPause); a missing or damaged file gets one. When none worked the object is empty and
// the result false; a file that is a symbolic link that loops is then told to the user. Never
// raise.
bool LoadMainSettings(TModel &model);
bool LoadLocalSettings(TModel &model);
TOLVANE_CURRENT_MODEL bool LoadMainSettings();
TOLVANE_CURRENT_MODEL bool LoadLocalSettings();

// Save MainSettings (with `Config`/`Ver` set to the version text first) when its text has more
// than one line, and LocalSettings when it has any line. Errors are not raised: the result is
// false and the file keeps its previous content.
bool SaveMainSettings(TModel &model);
bool SaveLocalSettings(TModel &model);
TOLVANE_CURRENT_MODEL bool SaveMainSettings();
TOLVANE_CURRENT_MODEL bool SaveLocalSettings();

// The start-up handling of the settings files, in this order (the temporary files that killed
// saves left beside control2.dat and control1.dat are removed before each is read):
//  1. a control2.dat only in the per-user folder is copied into the local folder (failure ignored);
//  2. LoadLocalSettings;
//  3. LoadMainSettings (its folder depends on LocalSettings `Main`/`UseLocalFolder`);
//  4. a legacy plain control.ini in the per-user folder replaces MainSettings, once: it is first
//     renamed to control.ini.imported (or else deleted); only when that worked is it applied,
//     `Config`/`Ver` set and control1.dat saved at once; the renamed file is removed after a
//     successful save. A legacy file that cannot be moved out of the way is not applied, so it
//     cannot overwrite later changes at every start.
void LoadSettingsAtStartUp(TModel &model);
TOLVANE_CURRENT_MODEL void LoadSettingsAtStartUp();

// Where the loaders find the pause between load attempts: a plain sleep unless replaced.
[[nodiscard]] OverrideSlot<std::function<void(int ms)>> &retryPauseSlot();
// Replaces the pause between load attempts until the object dies (the program keeps its events
// running, tests record the pauses instead of waiting).
using ScopedRetryPause = ScopedOverride<&retryPauseSlot>;
