#pragma once

#include <QString>
#include <QStringList>

// Splits a parameters text into arguments as a POSIX shell splits a command line into words, with
// no expansion of any kind ($HOME, *, ~ and ; stay as typed):
//  - blanks, tabs and line breaks outside quotes separate words;
//  - a backslash outside quotes takes the next character as it is (before a line break: both go);
//  - single quotes take everything up to the next single quote as it is;
//  - double quotes take everything up to the next unescaped double quote; inside them a backslash
//    escapes only $, `, ", \ and a line break, and stays before any other character;
//  - "" and '' make an empty argument.
// A quote left open takes the rest of the text, as if it had been closed at its end.
[[nodiscard]] QStringList SplitShellWords(const QString &text);
