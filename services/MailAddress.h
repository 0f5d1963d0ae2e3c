#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One address of a recipient list: `name <address>`, `"Doe, J" <j@x>` or a bare address.
struct TMailAddress {
  QString name;    // the display name, without quotes; may be empty
  QString address; // the bare address
};

// Splits an address list separated by commas or line breaks. Commas inside quotes, angle brackets
// or parentheses do not split; the bare address is the part inside "<>", else the whole entry
// without comments; empty entries are dropped.
[[nodiscard]] QList<TMailAddress> ParseAddressList(const QString &text);

// The address as a header writes it, with its display name encoded when needed.
[[nodiscard]] QByteArray FormatAddress(const TMailAddress &address);
