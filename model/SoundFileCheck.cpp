#include "model/SoundFileCheck.h"

#include "model/LanguageTable.h"

#include <QDir>
#include <QFileInfo>

QString SoundFileProblem(const QString &fileName) {
  const QString name = fileName.trimmed();
  if (name.isEmpty())
    return TranslateText(QStringLiteral("No sound file is chosen."));
  const QFileInfo file(name);
  const QString shown = QLatin1Char(' ') + QDir::toNativeSeparators(name);
  if (!file.exists())
    return TranslateText(QStringLiteral("The sound file is not found:")) + shown;
  if (!file.isFile() || !file.isReadable())
    return TranslateText(QStringLiteral("The sound file can't be read:")) + shown;
  return {};
}
