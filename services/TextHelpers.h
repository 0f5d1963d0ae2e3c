#pragma once

#include <QString>

// The text on one line, for the log: every CR, LF and vertical tab becomes a blank; tabs stay.
[[nodiscard]] QString FlattenLineBreaks(const QString &text);

// Compares two texts as list sorting does: character codes in order, with the ASCII letters a..z
// taken as A..Z and no other case folding. Gives < 0, 0 or > 0.
[[nodiscard]] int CompareText(const QString &a, const QString &b);

// A menu caption without its accelerator marks, as a window title shows it: "&About" gives
// "About", and "&&" gives one "&".
[[nodiscard]] QString StripHotkey(const QString &caption);
