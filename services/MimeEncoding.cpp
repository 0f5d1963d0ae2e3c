#include "services/MimeEncoding.h"

#include <QList>

namespace {

constexpr int kMaxEncodedLine = 76;
// "=?UTF-8?B?" + data + "?=" must fit 75 characters: 63 base64 characters, so 45 bytes of text.
constexpr int kMaxWordBytes = 45;

// The bytes of text whose encoded word fits `width` characters (at least one character's worth).
int wordBytesForWidth(int width) {
  const int bytes = (width - 12) / 4 * 3;
  return bytes < 4 ? 4 : (bytes > kMaxWordBytes ? kMaxWordBytes : bytes);
}

const char kHex[] = "0123456789ABCDEF";

QByteArray hexEscape(unsigned char b, char prefix) {
  QByteArray out;
  out += prefix;
  out += kHex[b >> 4];
  out += kHex[b & 0x0F];
  return out;
}

void appendQuotedPrintableLine(QByteArray &out, const QByteArray &line) {
  int column = 0;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const auto b = static_cast<unsigned char>(line[i]);
    const bool last = i + 1 == line.size();
    QByteArray piece;
    if ((b == ' ' || b == '\t') && !last)
      piece = QByteArray(1, static_cast<char>(b));
    else if (b >= 33 && b <= 126 && b != '=')
      piece = QByteArray(1, static_cast<char>(b));
    else
      piece = hexEscape(b, '=');
    // Leave room for the "=" of a soft line break.
    if (column + piece.size() > kMaxEncodedLine - 1) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += static_cast<int>(piece.size());
  }
  out += "\r\n";
}

// Plain ASCII that an address header can carry without quotes: letters, digits, blanks and the
// atom characters.
bool isAtomText(const QString &text) {
  static const QString kAtomSpecials = QStringLiteral("!#$%&'*+-/=?^_`{|}~ ");
  for (QChar c : text) {
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && !kAtomSpecials.contains(c))
      return false;
  }
  return true;
}

} // namespace

QString FlattenHeaderText(const QString &text) {
  QString out = text;
  for (QChar &c : out) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != u'\t') || u == 0x7F || u == 0x2028 || u == 0x2029)
      c = u' ';
  }
  return out;
}

bool IsPrintableAscii(const QString &text) {
  for (QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() > 0x7E)
      return false;
  }
  return true;
}

QByteArray EncodeQuotedPrintable(const QByteArray &text) {
  QByteArray out;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = text.indexOf("\r\n", start);
    if (end < 0) {
      appendQuotedPrintableLine(out, text.mid(start));
      break;
    }
    appendQuotedPrintableLine(out, text.mid(start, end - start));
    start = end + 2;
  }
  return out;
}

QByteArray EncodeBase64Lines(const QByteArray &data) {
  const QByteArray b64 = data.toBase64();
  QByteArray out;
  out.reserve(b64.size() + b64.size() / kMaxEncodedLine * 2 + 2);
  for (qsizetype i = 0; i < b64.size(); i += kMaxEncodedLine) {
    out += b64.mid(i, kMaxEncodedLine);
    out += "\r\n";
  }
  return out;
}

QByteArray EncodeHeaderWords(const QString &text, int firstColumn) {
  QList<QByteArray> words;
  QByteArray chunk;
  int limit = wordBytesForWidth(kMaxEncodedLine - firstColumn);
  // Walk whole code points so that no character is cut between two words.
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    const QByteArray utf8 = text.mid(i, len).toUtf8();
    i += len;
    if (chunk.size() + utf8.size() > limit && !chunk.isEmpty()) {
      words << chunk;
      chunk.clear();
      limit = kMaxWordBytes;
    }
    chunk += utf8;
  }
  if (!chunk.isEmpty() || words.isEmpty())
    words << chunk;
  QByteArray out;
  for (const QByteArray &w : words) {
    if (!out.isEmpty())
      out += "\r\n ";
    out += "=?UTF-8?B?" + w.toBase64() + "?=";
  }
  return out;
}

QByteArray EncodePhrase(const QString &text) {
  if (!IsPrintableAscii(text))
    return EncodeHeaderWords(text);
  if (isAtomText(text))
    return text.toLatin1();
  QByteArray out = "\"";
  for (QChar c : text) {
    if (c == u'"' || c == u'\\')
      out += '\\';
    out += static_cast<char>(c.unicode());
  }
  return out + "\"";
}

QByteArray EncodeParameter(const QByteArray &name, const QString &value) {
  if (IsPrintableAscii(value) && !value.contains(u'"') && !value.contains(u'\\'))
    return name + "=\"" + value.toLatin1() + "\"";
  QByteArray out = name + "*=UTF-8''";
  for (char ch : value.toUtf8()) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
        QByteArrayView("!#$&+-.^_`|~").contains(ch))
      out += ch;
    else
      out += hexEscape(b, '%');
  }
  return out;
}
