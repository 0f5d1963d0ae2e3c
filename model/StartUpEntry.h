#pragma once

#include <QString>
#include <QStringList>

// Starting with the session: an XDG autostart entry, $XDG_CONFIG_HOME/autostart/tolvane.desktop
// (~/.config/autostart when the variable is unset), whose Exec line runs the program.

// The entry's file name.
[[nodiscard]] QString StartUpEntryFileName();

// Writes the entry for the running program (flag true) or removes it (flag false; a missing
// entry is no error). True when the autostart folder exists or could be created and the change
// was made; a failed write gives false and raises nothing.
bool SetStartUpEntry(bool flag);
// True when the entry exists and runs exactly the running program's full path (case-sensitive).
[[nodiscard]] bool GetStartUpEntry();

// The same for a given program path.
bool SetStartUpEntryFor(bool flag, const QString &programPath);
[[nodiscard]] bool GetStartUpEntryFor(const QString &programPath);

// The Exec value for an argument vector, quoted as desktop entries require (and with "%" doubled),
// and the reverse. Exec values are also escaped as key-file strings; these functions do both.
[[nodiscard]] QString DesktopExecValue(const QStringList &arguments);
[[nodiscard]] QStringList DesktopExecArguments(const QString &value);
