#include "model/Settings.h"

#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/SettingsCipher.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "services/FileOps.h"
#include "services/VersionInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int LoadAttempts = 3;
constexpr int RetryPauseMs = 100;
constexpr mode_t SettingsFileMode = 0600;

// A plain sleep: the model has no event loop of its own. The program replaces it with a pause that
// keeps its windows responsive.
std::function<void(int)> &plainSleep() {
  static std::function<void(int)> pause = [](int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  };
  return pause;
}

// Whether deciphered bytes are a settings file as we write it: printable lines, each a section,
// a comment or a key=value pair, the last one ended. The cipher feeds back, so one flipped bit
// garbles the rest of the file, and a cut file loses its line end.
bool looksLikeSettings(const QByteArray &text) {
  if (text.isEmpty())
    return true;
  if (!text.endsWith('\n'))
    return false;
  for (const QByteArray &raw : text.split('\n')) {
    for (const char c : raw) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r')
        return false;
    }
    const QByteArray line = raw.trimmed();
    if (!line.isEmpty() && !line.startsWith(';') && !line.contains('=') &&
        !(line.startsWith('[') && line.endsWith(']')))
      return false;
  }
  return true;
}

// A damaged file is moved aside before anything can write the defaults over it, and the user is
// told where it went. Each one is kept under a name with the date and time, as the store's
// conflict copies are: a second damaged file renamed over a fixed name lost the first one. A link
// keeps its place: the file it leads to is moved aside beside it, and the next save writes a new
// file there through the link.
void setAsideDamaged(const QString &fileName) {
  const QString damaged = ResolveWriteTarget(fileName);
  const QString kept = GetKeptCopyFileName(damaged, QStringLiteral("damaged"));
  if (std::rename(QFile::encodeName(damaged).constData(), QFile::encodeName(kept).constData()) != 0)
    throw EFileError(QStringLiteral("Cannot move the damaged file \"%1\" aside").arg(fileName));
  errors::reportInfo(QStringLiteral("The settings file was damaged; the program starts with its "
                                    "default settings. The damaged file is kept as:\r\n") +
                     kept);
}

// A link that loops is neither followed nor taken for a missing file in silence: the settings
// cannot be read or saved until the user mends it.
void tellWhenLinkLoops(const QString &fileName) {
  if (!QFileInfo(fileName).isSymLink() || QFileInfo::exists(fileName))
    return;
  try {
    (void)ResolveWriteTarget(fileName);
  } catch (const EFileError &e) {
    errors::reportInfo(
        TranslateText(QStringLiteral("The settings file cannot be read; the program starts "
                                     "with its default settings and cannot save them.")) +
        QStringLiteral("\r\n") + e.message());
  }
}

bool loadWithRetries(TMMemIniFile &ini, const std::function<QString()> &fileName,
                     bool keepDamaged = false) {
  for (int attempt = 1; attempt <= LoadAttempts; ++attempt) {
    try {
      // Only a file that is there and could not be read is worth another attempt: a missing one
      // (every first start) or one set aside as damaged stays so, and the pauses held up the
      // start.
      if (LoadEncipheredIni(ini, fileName(), keepDamaged))
        return true;
      break;
    } catch (const std::exception &e) {
      qWarning("Cannot load settings: %s", e.what());
      ini.clear();
    }
    if (attempt < LoadAttempts)
      retryPauseSlot().get()(RetryPauseMs);
  }
  tellWhenLinkLoops(fileName());
  return false;
}

bool save(const TMMemIniFile &ini, const QString &fileName, qsizetype minimumLines) {
  if (ini.getStrings().size() < minimumLines)
    return false;
  QByteArray bytes = ini.toBytes();
  EncipherStream(bytes, SettingsCipherKey);
  WriteFileAtomic(fileName, bytes, SettingsFileMode);
  return true;
}

