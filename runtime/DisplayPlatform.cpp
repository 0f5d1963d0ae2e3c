#include "runtime/DisplayPlatform.h"

#include <cstdlib>
#include <cstring>

QString ChooseDisplayPlatform(const QString &qpaPlatform, bool waylandDisplay, bool x11Display,
                              bool platformArgument) {
  if (!qpaPlatform.isEmpty() || platformArgument || !waylandDisplay || !x11Display)
    return {};
  return QStringLiteral("xcb");
}

QString ApplyDisplayPlatformChoice(int argc, char **argv) {
  bool platformArgument = false;
  for (int i = 1; i < argc && argv[i]; ++i)
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
      platformArgument = true;
  const auto set = [](const char *name) {
    const char *value = std::getenv(name);
    return value && *value;
  };
  const QString chosen =
      ChooseDisplayPlatform(QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM")),
                            set("WAYLAND_DISPLAY"), set("DISPLAY"), platformArgument);
  if (!chosen.isEmpty())
    ::setenv("QT_QPA_PLATFORM", chosen.toLocal8Bit().constData(), 1);
  return chosen;
}
