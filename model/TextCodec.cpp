#include "model/TextCodec.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F. The five unassigned codes map to the
// C1 control characters of the same value, as Windows' own conversion does.
constexpr char16_t HighTable[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

bool IsValidUtf8(const QByteArray &data) {
  const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
  const qsizetype n = data.size();
  qsizetype i = 0;
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= n)
      return false;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char d = p[i + k];
      if ((d & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

QString Windows1252ToString(const QByteArray &data) {
  QString out;
  out.resize(data.size());
  QChar *dst = out.data();
  for (qsizetype i = 0; i < data.size(); ++i) {
    const auto c = static_cast<unsigned char>(data[i]);
    dst[i] = (c >= 0x80 && c <= 0x9F) ? QChar(HighTable[c - 0x80]) : QChar(c);
  }
  return out;
}

QString DecodeTextFile(const QByteArray &data) {
  if (!IsValidUtf8(data))
    return Windows1252ToString(data);
  if (data.startsWith("\xEF\xBB\xBF"))
    return QString::fromUtf8(data.constData() + 3, data.size() - 3);
  return QString::fromUtf8(data);
}
