#pragma once

#include <QString>
#include <QVariantList>

// Formatting of messages with the toolkit's specifiers: "%" [index ":"] ["-"] [width]
// ["." precision] type, with the types d, u, x (integers), e, f, g, n, m (numbers), s (text), p,
// and "%%" for a percent sign. Without an index a specifier takes the argument after the
// previous one.

// True when every specifier of the text is well formed and names an argument of the kind the
// same argument has in the reference text.
[[nodiscard]] bool FormatSpecifiersFit(const QString &text, const QString &reference);

// Formats the text. Raises EConvertError for a malformed specifier or a missing argument.
[[nodiscard]] QString FormatMessage(const QString &format, const QVariantList &args);

// FormatMessage(translated) when its specifiers fit those of the English text, otherwise
// FormatMessage(english).
[[nodiscard]] QString SafeFormat(const QString &translated, const QString &english,
                                 const QVariantList &args);
