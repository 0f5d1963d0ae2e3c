// libFuzzer entry: feeds arbitrary bytes to the settings reader as control1.dat: deciphered and
// parsed as the program loads it, then every key of every section through every reader, the
// colour names, the mail password, and the text written back and read again.
#include "imaging/Color.h"
#include "model/Settings.h"
#include "model/SettingsCipher.h"
#include "platform/MemIniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void readEverything(const TMMemIniFile &ini) {
  for (const QString &section : ini.readSections()) {
    (void)ini.readSectionValues(section);
    for (const QString &key : ini.readSection(section)) {
      (void)ini.valueExists(section, key);
      (void)TryStringToColor(ini.readString(section, key, QString()));
      (void)ini.readInteger(section, key, -1);
      (void)ini.readBool(section, key, false);
      (void)ini.readFloat(section, key, 0.5);
    }
  }
  (void)ReadMailPassword(ini);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static QTemporaryDir folder;
  const QString file = folder.filePath(QStringLiteral("control1.dat"));
  {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
      __builtin_trap();
  }
  TMMemIniFile ini;
  if (!LoadEncipheredIni(ini, file))
    __builtin_trap();
  readEverything(ini);
  // What the program writes back reads back to the same text.
  TMMemIniFile again;
  again.loadFromBytes(ini.toBytes());
  if (again.text() != ini.text())
    __builtin_trap();
  WriteMailPassword(again, ReadMailPassword(ini));
  readEverything(again);
  return 0;
}
