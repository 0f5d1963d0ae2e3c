#pragma once

#include <QString>

// What the command line asks for, decided before any application object exists, so that help,
// the version and mistakes are answered without a display and without touching any file.
//
// The first argument "stop" (exactly) ends the running instance. "--help" (or "-h") and
// "--version" answer and end. "--make-lng FILE" (or "--make-lng=FILE") writes the default
// language file into FILE and ends, without a display and beside any running instance. Qt's own
// options (-platform, -display, -session, -style and the
// like, with their values) are left to Qt. Any other argument that starts with "-" is a mistake;
// other words start the program as no argument does.
struct TCommandLine {
  enum class Action { Start, Stop, Help, Version, MakeLanguageFile, Mistake };
  Action action = Action::Start;
  QString mistake; // for Mistake: what is wrong, for the user
  QString file;    // for MakeLanguageFile: the file to write
};

[[nodiscard]] TCommandLine ParseCommandLine(int argc, char **argv);

// The usage text, ending in a line break.
[[nodiscard]] QString UsageText();

// Exit codes of the answers: help and version 0, a mistake 2.
inline constexpr int UsageErrorExitCode = 2;
