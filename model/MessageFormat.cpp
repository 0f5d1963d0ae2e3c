#include "model/MessageFormat.h"

#include "platform/Errors.h"

#include <QLocale>

#include <map>
#include <vector>

namespace {

struct Specifier {
  qsizetype start = 0; // position of "%"
  qsizetype end = 0;   // one past the type letter
  int index = 0;
  bool left = false;
  int width = -1;
  int precision = -1;
  char16_t type = 0;
};

char kindOf(char16_t type) {
  switch (type) {
  case u'd':
  case u'u':
  case u'x':
    return 'i';
  case u'e':
  case u'f':
  case u'g':
  case u'n':
  case u'm':
    return 'f';
  case u's':
    return 's';
  case u'p':
    return 'p';
  default:
    return 0;
  }
}

bool readNumber(const QString &text, qsizetype &pos, int &value) {
  const qsizetype begin = pos;
  int64_t v = 0;
  while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9' && pos - begin < 6)
    v = v * 10 + (text[pos++].unicode() - u'0');
  value = static_cast<int>(v);
  return pos > begin;
}

// Splits the text into its specifiers; false when one is malformed.
bool parse(const QString &text, std::vector<Specifier> &specs) {
  int next = 0;
  qsizetype pos = 0;
  while (pos < text.size()) {
    if (text[pos] != u'%') {
      ++pos;
      continue;
    }
    Specifier s;
    s.start = pos++;
    if (pos < text.size() && text[pos] == u'%') {
      s.type = u'%';
      s.end = ++pos;
      specs.push_back(s);
      continue;
    }
    int number = 0;
    const qsizetype save = pos;
    if (readNumber(text, pos, number) && pos < text.size() && text[pos] == u':') {
      next = number;
      ++pos;
    } else {
      pos = save;
    }
    if (pos < text.size() && text[pos] == u'-') {
      s.left = true;
      ++pos;
    }
    if (readNumber(text, pos, number))
      s.width = number;
    if (pos < text.size() && text[pos] == u'.') {
      ++pos;
      if (!readNumber(text, pos, number))
        return false;
      s.precision = number;
    }
    if (pos >= text.size())
      return false;
    s.type = QChar(text[pos]).toLower().unicode();
    if (!kindOf(s.type))
      return false;
    s.end = ++pos;
    s.index = next++;
    specs.push_back(s);
  }
  return true;
}

QString formatOne(const Specifier &s, const QVariant &arg) {
  QString out;
  switch (s.type) {
  case u'd':
  case u'u':
  case u'x': {
    const bool hex = s.type == u'x';
    const qlonglong v = arg.toLongLong();
    const bool negative = !hex && s.type == u'd' && v < 0;
    const auto bits = static_cast<qulonglong>(v);
    QString digits =
        hex ? QString::number(bits, 16).toUpper() : QString::number(negative ? 0ULL - bits : bits);
    if (s.precision > digits.size())
      digits = QString(s.precision - digits.size(), u'0') + digits;
    out = negative ? u'-' + digits : digits;
    break;
  }
  case u'e':
    out = QString::number(arg.toDouble(), 'E', s.precision < 0 ? 14 : qMax(s.precision - 1, 0));
    break;
  case u'f':
    out = QString::number(arg.toDouble(), 'f', s.precision < 0 ? 2 : s.precision);
    break;
  case u'g':
    out = QString::number(arg.toDouble(), 'g', s.precision < 0 ? 15 : s.precision);
    break;
  case u'n':
  case u'm':
    out = QLocale().toString(arg.toDouble(), 'f', s.precision < 0 ? 2 : s.precision);
    break;
  case u's':
    out = arg.toString();
    if (s.precision >= 0)
      out.truncate(s.precision);
    break;
  case u'p':
    out = QStringLiteral("%1").arg(arg.toULongLong(), 8, 16, QChar(u'0')).toUpper();
    break;
  default:
    break;
  }
  if (s.width > out.size())
    out = s.left ? out.leftJustified(s.width) : out.rightJustified(s.width);
  return out;
}

} // namespace

bool FormatSpecifiersFit(const QString &text, const QString &reference) {
  std::vector<Specifier> own, ref;
  if (!parse(text, own) || !parse(reference, ref))
    return false;
  std::map<int, char> kinds;
  for (const Specifier &s : ref)
    if (s.type != u'%')
      kinds.emplace(s.index, kindOf(s.type));
  for (const Specifier &s : own) {
    if (s.type == u'%')
      continue;
    const auto it = kinds.find(s.index);
    if (it == kinds.end() || it->second != kindOf(s.type))
      return false;
  }
  return true;
}

QString FormatMessage(const QString &format, const QVariantList &args) {
  std::vector<Specifier> specs;
  if (!parse(format, specs))
    throw EConvertError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
  QString out;
  qsizetype pos = 0;
  for (const Specifier &s : specs) {
    out += QStringView(format).mid(pos, s.start - pos);
    pos = s.end;
    if (s.type == u'%') {
      out += u'%';
      continue;
    }
    if (s.index < 0 || s.index >= args.size())
      throw EConvertError(
          QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
    out += formatOne(s, args[s.index]);
  }
  out += QStringView(format).mid(pos);
  return out;
}

QString SafeFormat(const QString &translated, const QString &english, const QVariantList &args) {
  return FormatMessage(FormatSpecifiersFit(translated, english) ? translated : english, args);
}
