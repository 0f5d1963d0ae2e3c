#include "platform/MemIniFile.h"

#include "platform/AnsiText.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

QString fold(const QString &name) { return name.toCaseFolded(); }

// A line break in a stored name or value would start a new line of the text.
QString oneLine(QString s) {
  s.replace(QLatin1Char('\r'), QLatin1Char(' '));
  s.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return s;
}

int decimalDigit(QChar c) {
  const char16_t u = c.unicode();
  return u >= '0' && u <= '9' ? u - '0' : -1;
}

int hexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9')
    return u - '0';
  if (u >= 'a' && u <= 'f')
    return u - 'a' + 10;
  if (u >= 'A' && u <= 'F')
    return u - 'A' + 10;
  return -1;
}

} // namespace

QString TMMemIniFile::trimText(const QString &text) {
  // Only characters up to the blank count: a wider notion of white space (Qt's trimmed() takes
  // U+0085 and U+00A0 too) would eat characters that scrambled passwords may end in.
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text.at(begin).unicode() <= 0x20)
    ++begin;
  while (end > begin && text.at(end - 1).unicode() <= 0x20)
    --end;
  return text.mid(begin, end - begin);
}

bool TMMemIniFile::tryStrToInt(const QString &text, int &value) {
  const QString s = trimText(text);
  qsizetype i = 0;
  bool negative = false;
  if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-'))) {
    negative = s.at(i) == QLatin1Char('-');
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s.at(i) == QLatin1Char('$')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s.at(i) == QLatin1Char('0') &&
             (s.at(i + 1) == QLatin1Char('x') || s.at(i + 1) == QLatin1Char('X'))) {
    hex = true;
    i += 2;
  }
  if (i >= s.size())
    return false;
  // Hexadecimal spans the full 32 bits and wraps ("$FFFFFFFF" is -1); decimal must fit.
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t n = 0;
  for (; i < s.size(); ++i) {
    const int d = hex ? hexDigit(s.at(i)) : decimalDigit(s.at(i));
    if (d < 0)
      return false;
    n = n * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (n > limit)
      return false;
  }
  auto u = static_cast<uint32_t>(n);
  if (negative)
    u = 0u - u;
  value = static_cast<int32_t>(u);
  return true;
}

bool TMMemIniFile::tryStrToFloat(const QString &text, double &value) {
  QString s = trimText(text);
  s.replace(QLatin1Char(','), QLatin1Char('.'));
  // from_chars takes a leading "-" but no "+".
  if (s.startsWith(QLatin1Char('+'))) {
    s.remove(0, 1);
    if (s.startsWith(QLatin1Char('-')))
      return false;
  }
  for (const QChar c : s) {
    // Digits, sign, point and exponent only: from_chars would also take "inf" and "nan".
    const char16_t u = c.unicode();
    if (!((u >= '0' && u <= '9') || u == '.' || u == '-' || u == '+' || u == 'e' || u == 'E'))
      return false;
  }
  const QByteArray ascii = s.toLatin1();
  double d = 0;
  const auto [end, ec] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), d);
  if (ec != std::errc() || end != ascii.constData() + ascii.size() || !std::isfinite(d))
    return false;
  value = d;
  return true;
}

void TMMemIniFile::clear() {
  m_sections.clear();
  m_sectionIndex.clear();
}

void TMMemIniFile::setStrings(const QStringList &lines) {
  clear();
  Section *current = nullptr;
  for (const QString &line : lines) {
    const QString s = trimText(line);
    if (s.isEmpty() || s.startsWith(QLatin1Char(';')))
      continue;
    if (s.size() >= 2 && s.startsWith(QLatin1Char('[')) && s.endsWith(QLatin1Char(']'))) {
      current = &addSection(trimText(s.mid(1, s.size() - 2)));
      continue;
    }
    if (!current)
      continue;
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    Entry e;
    if (eq < 0) {
      e.key = s;
      e.isKey = false;
    } else {
      e.key = trimText(s.left(eq));
      e.value = trimText(s.mid(eq + 1));
    }
    current->entries.push_back(std::move(e));
    const Entry &added = current->entries.back();
    if (added.isKey && !added.key.isEmpty() && !current->keyIndex.contains(fold(added.key)))
      current->keyIndex.insert(fold(added.key), qsizetype(current->entries.size()) - 1);
  }
}

QStringList TMMemIniFile::getStrings() const {
  QStringList lines;
  for (const Section &s : m_sections) {
    lines.append(QLatin1Char('[') + s.name + QLatin1Char(']'));
    for (const Entry &e : s.entries)
      lines.append(e.isKey ? e.key + QLatin1Char('=') + e.value : e.key);
    lines.append(QString());
  }
  return lines;
}

void TMMemIniFile::setText(const QString &text) {
  QString t = text;
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  setStrings(t.split(QLatin1Char('\n')));
}

QString TMMemIniFile::text() const {
  QString out;
  for (const QString &line : getStrings()) {
    out += line;
    out += QLatin1String("\r\n");
  }
  return out;
}

void TMMemIniFile::loadFromBytes(const QByteArray &bytes) { setText(DecodeFileText(bytes)); }

QByteArray TMMemIniFile::toBytes() const { return text().toUtf8(); }

