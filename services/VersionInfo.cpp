#include "services/VersionInfo.h"

#include "platform/Version.h"

#include <QFileInfo>

#include <array>

namespace {

struct VersionString {
  const char *displayName;
  QString value;
};

std::array<VersionString, 10> programVersionStrings() {
  const QString versionText = QString::fromLatin1(version::Text);
  return {{
      {"Company", QString()},
      {"Description", QStringLiteral("Tolvane reminder")},
      {"Version", versionText},
      {"Internal", QString::fromLatin1(version::InternalName)},
      {"Copyright", QString()},
      {"TradeMarks", QString()},
      {"Filename", QStringLiteral("tolvane")},
      {"Product", QStringLiteral("Tolvane")},
      {"ProductVersion", versionText},
      {"Comments", QString()},
  }};
}

} // namespace

QString ProgramFileName() {
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void GetFileVersionStrings(const QString &fileName, QStringList &list, bool withNames,
                           const QString &separator) {
  list.clear();
  const QString program = ProgramFileName();
  if (fileName.isEmpty() || program.isEmpty() || QFileInfo(fileName).canonicalFilePath() != program)
    return;
  for (const VersionString &s : programVersionStrings()) {
    const QString value = s.value.trimmed();
    if (value.isEmpty())
      continue;
    list.append(withNames ? QString::fromLatin1(s.displayName) + separator + value : value);
  }
}

QString GetVersionText() {
  return QStringLiteral("Version: %1 (%2)")
      .arg(QString::fromLatin1(version::Text), QString::fromLatin1(version::InternalName));
}
