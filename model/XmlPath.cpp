#include "model/XmlPath.h"

#include <cstring>
#include <iterator>

namespace {

bool isNameChar(unsigned char c, bool first) {
  if (c >= 0x80 || c == '_' || c == ':' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
    return true;
  return !first && ((c >= '0' && c <= '9') || c == '-' || c == '.');
}

} // namespace

TXmlPath::TXmlPath(const QString &path) {
  // The program's paths are short ASCII texts: converted without allocating.
  const qsizetype n = path.size();
  bool ascii = n <= qsizetype(m_buffer.size());
  for (qsizetype i = 0; ascii && i < n; ++i) {
    const char16_t u = path[i].unicode();
    ascii = u < 0x80;
    m_buffer[size_t(i)] = char(u);
  }
  if (ascii) {
    parse(std::string_view(m_buffer.data(), size_t(n)));
  } else {
    const QByteArray utf8 = path.toUtf8();
    parse(std::string_view(utf8.constData(), size_t(utf8.size())));
  }
}

TXmlPath::TXmlPath(const char *path) { parse(path ? std::string_view(path) : std::string_view()); }

TXmlPath::TXmlPath(const TXmlPath &other) { parse(other.m_text); }

TXmlPath &TXmlPath::operator=(const TXmlPath &other) {
  if (this != &other) {
    const std::string copy(other.m_text);
    parse(copy);
  }
  return *this;
}

void TXmlPath::parse(std::string_view utf8) {
  if (utf8.data() != m_buffer.data() && utf8.size() <= m_buffer.size()) {
    std::memcpy(m_buffer.data(), utf8.data(), utf8.size());
    m_text = std::string_view(m_buffer.data(), utf8.size());
  } else if (utf8.data() != m_buffer.data()) {
    m_heap.assign(utf8);
    m_text = m_heap;
  } else {
    m_text = utf8;
  }
  m_count = 0;
  m_valid = false;
  size_t start = 0;
  for (size_t i = 0; i <= m_text.size(); ++i) {
    if (i < m_text.size() && m_text[i] != '/' && m_text[i] != '\\')
      continue;
    if (m_count == std::size(m_steps) || i == start)
      return;
    m_steps[m_count++] = {uint32_t(start), uint32_t(i - start)};
    start = i + 1;
  }
  m_valid = true;
}

bool TXmlPath::namesValid() const {
  if (!m_valid)
    return false;
  for (size_t s = 0; s < m_count; ++s)
    for (size_t i = 0; i < step(s).size(); ++i)
      if (!isNameChar(static_cast<unsigned char>(step(s)[i]), i == 0))
        return false;
  return true;
}

QString TXmlPath::toString() const {
  return QString::fromUtf8(m_text.data(), qsizetype(m_text.size()));
}
