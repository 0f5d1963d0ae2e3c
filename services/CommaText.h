#pragma once

#include <QString>
#include <QStringList>

// The string list's comma format, as stored for a mail action's attached files: items separated
// by commas (or, outside quotes, by white space); an item in double quotes may hold blanks and
// commas, and a quote inside it is doubled.

// Splits a comma text into its items.
[[nodiscard]] QStringList CommaTextToList(const QString &text);

// Joins items into a comma text. Items holding a blank, a control character, a comma or a quote,
// and empty items, are quoted, so the text reads back as the same list.
[[nodiscard]] QString ListToCommaText(const QStringList &items);
