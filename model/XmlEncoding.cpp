#include "model/XmlEncoding.h"

#include "platform/Errors.h"

#include <limits>

namespace {

// Columns are 1-based and inclusive, as the file format describes them.
bool columnNumber(const QString &text, int first, int last, int &value) {
  if (text.size() < last)
    return false;
  return TryStrToInt(text.mid(first - 1, last - first + 1), value);
}

int hexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9')
    return u - u'0';
  if (u >= u'A' && u <= u'F')
    return u - u'A' + 10;
  if (u >= u'a' && u <= u'f')
    return u - u'a' + 10;
  return -1;
}

[[noreturn]] void invalidBinary() { throw EConvertError(QStringLiteral("Invalid binary value")); }

} // namespace

QString FormatXmlDateTime(TDateTime value) { return DateTimeToIso(value); }

TDateTime ParseXmlDateTime(const QString &text, TDateTime defaultValue) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (!columnNumber(text, 1, 4, year) || !columnNumber(text, 6, 7, month) ||
      !columnNumber(text, 9, 10, day) || !columnNumber(text, 12, 13, hour) ||
      !columnNumber(text, 15, 16, minute))
    return defaultValue;
  int second = 0, msec = 0;
  if (!columnNumber(text, 18, 19, second))
    second = 0;
  if (!columnNumber(text, 21, 23, msec))
    msec = 0;
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, msec, time))
    return defaultValue;
  return date + time;
}

QString BinToHexLines(const QByteArray &data) {
  constexpr qsizetype BytesPerLine = 32;
  const bool prefix = data.size() >= BytesPerLine;
  QString out;
  out.reserve(data.size() * 2 + (data.size() / BytesPerLine + 1) * 2);
  for (qsizetype pos = 0; pos < data.size(); pos += BytesPerLine) {
    if (prefix)
      out += QStringLiteral("\r\n");
    out += QString::fromLatin1(data.mid(pos, BytesPerLine).toHex().toUpper());
  }
  return out;
}

QByteArray HexLinesToBin(const QString &text) {
  QByteArray out;
  out.reserve(text.size() / 2);
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    if (text[i].isSpace()) {
      ++i;
      continue;
    }
    if (i + 1 >= n)
      invalidBinary();
    const int hi = hexDigit(text[i]);
    const int lo = hexDigit(text[i + 1]);
    if (hi < 0 || lo < 0)
      invalidBinary();
    out.append(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return out;
}

QString StripClassPrefix(const QString &name) { return name.mid(1); }

bool TryStrToInt(const QString &text, int &value) {
  const QString s = text.trimmed();
  qsizetype i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    negative = s[i] == u'-';
    ++i;
  }
  if (i >= s.size())
    return false;
  // Accumulate as a negative number so that the most negative 32-bit value fits.
  constexpr int64_t Min = std::numeric_limits<int>::min();
  int64_t acc = 0;
  for (; i < s.size(); ++i) {
    const char16_t u = s[i].unicode();
    if (u < u'0' || u > u'9')
      return false;
    acc = acc * 10 - (u - u'0');
    if (acc < Min)
      return false;
  }
  if (!negative && -acc > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(negative ? acc : -acc);
  return true;
}
