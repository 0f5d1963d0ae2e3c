#include "platform/AnsiText.h"

#include <QStringDecoder>

#include <array>

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString DecodeFileText(const QByteArray &bytes) {
  // Stateless: a sequence cut off at the end is an error, not something to wait for.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (!decoder.hasError())
    return text;
  return FromWindows1252(bytes);
}

QString FromWindows1252(const QByteArray &bytes) {
  QString text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b <= 0x9F)
      text.append(QChar(HighControls[b - 0x80]));
    else
      text.append(QChar(b));
  }
  return text;
}

QByteArray ToWindows1252(const QString &text, bool *ok) {
  QByteArray bytes;
  bytes.reserve(text.size());
  bool all = true;
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      bytes.append(static_cast<char>(u));
      continue;
    }
    char out = '?';
    bool found = false;
    for (size_t i = 0; i < HighControls.size(); ++i) {
      if (HighControls[i] == u) {
        out = static_cast<char>(0x80 + i);
        found = true;
        break;
      }
    }
    all = all && found;
    bytes.append(out);
  }
  if (ok)
    *ok = all;
  return bytes;
}
