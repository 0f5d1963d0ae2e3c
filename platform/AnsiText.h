#pragma once

#include <QByteArray>
#include <QString>

// The program's text files were once written in the Windows ANSI code page (Windows-1252); ours
// are UTF-8. These helpers read both.

// The text of a file's bytes: UTF-8 (a leading byte-order mark dropped) when the bytes are valid
// UTF-8, otherwise Windows-1252.
[[nodiscard]] QString DecodeFileText(const QByteArray &bytes);

// Windows-1252 bytes as text. The five bytes the code page leaves unassigned become the code
// points of the same number, so no byte is lost.
[[nodiscard]] QString FromWindows1252(const QByteArray &bytes);

// The reverse of FromWindows1252. A character the code page cannot hold becomes "?", and *ok (when
// given) is set to false.
[[nodiscard]] QByteArray ToWindows1252(const QString &text, bool *ok = nullptr);
