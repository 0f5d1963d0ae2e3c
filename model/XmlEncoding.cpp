#include "model/XmlEncoding.h"

#include "platform/Errors.h"

#include <limits>

namespace {

bool isAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

bool isBlank(char16_t c) {
  return c < 0x80 ? (c == ' ' || (c >= 9 && c <= 13)) : QChar(c).isSpace();
}

// The decimal integer rule over UTF-16 units or ASCII bytes.
template <class Char> bool parseInt(const Char *p, qsizetype n, int &value) {
  qsizetype i = 0;
  while (i < n && isBlank(char16_t(p[i])))
    ++i;
  while (n > i && isBlank(char16_t(p[n - 1])))
    --n;
  bool negative = false;
  if (i < n && (p[i] == '+' || p[i] == '-')) {
    negative = p[i] == '-';
    ++i;
  }
  if (i >= n)
    return false;
  // Accumulate as a negative number so that the most negative 32-bit value fits.
  constexpr int64_t Min = std::numeric_limits<int>::min();
  int64_t acc = 0;
  for (; i < n; ++i) {
    const auto c = char16_t(p[i]);
    if (c < '0' || c > '9')
      return false;
    acc = acc * 10 - (c - '0');
    if (acc < Min)
      return false;
  }
  if (!negative && -acc > std::numeric_limits<int>::max())
    return false;
  value = static_cast<int>(negative ? acc : -acc);
  return true;
}

// Columns are 1-based and inclusive, as the file format describes them.
template <class Char>
bool columnNumber(const Char *text, qsizetype size, int first, int last, int &value) {
  if (size < last)
    return false;
  return parseInt(text + first - 1, last - first + 1, value);
}

template <class Char>
TDateTime parseDateTime(const Char *text, qsizetype size, TDateTime defaultValue) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (!columnNumber(text, size, 1, 4, year) || !columnNumber(text, size, 6, 7, month) ||
      !columnNumber(text, size, 9, 10, day) || !columnNumber(text, size, 12, 13, hour) ||
      !columnNumber(text, size, 15, 16, minute))
    return defaultValue;
  int second = 0, msec = 0;
  if (!columnNumber(text, size, 18, 19, second))
    second = 0;
  if (!columnNumber(text, size, 21, 23, msec))
    msec = 0;
  TDateTime date, time;
  if (!TryEncodeDate(year, month, day, date) || !TryEncodeTime(hour, minute, second, msec, time))
    return defaultValue;
  return date + time;
}

const char16_t *units(const QString &s) {
  return reinterpret_cast<const char16_t *>(s.constData());
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
  return parseDateTime(units(text), text.size(), defaultValue);
}

TDateTime ParseXmlDateTime(std::string_view text, TDateTime defaultValue) {
  if (!isAscii(text))
    return ParseXmlDateTime(QString::fromUtf8(text.data(), qsizetype(text.size())), defaultValue);
  return parseDateTime(text.data(), qsizetype(text.size()), defaultValue);
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
  return parseInt(units(text), text.size(), value);
}

bool TryStrToInt(std::string_view text, int &value) {
  if (!isAscii(text))
    return TryStrToInt(QString::fromUtf8(text.data(), qsizetype(text.size())), value);
  return parseInt(text.data(), qsizetype(text.size()), value);
}
