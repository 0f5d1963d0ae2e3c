#include "services/TextHelpers.h"

#include <algorithm>

QString FlattenLineBreaks(const QString &text) {
  QString out = text;
  for (QChar &c : out) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\v'))
      c = QLatin1Char(' ');
  }
  return out;
}

int CompareText(const QString &a, const QString &b) {
  // Lower-case ASCII folds up, so "_" (after "Z") sorts after every letter; other characters
  // compare by code, whatever their case.
  auto fold = [](char16_t c) -> int { return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c; };
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    const int d = fold(a[i].unicode()) - fold(b[i].unicode());
    if (d != 0)
      return d;
  }
  return int(a.size() - b.size());
}

QString StripHotkey(const QString &caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&') {
      if (i + 1 >= caption.size())
        break;
      ++i; // "&&" keeps one, "&x" keeps the x
    }
    out += caption[i];
  }
  return out;
}
