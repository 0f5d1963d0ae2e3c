#pragma once

#include <QString>
#include <QStringList>

// ELF files carry no version resource: the program's version strings are compiled in from the
// build (platform/Version.h), and only the program file itself has them.

// The running program's file (its full path).
[[nodiscard]] QString ProgramFileName();

// Replaces the list with the file's version strings, in the order Company, Description, Version,
// Internal, Copyright, TradeMarks, Filename, Product, ProductVersion, Comments; strings that are
// empty are left out. With names each line is "<name><separator><value>", else the value alone.
// Any file other than the program gives an empty list.
void GetFileVersionStrings(const QString &fileName, QStringList &list, bool withNames,
                           const QString &separator);

// "Version: <version> (<internal name>)", for example "Version: 1.0.0.1 (R1)". The strings are
// compiled in, so this never fails (a failure here used to stop every settings save).
[[nodiscard]] QString GetVersionText();
