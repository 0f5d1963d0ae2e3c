#include "services/TextHelpers.h"

QString FlattenLineBreaks(const QString &text) {
  QString out = text;
  for (QChar &c : out) {
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\v'))
      c = QLatin1Char(' ');
  }
  return out;
}
