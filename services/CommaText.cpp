#include "services/CommaText.h"

namespace {

constexpr QChar kQuote = u'"';
constexpr QChar kDelimiter = u',';

// Blanks and control characters separate unquoted items and are skipped around every item.
bool isSpace(QChar c) { return c.unicode() <= u' '; }

} // namespace

QStringList CommaTextToList(const QString &text) {
  QStringList items;
  const qsizetype n = text.size();
  qsizetype p = 0;
  while (p < n && isSpace(text[p]))
    ++p;
  while (p < n) {
    QString item;
    if (text[p] == kQuote) {
      // A quoted item ends at a single quote; a doubled quote stands for one quote.
      ++p;
      while (p < n) {
        if (text[p] == kQuote) {
          if (p + 1 < n && text[p + 1] == kQuote) {
            item += kQuote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const qsizetype start = p;
      while (p < n && !isSpace(text[p]) && text[p] != kDelimiter)
        ++p;
      item = text.mid(start, p - start);
    }
    items << item;
    while (p < n && isSpace(text[p]))
      ++p;
    if (p < n && text[p] == kDelimiter) {
      ++p;
      // A comma at the very end stands before one more, empty item.
      if (p == n)
        items << QString();
      while (p < n && isSpace(text[p]))
        ++p;
    }
  }
  return items;
}

QString ListToCommaText(const QStringList &items) {
  QStringList parts;
  parts.reserve(items.size());
  for (const QString &item : items) {
    bool quote = item.isEmpty();
    for (QChar c : item) {
      if (isSpace(c) || c == kQuote || c == kDelimiter) {
        quote = true;
        break;
      }
    }
    if (quote) {
      QString q = item;
      q.replace(kQuote, QStringLiteral("\"\""));
      parts << kQuote + q + kQuote;
    } else {
      parts << item;
    }
  }
  return parts.join(kDelimiter);
}