bool TMMemIniFile::loadFromFile(const QString &fileName) {
  clear();
  if (!QFileInfo::exists(fileName))
    return false;
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFileError(QStringLiteral("Cannot open file \"%1\": %2").arg(fileName, f.errorString()));
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw EFileError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, f.errorString()));
  loadFromBytes(bytes);
  return true;
}

void TMMemIniFile::saveToFile(const QString &fileName, mode_t mode) const {
  WriteFileAtomic(fileName, toBytes(), mode);
}

const TMMemIniFile::Section *TMMemIniFile::findSection(const QString &name) const {
  const auto it = m_sectionIndex.constFind(fold(name));
  return it == m_sectionIndex.cend() ? nullptr : &m_sections[size_t(*it)];
}

const TMMemIniFile::Entry *TMMemIniFile::findEntry(const QString &section,
                                                   const QString &key) const {
  const Section *s = findSection(section);
  if (!s || key.isEmpty())
    return nullptr;
  const auto it = s->keyIndex.constFind(fold(key));
  return it == s->keyIndex.cend() ? nullptr : &s->entries[size_t(*it)];
}

TMMemIniFile::Section &TMMemIniFile::addSection(const QString &name) {
  const QString folded = fold(name);
  const auto it = m_sectionIndex.constFind(folded);
  if (it != m_sectionIndex.cend())
    return m_sections[size_t(*it)];
  m_sections.push_back(Section{name, {}, {}});
  m_sectionIndex.insert(folded, qsizetype(m_sections.size()) - 1);
  return m_sections.back();
}

void TMMemIniFile::reindex(Section &s) {
  s.keyIndex.clear();
  for (size_t i = 0; i < s.entries.size(); ++i) {
    const Entry &e = s.entries[i];
    const QString folded = fold(e.key);
    if (e.isKey && !e.key.isEmpty() && !s.keyIndex.contains(folded))
      s.keyIndex.insert(folded, qsizetype(i));
  }
}

void TMMemIniFile::reindex() {
  m_sectionIndex.clear();
  for (size_t i = 0; i < m_sections.size(); ++i)
    m_sectionIndex.insert(fold(m_sections[i].name), qsizetype(i));
}

QString TMMemIniFile::readString(const QString &section, const QString &key,
                                 const QString &def) const {
  const Entry *e = findEntry(section, key);
  return e ? e->value : def;
}

void TMMemIniFile::writeString(const QString &section, const QString &key, const QString &value) {
  Section &s = addSection(oneLine(section));
  const QString k = oneLine(key);
  const auto it = s.keyIndex.constFind(fold(k));
  if (it != s.keyIndex.cend()) {
    s.entries[size_t(*it)].value = oneLine(value);
    return;
  }
  s.entries.push_back(Entry{k, oneLine(value), true});
  if (!k.isEmpty())
    s.keyIndex.insert(fold(k), qsizetype(s.entries.size()) - 1);
}

int TMMemIniFile::readInteger(const QString &section, const QString &key, int def) const {
  int v = 0;
  return tryStrToInt(readString(section, key, QString()), v) ? v : def;
}

void TMMemIniFile::writeInteger(const QString &section, const QString &key, int value) {
  writeString(section, key, QString::number(value));
}

bool TMMemIniFile::readBool(const QString &section, const QString &key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void TMMemIniFile::writeBool(const QString &section, const QString &key, bool value) {
  writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double TMMemIniFile::readFloat(const QString &section, const QString &key, double def) const {
  double v = 0;
  return tryStrToFloat(readString(section, key, QString()), v) ? v : def;
}

void TMMemIniFile::writeFloat(const QString &section, const QString &key, double value) {
  writeString(section, key, QString::number(value, 'g', 15));
}

bool TMMemIniFile::sectionExists(const QString &section) const {
  return findSection(section) != nullptr;
}

bool TMMemIniFile::valueExists(const QString &section, const QString &key) const {
  return findEntry(section, key) != nullptr;
}

QStringList TMMemIniFile::readSections() const {
  QStringList names;
  for (const Section &s : m_sections)
    names.append(s.name);
  return names;
}

QStringList TMMemIniFile::readSection(const QString &section) const {
  QStringList keys;
  if (const Section *s = findSection(section)) {
    for (const Entry &e : s->entries)
      if (e.isKey && !e.key.isEmpty())
        keys.append(e.key);
  }
  return keys;
}

QStringList TMMemIniFile::readSectionValues(const QString &section) const {
  QStringList lines;
  if (const Section *s = findSection(section)) {
    for (const Entry &e : s->entries)
      lines.append(e.isKey ? e.key + QLatin1Char('=') + e.value : e.key);
  }
  return lines;
}

void TMMemIniFile::eraseSection(const QString &section) {
  const auto it = m_sectionIndex.constFind(fold(section));
  if (it == m_sectionIndex.cend())
    return;
  m_sections.erase(m_sections.begin() + *it);
  reindex();
}

void TMMemIniFile::deleteKey(const QString &section, const QString &key) {
  const auto it = m_sectionIndex.constFind(fold(section));
  if (it == m_sectionIndex.cend())
    return;
  Section &s = m_sections[size_t(*it)];
  const QString folded = fold(key);
  std::erase_if(s.entries, [&](const Entry &e) { return e.isKey && fold(e.key) == folded; });
  reindex(s);
}
