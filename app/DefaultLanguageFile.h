#pragma once

#include <QString>

// The default language file, made from the windows themselves: every form and frame of the user
// interface is built (never shown) and writes its captions into its section, then the message
// table is added. This is what the build puts into the program folder as tolvane_default.lng,
// and what a translator starts from.
//
// Runs in place of the program ("tolvane --make-lng FILE"): it needs no display (the offscreen
// platform), takes no instance lock, and reads and writes no file but FILE, which it makes anew
// (keys of controls that no longer exist do not survive). Gives the exit code: 0 when written,
// 1 with the reason on standard error when not.
int MakeDefaultLanguageFile(int argc, char **argv, const QString &fileName);
