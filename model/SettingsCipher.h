#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class TMMemIniFile;

// The start key of both settings files.
inline constexpr uint16_t SettingsCipherKey = 19577;

// The settings files' byte-stream cipher. The same running key serves both directions; the length
// is unchanged and there is no header, filler or check value.
void EncipherStream(QByteArray &data, uint16_t startKey);
void DecipherStream(QByteArray &data, uint16_t startKey);

// The keyless scramble of the mail password, over bytes: byte i (from 1) gets i + i div 2 added
// (modulo 256), or taken away.
[[nodiscard]] QByteArray ScrambleBytes(const QByteArray &plain);
[[nodiscard]] QByteArray UnscrambleBytes(const QByteArray &scrambled);

// The same over text: the UTF-8 bytes of the text are scrambled and carried as the code points
// U+0000..U+00FF, one per byte, so that no character is lost. UnscrambleText also takes the
// Windows-1252 characters of a legacy file for their bytes, and a result that is not UTF-8 is read
// as Windows-1252.
[[nodiscard]] QString ScrambleText(const QString &plain);
[[nodiscard]] QString UnscrambleText(const QString &scrambled);

// The mail password in MainSettings: `Mail`/`Password` holds ScrambleText(Trim(entered)). A
// scrambled password with a byte below 0x21 could not be stored as a line of text (a line break
// splits it, blanks and control characters at the ends are trimmed), so it goes as hex to
// `Mail`/`PasswordHex`, which readers prefer, and `Password` is removed.
void WriteMailPassword(TMMemIniFile &ini, const QString &entered);
[[nodiscard]] QString ReadMailPassword(const TMMemIniFile &ini);
