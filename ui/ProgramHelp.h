#pragma once

class QObject;

// The program's help page (GetHelpFileName) opened in the user's browser at a window's help
// context or at a context number. When it cannot be (the file is missing, or no program on the
// computer opens HTML files), the user is told so, with the help file's full name, so that it can
// be opened by hand: before, nothing happened at all. False then.
bool OpenProgramHelp(const QObject *form);
bool OpenProgramHelpAt(int context);
