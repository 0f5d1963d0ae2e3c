#include "services/MailAddress.h"

#include "services/MimeEncoding.h"

namespace {

// Splits at top-level commas, keeping quoted text, <...> and (...) whole. A line break always
// ends an entry, whatever is open: people type one address per line, and an unclosed quote or
// bracket must not swallow the lines after it.
QStringList splitEntries(const QString &text) {
  QStringList entries;
  QString current;
  bool quoted = false;
  bool angle = false;
  int comment = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      entries << current;
      current.clear();
      quoted = angle = false;
      comment = 0;
      continue;
    }
    if (quoted) {
      current += c;
      if (c == u'\\' && i + 1 < text.size())
        current += text[++i];
      else if (c == u'"')
        quoted = false;
      continue;
    }
    if (c == u'"')
      quoted = true;
    else if (c == u'<')
      angle = true;
    else if (c == u'>')
      angle = false;
    else if (c == u'(')
      ++comment;
    else if (c == u')' && comment > 0)
      --comment;
    else if (c == u',' && !angle && comment == 0) {
      entries << current;
      current.clear();
      continue;
    }
    current += c;
  }
  entries << current;
  return entries;
}

// Removes quotes and their escapes from a display name.
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
  return out.trimmed();
}

// Removes (comments) outside quotes and gives their text as the name.
QString stripComments(const QString &text, QString &commentText) {
  QString out;
  int depth = 0;
  bool quoted = false;
  for (QChar c : text) {
    if (!quoted && c == u'(') {
      if (depth++ > 0)
        commentText += c;
      continue;
    }
    if (!quoted && c == u')' && depth > 0) {
      if (--depth > 0)
        commentText += c;
      continue;
    }
    if (depth > 0) {
      commentText += c;
      continue;
    }
    if (c == u'"')
      quoted = !quoted;
    out += c;
  }
  return out;
}

} // namespace

QList<TMailAddress> ParseAddressList(const QString &text) {
  QList<TMailAddress> result;
  for (const QString &rawEntry : splitEntries(text)) {
    const QString entry = rawEntry.trimmed();
    if (entry.isEmpty())
      continue;
    TMailAddress a;
    const qsizetype open = entry.lastIndexOf(u'<');
    const qsizetype close = entry.lastIndexOf(u'>');
    if (open >= 0 && close > open) {
      a.address = entry.mid(open + 1, close - open - 1).trimmed();
      QString ignored;
      a.name = unquote(stripComments(entry.left(open), ignored));
    } else {
      QString comment;
      a.address = stripComments(entry, comment).trimmed();
      a.name = comment.trimmed();
    }
    if (!a.address.isEmpty())
      result << a;
  }
  return result;
}

QByteArray FormatAddress(const TMailAddress &address) {
  if (address.name.isEmpty())
    return address.address.toUtf8();
  return EncodePhrase(address.name) + " <" + address.address.toUtf8() + ">";
}
