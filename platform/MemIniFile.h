#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <vector>

// The program's in-memory ini file, used for the settings files and the language files alike.
//
// Section and key names compare without regard to case; the spelling first used is kept. Sections
// and keys keep the order in which they were first added.
//
// Text form:
//  - a line ends in CR LF, CR or LF; every line is trimmed of blanks and control characters;
//  - empty lines, lines beginning with ";" and lines before the first section are ignored;
//  - "[Name]" opens a section (a section named twice is read as one);
//  - "key = value" is split at the first "=" and the blanks around it are dropped; a line without
//    "=" is kept as it stands but is no key;
//  - a key named twice in one section: the first is the one read and written, both are kept;
//  - the text is written as "[Name]", the section's lines, then one empty line, for every section,
//    each line ending in CR LF.
// A line break inside a name or value would split its line and could forge other keys, so each
// CR and LF there is stored as a blank.
//
// Bytes are written as UTF-8; bytes read that are not valid UTF-8 are taken as Windows-1252.
class TMMemIniFile {
public:
  TMMemIniFile() = default;

  void clear();
  [[nodiscard]] bool isEmpty() const { return m_sections.empty(); }

  // Replaces the contents with the parsed lines.
  void setStrings(const QStringList &lines);
  // The contents as text lines, without line ends.
  [[nodiscard]] QStringList getStrings() const;
  // Replaces the contents with the parsed text.
  void setText(const QString &text);
  // The contents as text, every line followed by CR LF.
  [[nodiscard]] QString text() const;

  void loadFromBytes(const QByteArray &bytes);
  [[nodiscard]] QByteArray toBytes() const;
  // Replaces the contents with the file's. Gives false, with the object empty, when the file does
  // not exist; raises EFileError when it exists but cannot be read.
  bool loadFromFile(const QString &fileName);
  // Writes the file atomically (see WriteFileAtomic); raises EFileError.
  void saveToFile(const QString &fileName, mode_t mode = 0644) const;

  // The value, or def when the section or key is missing.
  [[nodiscard]] QString readString(const QString &section, const QString &key,
                                   const QString &def) const;
  void writeString(const QString &section, const QString &key, const QString &value);
  // Decimal, "$hex" or "0xhex"; a value that is no 32-bit integer gives def.
  [[nodiscard]] int readInteger(const QString &section, const QString &key, int def) const;
  void writeInteger(const QString &section, const QString &key, int value);
  // Read as an integer: not 0 is true. Written "1" or "0".
  [[nodiscard]] bool readBool(const QString &section, const QString &key, bool def) const;
  void writeBool(const QString &section, const QString &key, bool value);
  // Takes "." or "," as the decimal separator; an empty or unconvertible value gives def.
  [[nodiscard]] double readFloat(const QString &section, const QString &key, double def) const;
  // Written with "." as the decimal separator.
  void writeFloat(const QString &section, const QString &key, double value);

  [[nodiscard]] bool sectionExists(const QString &section) const;
  [[nodiscard]] bool valueExists(const QString &section, const QString &key) const;
  // Section names in order.
  [[nodiscard]] QStringList readSections() const;
  // The key names of a section in order.
  [[nodiscard]] QStringList readSection(const QString &section) const;
  // The lines of a section ("key=value") in order.
  [[nodiscard]] QStringList readSectionValues(const QString &section) const;
  void eraseSection(const QString &section);
  // Removes every line of the key from the section.
  void deleteKey(const QString &section, const QString &key);

  // The number rules of the readers, for callers that convert settings text themselves.
  [[nodiscard]] static bool tryStrToInt(const QString &text, int &value);
  [[nodiscard]] static bool tryStrToFloat(const QString &text, double &value);
  // Removes blanks and control characters (everything up to U+0020) from both ends.
  [[nodiscard]] static QString trimText(const QString &text);

private:
  struct Entry {
    QString key;
    QString value;
    bool isKey = true; // false: a line without "=", kept as it stands
  };
  struct Section {
    QString name;
    std::vector<Entry> entries;
    QHash<QString, qsizetype> keyIndex; // folded key -> first entry
  };

  [[nodiscard]] const Section *findSection(const QString &name) const;
  [[nodiscard]] const Entry *findEntry(const QString &section, const QString &key) const;
  Section &addSection(const QString &name);
  void reindex();
  static void reindex(Section &s);

  std::vector<Section> m_sections;
  QHash<QString, qsizetype> m_sectionIndex; // folded name -> section
};
