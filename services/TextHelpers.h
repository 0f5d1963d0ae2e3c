#pragma once

#include <QString>

// The text on one line, for the log: every CR, LF and vertical tab becomes a blank; tabs stay.
[[nodiscard]] QString FlattenLineBreaks(const QString &text);
