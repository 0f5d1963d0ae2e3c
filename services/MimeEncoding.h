#pragma once

#include <QByteArray>
#include <QString>

// The encodings a mail message needs on its way through SMTP: every header and body line is
// 7-bit text well under the 998-byte limit, whatever the user wrote.

// A header value that cannot carry line breaks or control characters: each of them becomes a
// blank, so text from a reminder can never start a new header.
[[nodiscard]] QString FlattenHeaderText(const QString &text);

// True when the text is printable ASCII only.
[[nodiscard]] bool IsPrintableAscii(const QString &text);

// Quoted-printable body text. The input's lines end in CR LF; the output keeps those line ends
// and breaks longer lines with soft line breaks, so no line passes 76 characters.
[[nodiscard]] QByteArray EncodeQuotedPrintable(const QByteArray &text);

// Base64 in lines of 76 characters, each ended by CR LF.
[[nodiscard]] QByteArray EncodeBase64Lines(const QByteArray &data);

// UTF-8 encoded words ("=?UTF-8?B?...?="), each at most 75 characters, joined by a folding line
// break; characters are never split between words. The first word is kept short enough to end
// by column 76 when it starts at `firstColumn`.
[[nodiscard]] QByteArray EncodeHeaderWords(const QString &text, int firstColumn = 0);

// A display name for an address header: as it stands when it is plain, in quotes when it holds
// special characters, as encoded words when it is not ASCII.
[[nodiscard]] QByteArray EncodePhrase(const QString &text);

// A header parameter such as `filename="a.txt"`; a value that is not plain ASCII is written in
// the extended form `filename*=UTF-8''...` with percent escapes.
[[nodiscard]] QByteArray EncodeParameter(const QByteArray &name, const QString &value);
