#pragma once

#include "platform/DateTime.h"

#include <QByteArray>
#include <QString>

#include <string_view>

// The value encodings of the store's XML files: date-times, pictures as hexadecimal lines, class
// names and strict decimal integers. Pure functions; the XML object layer applies them.

// "YYYY-MM-DDTHH:NN:SS.ZZZ" of the local date-time, no zone; 0 gives "1899-12-30T00:00:00.000".
[[nodiscard]] QString FormatXmlDateTime(TDateTime value);

// Reads the text by fixed columns: year 1-4, month 6-7, day 9-10, hour 12-13, minute 15-16 are
// required; second 18-19 and millisecond 21-23 count as 0 when missing or not a number. The
// characters between the columns are not examined and anything after column 23 is ignored. A
// missing required column or a date or time the calendar rejects gives the default.
[[nodiscard]] TDateTime ParseXmlDateTime(const QString &text, TDateTime defaultValue);
// The same for UTF-8 text.
[[nodiscard]] TDateTime ParseXmlDateTime(std::string_view text, TDateTime defaultValue);

// Upper-case hexadecimal, 32 bytes (64 characters) per line. With 32 bytes or more every line,
// the first included, is preceded by CR LF; 1 to 31 bytes give one bare line; none give "".
[[nodiscard]] QString BinToHexLines(const QByteArray &data);

// The inverse: pairs of hexadecimal digits in either case, with any white space between pairs.
// Anything else (a stray character, an odd digit) raises EConvertError "Invalid binary value".
[[nodiscard]] QByteArray HexLinesToBin(const QString &text);

// A class name without its first character ("TBitmap" -> "Bitmap").
[[nodiscard]] QString StripClassPrefix(const QString &name);

// A decimal integer: optional white space around, an optional sign, then digits only ("$1A",
// "1e3", "" and values outside 32 bits are not integers). Gives false for anything else.
[[nodiscard]] bool TryStrToInt(const QString &text, int &value);
// The same for UTF-8 text.
[[nodiscard]] bool TryStrToInt(std::string_view text, int &value);
