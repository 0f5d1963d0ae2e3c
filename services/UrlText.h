#pragma once

#include <QString>

#include <optional>

// Whether a text looks like a web address: it starts with "http" or "www", ends with "htm" or
// "html", or starts with "*" and holds a dot; letter case does not matter. Loose on purpose
// ("httpd.conf" counts): the program box takes such a text as it is either way.
[[nodiscard]] bool IsUrlText(const QString &text);

// What the program box takes for a text dropped on it (a file name or a piece of text):
//  - a web address as it is;
//  - an existing file: its path, or, for a link file (an internet shortcut ".url" or a desktop
//    entry ".desktop") whose "URL" line has a value, that value;
//  - anything else: nothing.
// Only small link files are read (kLinkFileLimit bytes at most); no other file is opened.
[[nodiscard]] std::optional<QString> ResolveDroppedText(const QString &text);

inline constexpr qint64 kLinkFileLimit = 64 * 1024;
