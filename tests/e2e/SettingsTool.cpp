// A test helper for the end-to-end runs: reads and writes the program's enciphered settings files
// where the program itself would find them (the environment decides the folders).
//
//   tolvane_settings_tool main|local set SECTION KEY VALUE [SECTION KEY VALUE ...]
//   tolvane_settings_tool main|local show
#include "model/Model.h"
#include "model/Settings.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

int usage() {
  std::fprintf(stderr, "usage: tolvane_settings_tool main|local set SECTION KEY VALUE ...\n"
                       "       tolvane_settings_tool main|local show\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (argc < 3)
    return usage();
  const bool main = std::strcmp(argv[1], "main") == 0;
  if (!main && std::strcmp(argv[1], "local") != 0)
    return usage();
  // A model of its own, which reads no file by itself; the main settings live in a folder that
  // the local ones choose.
  TModel model(TModelStart::Empty);
  LoadLocalSettings(model);
  if (main)
    LoadMainSettings(model);
  TMMemIniFile &ini = main ? model.MainSettings() : model.LocalSettings();

  if (std::strcmp(argv[2], "show") == 0) {
    std::fputs(ini.text().toUtf8().constData(), stdout);
    return 0;
  }
  if (std::strcmp(argv[2], "set") != 0 || argc < 6 || (argc - 3) % 3 != 0)
    return usage();
  for (int i = 3; i + 2 < argc; i += 3)
    ini.writeString(QString::fromLocal8Bit(argv[i]), QString::fromLocal8Bit(argv[i + 1]),
                    QString::fromLocal8Bit(argv[i + 2]));
  const bool saved = main ? SaveMainSettings(model) : SaveLocalSettings(model);
  if (!saved) {
    std::fprintf(stderr, "the settings file could not be written\n");
    return 1;
  }
  return 0;
}
