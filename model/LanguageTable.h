#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <utility>
#include <vector>

// The [Messages] section of the current language file: lines key=value, in file order. Keys are
// English messages with every CR LF written as "/"; in values "/" stands for a line break.
class TLanguageTable {
public:
  void Clear() { m_lines.clear(); }
  void Add(const QString &key, const QString &value) { m_lines.emplace_back(key, value); }
  // The value of the first line whose key equals the key, ignoring case; "" when none does.
  [[nodiscard]] QString Value(const QString &key) const;
  [[nodiscard]] int Count() const { return static_cast<int>(m_lines.size()); }

private:
  std::vector<std::pair<QString, QString>> m_lines;
};

// The program's table, or none: the master window creates it when it starts and frees it when it
// ends. It belongs to no model: every layer translates, also while no model lives. Without a table
// every message stays as it is. GUI thread only.
[[nodiscard]] TLanguageTable *LanguageTable();
void CreateLanguageTable();
void FreeLanguageTable();

// The translation of an English message, with "/" turned into line breaks; the message itself
// (also with "/" turned into line breaks) when the table has no translation. Blank messages,
// and every message while there is no table, come back unchanged. Never pass composed text
// (paths, subjects, server errors) through it.
[[nodiscard]] QString TranslateText(const QString &message);

// Replaces the table by the [Messages] section of the file. Nothing happens without a table,
// with an empty name or when the file does not exist; a file that cannot be read leaves the
// table as it was too.
void LoadLanguageFile(const QString &fileName);
// The sections a language file of the program holds: [Messages] and one per window, named after
// the window (the sections the default language file has).
[[nodiscard]] const QStringList &LanguageFileSections();
// Whether the file is a language file: one with at least one of those sections. A file that does
// not exist or cannot be read is none.
[[nodiscard]] bool IsLanguageFile(const QString &fileName);
// Adds every translatable message, with its English text as the value, to the [Messages]
// section of an existing file, keeping everything else in the file. Raises EFileError when the
// file cannot be read or written.
void WriteDefaultLanguageFile(const QString &fileName);

// The messages WriteDefaultLanguageFile writes, in order (duplicates included).
[[nodiscard]] QStringList DefaultLanguageMessages();
// The footer of mails that carry exchange files.
[[nodiscard]] QString MailFooterText();
// The maker's web address, as the mail footer and the about box give it.
[[nodiscard]] QString MakerWebAddress();

// TranslateText(english) formatted with the arguments. A translation whose format specifiers do
// not fit the English message's arguments is not used: a language file must never be able to
// break the formatting.
[[nodiscard]] QString TranslateFormat(const QString &english, const QVariantList &args);
