#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One address of a recipient list: `name <address>`, `"Doe, J" <j@x>` or a bare address.
struct TMailAddress {
  QString name;    // the display name, without quotes; may be empty
  QString address; // the bare address (local part, "@", domain), as written
};

// An address list taken apart, or the first entry of it that is no address.
struct TAddressList {
  QList<TMailAddress> addresses; // empty when any entry is no address
  QString badEntry;              // that entry as written (trimmed), else ""
  QString reason;                // why it is none: one English sentence, else ""
  [[nodiscard]] bool ok() const { return reason.isEmpty(); }
};

// Takes an address list apart strictly; a list that does not parse is never guessed at. Entries
// are separated by commas outside quotes, "<>" and "()", and by line breaks between entries; empty
// entries are dropped. An entry is a bare address with an optional (comment) as its name, or an
// optional name (words, dots and "quoted text") followed by <address> and nothing else. An
// address is a local part (dot-separated words, or "quoted text") and a domain (dot-separated
// words, or [literal]) joined by one "@", without blanks; words take letters, digits, non-ASCII
// characters and !#$%&'*+-/=?^_`{|}~. A line break inside quotes, "<>" or "()", and a control
// character anywhere, make the entry no address. With `single` (a sender) more than one address
// is refused too.
[[nodiscard]] TAddressList ParseAddressList(const QString &text, bool single = false);

// The address as a header writes it, with its display name encoded when needed.
[[nodiscard]] QByteArray FormatAddress(const TMailAddress &address);
