#include "services/ShellWords.h"

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// The characters a backslash escapes inside double quotes.
bool escapedInDoubleQuotes(QChar c) {
  return c == u'$' || c == u'`' || c == u'"' || c == u'\\' || c == u'\n';
}

} // namespace

QStringList SplitShellWords(const QString &text) {
  QStringList words;
  QString word;
  bool inWord = false; // also true for a word that is still empty ("")
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (isBlank(c)) {
      if (inWord)
        words << word;
      word.clear();
      inWord = false;
    } else if (c == u'\\') {
      inWord = true;
      if (i + 1 >= n) {
        word += c; // a backslash at the very end stands for itself
      } else if (text[i + 1] == u'\n') {
        ++i; // a line continuation
      } else {
        word += text[++i];
      }
    } else if (c == u'\'') {
      inWord = true;
      for (++i; i < n && text[i] != u'\''; ++i)
        word += text[i];
    } else if (c == u'"') {
      inWord = true;
      for (++i; i < n && text[i] != u'"'; ++i) {
        if (text[i] == u'\\' && i + 1 < n && escapedInDoubleQuotes(text[i + 1])) {
          if (text[++i] != u'\n')
            word += text[i];
        } else {
          word += text[i];
        }
      }
    } else {
      inWord = true;
      word += c;
    }
  }
  if (inWord)
    words << word;
  return words;
}
