#pragma once

#include "model/LanguageTable.h"
#include "tests/support/Sandbox.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Small file helpers shared by the store tests.
namespace storetest {

inline QByteArray readFile(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The file as text, for readable comparisons.
inline std::string fileText(const QString &path) { return readFile(path).toStdString(); }

inline void writeFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write test file");
}

// A new file in a fresh folder holding the bytes; gives its path.
inline QString fileWith(const QByteArray &bytes, const QString &name = QStringLiteral("f.xml")) {
  const QString path = sandbox::makeTempDir(QStringLiteral("store")) + u'/' + name;
  writeFile(path, bytes);
  return path;
}

// The file names in a folder, hidden ones included.
inline QStringList filesIn(const QString &dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// The process's language table for the length of one test: a test that makes one ends it too, so
// that the tests after it in the same process start without a table.
struct ScopedLanguageTable {
  ScopedLanguageTable() { CreateLanguageTable(); }
  ~ScopedLanguageTable() { FreeLanguageTable(); }
  ScopedLanguageTable(const ScopedLanguageTable &) = delete;
  ScopedLanguageTable &operator=(const ScopedLanguageTable &) = delete;
};

} // namespace storetest
