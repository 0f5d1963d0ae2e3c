#include "model/Settings.h"

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

bool loadWithRetries(TMMemIniFile &ini, const std::function<QString()> &fileName) {
  for (int attempt = 1; attempt <= LoadAttempts; ++attempt) {
    try {
      if (LoadEncipheredIni(ini, fileName()))
        return true;
    } catch (const std::exception &e) {
      qWarning("Cannot load settings: %s", e.what());
      ini.clear();
    }
    if (attempt < LoadAttempts)
      retryPauseSlot().get()(RetryPauseMs);
  }
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

void importLegacySettings() {
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
  MainSettings() = imported;
  const bool saved = SaveMainSettings();
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

bool LoadEncipheredIni(TMMemIniFile &ini, const QString &fileName) {
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
  ini.loadFromBytes(bytes);
  return true;
}

bool LoadMainSettings() { return loadWithRetries(MainSettings(), &GetMainSettingsFileName); }

bool LoadLocalSettings() { return loadWithRetries(LocalSettings(), &GetLocalSettingsFileName); }

bool SaveMainSettings() {
  try {
    MainSettings().writeString(QStringLiteral("Config"), QStringLiteral("Ver"), GetVersionText());
    return save(MainSettings(), GetMainSettingsFileName(), 2);
  } catch (const std::exception &e) {
    qWarning("Cannot save the settings: %s", e.what());
    return false;
  }
}

bool SaveLocalSettings() {
  try {
    return save(LocalSettings(), GetLocalSettingsFileName(), 1);
  } catch (const std::exception &e) {
    qWarning("Cannot save the local settings: %s", e.what());
    return false;
  }
}

void LoadSettingsAtStartUp() {
  try {
    if (!QFileInfo::exists(GetLocalSettingsFileName())) {
      const QString user = GetUserLocalSettingsFileName();
      if (!user.isEmpty() && QFileInfo::exists(user))
        CopyFileViaMemory(user, GetLocalSettingsFileName());
    }
  } catch (const std::exception &e) {
    qWarning("Cannot copy the local settings: %s", e.what());
  }
  (void)LoadLocalSettings();
  (void)LoadMainSettings();
  try {
    importLegacySettings();
  } catch (const std::exception &e) {
    qWarning("Cannot import the legacy settings: %s", e.what());
  }
}

OverrideSlot<std::function<void(int ms)>> &retryPauseSlot() {
  static constinit OverrideSlot<std::function<void(int ms)>> slot{&plainSleep};
  return slot;
}
