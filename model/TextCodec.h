#pragma once

#include <QByteArray>
#include <QString>

// Text files of the program are UTF-8. Files written by older versions or edited with Windows
// tools may hold Windows-1252 text instead; those are recognised by not being valid UTF-8.

[[nodiscard]] bool IsValidUtf8(const QByteArray &data);
[[nodiscard]] QString Windows1252ToString(const QByteArray &data);
// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else
// Windows-1252.
[[nodiscard]] QString DecodeTextFile(const QByteArray &data);