void importLegacySettings(TModel &model) {
  const QString legacy = GetOldSettingsFileName();
  if (!QFileInfo::exists(legacy))
    return;
  TMMemIniFile imported;
  imported.loadFromFile(legacy);
  QString parked = legacy + QStringLiteral(".imported");
  if (std::rename(QFile::encodeName(legacy).constData(), QFile::encodeName(parked).constData()) !=
      0) {
    if (!QFile::remove(legacy)) {
      qWarning("The legacy settings file %s cannot be moved or removed; it is not imported",
               qUtf8Printable(legacy));
      return;
    }
    parked.clear();
  }
  imported.writeString(QStringLiteral("Config"), QStringLiteral("Ver"), GetVersionText());
  model.MainSettings() = imported;
  const bool saved = SaveMainSettings(model);
  if (parked.isEmpty())
    return;
  if (saved)
    QFile::remove(parked);
  else // until the settings reach the disk, the legacy file stays their only copy there
    (void)std::rename(QFile::encodeName(parked).constData(), QFile::encodeName(legacy).constData());
}

} // namespace

TMMemIniFile &MainSettings() { return TModel::Current().MainSettings(); }
TMMemIniFile &LocalSettings() { return TModel::Current().LocalSettings(); }

bool LoadEncipheredIni(TMMemIniFile &ini, const QString &fileName, bool keepDamaged) {
  ini.clear();
  if (!QFileInfo::exists(fileName))
    return false;
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFileError(QStringLiteral("Cannot open file \"%1\": %2").arg(fileName, f.errorString()));
  QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw EFileError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, f.errorString()));
  DecipherStream(bytes, SettingsCipherKey);
  if (keepDamaged && !looksLikeSettings(bytes)) {
    setAsideDamaged(fileName);
    return false;
  }
  ini.loadFromBytes(bytes);
  return true;
}

bool LoadMainSettings(TModel &model) {
  return loadWithRetries(
      model.MainSettings(), [&model] { return GetMainSettingsFileName(model); }, true);
}
bool LoadMainSettings() { return LoadMainSettings(TModel::Current()); }

bool LoadLocalSettings(TModel &model) {
  return loadWithRetries(model.LocalSettings(), &GetLocalSettingsFileName);
}
bool LoadLocalSettings() { return LoadLocalSettings(TModel::Current()); }

bool SaveMainSettings() { return SaveMainSettings(TModel::Current()); }
bool SaveMainSettings(TModel &model) {
  try {
    model.MainSettings().writeString(QStringLiteral("Config"), QStringLiteral("Ver"),
                                     GetVersionText());
    return save(model.MainSettings(), GetMainSettingsFileName(model), 2);
  } catch (const std::exception &e) {
    qWarning("Cannot save the settings: %s", e.what());
    return false;
  }
}

bool SaveLocalSettings() { return SaveLocalSettings(TModel::Current()); }
bool SaveLocalSettings(TModel &model) {
  try {
    return save(model.LocalSettings(), GetLocalSettingsFileName(), 1);
  } catch (const std::exception &e) {
    qWarning("Cannot save the local settings: %s", e.what());
    return false;
  }
}

void LoadSettingsAtStartUp() { LoadSettingsAtStartUp(TModel::Current()); }
void LoadSettingsAtStartUp(TModel &model) {
  // Saves cut short by a kill leave their temporary files, each an enciphered copy of the
  // settings with the mail password; nothing writes these files yet.
  (void)RemoveStaleTempFiles(GetLocalSettingsFileName());
  try {
    if (!QFileInfo::exists(GetLocalSettingsFileName())) {
      const QString user = GetUserLocalSettingsFileName();
      if (!user.isEmpty() && QFileInfo::exists(user))
        CopyFileViaMemory(user, GetLocalSettingsFileName());
    }
  } catch (const std::exception &e) {
    qWarning("Cannot copy the local settings: %s", e.what());
  }
  (void)LoadLocalSettings(model);
  // Its folder follows the local settings.
  (void)RemoveStaleTempFiles(GetMainSettingsFileName(model));
  (void)LoadMainSettings(model);
  try {
    importLegacySettings(model);
  } catch (const std::exception &e) {
    qWarning("Cannot import the legacy settings: %s", e.what());
  }
}

OverrideSlot<std::function<void(int ms)>> &retryPauseSlot() {
  static constinit OverrideSlot<std::function<void(int ms)>> slot{&plainSleep};
  return slot;
}
