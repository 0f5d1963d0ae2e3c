#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// A value path below an item: element names separated by "/" (or "\"), as "sticker/text/font".
// Parsed once when made, so a path kept in a constant costs nothing to use again. An empty step
// makes the path invalid: it finds nothing, and writing to it raises.
class TXmlPath {
public:
  // Not explicit: paths are written as text wherever a path is taken.
  TXmlPath(const QString &path);
  TXmlPath(const char *path);
  TXmlPath(const TXmlPath &other);
  TXmlPath &operator=(const TXmlPath &other);
  ~TXmlPath() = default;

  [[nodiscard]] bool valid() const { return m_valid; }
  // Every step is an element name (required before elements are made from it).
  [[nodiscard]] bool namesValid() const;
  [[nodiscard]] size_t size() const { return m_count; }
  [[nodiscard]] std::string_view step(size_t i) const {
    return m_text.substr(m_steps[i].offset, m_steps[i].length);
  }
  [[nodiscard]] QString toString() const;

private:
  void parse(std::string_view utf8);

  // Short paths (all of the program's own) live in the object itself.
  std::array<char, 80> m_buffer;
  std::string m_heap;
  std::string_view m_text;
  struct Step {
    uint32_t offset;
    uint32_t length;
  };
  Step m_steps[12]; // the first m_count are set
  size_t m_count = 0;
  bool m_valid = false;
};
