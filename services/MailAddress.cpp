#include "services/MailAddress.h"

#include "services/MimeEncoding.h"

#include <algorithm>

// Addresses come from reminders that may have been imported from other people's files, so a list
// is taken apart strictly: what does not parse is refused with the reason, never guessed at. The
// loose reading it replaces sent "<evil>@x" to "evil", and turned a line break inside a quoted
// name into a recipient of its own.

namespace {

bool isLineBreak(QChar c) { return c == u'\r' || c == u'\n'; }

// Blanks may stand between words; a line break is taken care of before.
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool isControl(QChar c) {
  const char16_t u = c.unicode();
  return (u < 0x20 && u != u'\t') || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == 0x2028 ||
         u == 0x2029;
}

// A character of a word: ASCII letters, digits and the marks an address may hold, and any
// non-ASCII character but a blank.
bool isWordChar(QChar c) {
  const char16_t u = c.unicode();
  if (u >= 0x80)
    return !c.isSpace();
  return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
         QStringView(u"!#$%&'*+-/=?^_`{|}~").contains(c);
}

// Words separated by single dots, none empty.
bool isDotWords(QStringView text) {
  if (text.isEmpty() || text.startsWith(u'.') || text.endsWith(u'.') || text.contains(u".."))
    return false;
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'.' || isWordChar(c); });
}

// "quoted text" with backslash escapes, as a whole.
bool isQuoted(QStringView text) {
  if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"'))
    return false;
  for (qsizetype i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == u'\\')
      ++i;
    else if (text[i] == u'"')
      return false;
  }
  return true;
}

struct Entry {
  QString text;
  QString reason; // set when the splitting already found it is no address
};

// Splits at commas outside quotes, <...> and (...), and at line breaks between entries. A line
// break inside any of them is refused, not taken as the end of the entry: that is how a quoted
// name with a line break became a recipient of its own.
QList<Entry> splitEntries(const QString &text) {
  QList<Entry> entries;
  QString current;
  bool quoted = false;
  bool angle = false;
  int comment = 0;
  auto refuse = [&](const QString &reason) {
    entries << Entry{current.trimmed(), reason};
    return entries;
  };
  const QString openAtBreak = QStringLiteral("A line break comes before the closing quote, "
                                             "\">\" or \")\".");
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (isLineBreak(c)) {
      if (quoted || angle || comment > 0)
        return refuse(openAtBreak);
      entries << Entry{current, {}};
      current.clear();
      continue;
    }
    current += c;
    if ((quoted || comment > 0) && c == u'\\' && i + 1 < text.size()) {
      if (isLineBreak(text[i + 1]))
        return refuse(openAtBreak);
      current += text[++i];
    } else if (quoted) {
      quoted = c != u'"';
    } else if (comment > 0) {
      comment += c == u'(' ? 1 : c == u')' ? -1 : 0;
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u'(') {
      comment = 1;
    } else if (c == u'<') {
      angle = true;
    } else if (c == u'>') {
      angle = false;
    } else if (c == u',' && !angle) {
      current.chop(1);
      entries << Entry{current, {}};
      current.clear();
    }
  }
  if (quoted)
    return refuse(QStringLiteral("A quote is not closed."));
  if (comment > 0)
    return refuse(QStringLiteral("A \"(\" is not closed."));
  if (angle)
    return refuse(QStringLiteral("A \"<\" is not closed."));
  entries << Entry{current, {}};
  return entries;
}

// The entry with its (comments) taken out (each leaves a blank), and their text.
QString withoutComments(const QString &entry, QString &comments) {
  QString out;
  int depth = 0;
  bool quoted = false;
  for (qsizetype i = 0; i < entry.size(); ++i) {
    const QChar c = entry[i];
    if (depth > 0) {
      if (c == u'\\' && i + 1 < entry.size()) {
        comments += entry[++i];
        continue;
      }
      depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
      if (depth > 0)
        comments += c;
      else
        out += u' ';
      continue;
    }
    if (quoted && c == u'\\' && i + 1 < entry.size()) {
      out += c;
      out += entry[++i];
      continue;
    }
    if (!quoted && c == u'(') {
      depth = 1;
      if (!comments.isEmpty())
        comments += u' ';
      continue;
    }
    if (c == u'"')
      quoted = !quoted;
    out += c;
  }
  return out;
}

// Quotes and their escapes removed from a name.
QString unquote(const QString &text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'"')
      continue;
    if (c == u'\\' && i + 1 < text.size()) {
      out += text[++i];
      continue;
    }
    out += c;
  }
  return out.simplified();
}

// Why the bare address is none, or "".
QString addressProblem(const QString &spec) {
  if (spec.isEmpty())
    return QStringLiteral("There is no address.");
  qsizetype at = -1;
  if (spec.startsWith(u'"')) {
    for (qsizetype i = 1; i < spec.size() && at < 0; ++i) {
      if (spec[i] == u'\\')
        ++i;
      else if (spec[i] == u'"')
        at = i + 1 < spec.size() && spec[i + 1] == u'@' ? i + 1 : spec.size();
    }
  } else {
    at = spec.indexOf(u'@');
  }
  if (at < 0 || at >= spec.size())
    return QStringLiteral("The address has no \"@\".");
  const QStringView local = QStringView(spec).left(at);
  const QStringView domain = QStringView(spec).mid(at + 1);
  if (std::any_of(domain.begin(), domain.end(), isBlank) ||
      (!local.startsWith(u'"') && std::any_of(local.begin(), local.end(), isBlank)))
    return QStringLiteral("The address holds a blank.");
  if (local.isEmpty())
    return QStringLiteral("Nothing comes before the \"@\".");
  if (domain.isEmpty())
    return QStringLiteral("Nothing comes after the \"@\".");
  if (!isDotWords(local) && !isQuoted(local))
    return QStringLiteral("The part before the \"@\" holds a character an address cannot hold.");
  const bool literal =
      domain.startsWith(u'[') && domain.endsWith(u']') &&
      std::all_of(domain.begin() + 1, domain.end() - 1, [](QChar c) {
        return c.unicode() > 32 && c.unicode() < 127 && c != u'[' && c != u']' && c != u'\\';
      });
  if (!literal && !isDotWords(domain))
    return QStringLiteral("The part after the \"@\" is no domain name.");
  return {};
}

// Takes one entry apart; gives the reason when it is no address.
QString parseEntry(const QString &entry, TMailAddress &out) {
  if (std::any_of(entry.begin(), entry.end(), isControl))
    return QStringLiteral("It holds a control character.");
  QString comments;
  const QString rest = withoutComments(entry, comments);
  qsizetype open = -1, close = -1;
  bool quoted = false;
  for (qsizetype i = 0; i < rest.size(); ++i) {
    const QChar c = rest[i];
    if (quoted && c == u'\\') {
      ++i;
    } else if (c == u'"') {
      quoted = !quoted;
    } else if (!quoted && c == u'<') {
      if (open >= 0)
        return QStringLiteral("It holds more than one \"<\".");
      open = i;
    } else if (!quoted && c == u'>') {
      if (open < 0 || close >= 0)
        return QStringLiteral("A \">\" stands without its \"<\".");
      close = i;
    }
  }
  if (open < 0) {
    out.address = rest.trimmed();
    out.name = comments.simplified();
    return addressProblem(out.address);
  }
  if (!QStringView(rest).mid(close + 1).trimmed().isEmpty())
    return QStringLiteral("Text follows the closing \">\".");
  const QString phrase = rest.left(open);
  quoted = false;
  for (qsizetype i = 0; i < phrase.size(); ++i) {
    const QChar c = phrase[i];
    if (quoted && c == u'\\')
      ++i;
    else if (c == u'"')
      quoted = !quoted;
    else if (!quoted && !isWordChar(c) && !isBlank(c) && c != u'.')
      return QStringLiteral("The name holds a character that needs double quotes around the name.");
  }
  out.name = unquote(phrase);
  out.address = rest.mid(open + 1, close - open - 1).trimmed();
  return addressProblem(out.address);
}

} // namespace

TAddressList ParseAddressList(const QString &text, bool single) {
  TAddressList list;
  for (const Entry &entry : splitEntries(text)) {
    const QString trimmed = entry.text.trimmed();
    QString reason = entry.reason;
    TMailAddress a;
    if (reason.isEmpty()) {
      if (trimmed.isEmpty())
        continue;
      reason = parseEntry(trimmed, a);
    }
    if (!reason.isEmpty()) {
      list.addresses.clear();
      list.badEntry = trimmed;
      list.reason = reason;
      return list;
    }
    list.addresses << a;
  }
  if (single && list.addresses.size() > 1) {
    list.addresses.clear();
    list.badEntry = text.trimmed();
    list.reason = QStringLiteral("It holds more than one address.");
  }
  return list;
}

QByteArray FormatAddress(const TMailAddress &address) {
  if (address.name.isEmpty())
    return address.address.toUtf8();
  return EncodePhrase(address.name) + " <" + address.address.toUtf8() + ">";
}
