#include "tests/support/Sandbox.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <string>

namespace sandbox {
namespace {

QString &rootPath() {
  static QString r;
  return r;
}

void setEnv(const char *name, const QString &value) {
  ::setenv(name, value.toLocal8Bit().constData(), 1);
}

} // namespace

void setUp() {
  std::string tmpl = (QDir::tempPath() + QStringLiteral("/tolvane-test-XXXXXX")).toStdString();
  if (!::mkdtemp(tmpl.data()))
    std::abort();
  rootPath() = QString::fromStdString(tmpl);
  for (const QString &d : {home(), configDir(), runtimeDir(), documentsDir(), programDir()})
    QDir().mkpath(d);
  QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  setEnv("HOME", home());
  setEnv("XDG_CONFIG_HOME", configDir());
  setEnv("XDG_RUNTIME_DIR", runtimeDir());
  setEnv("XDG_DATA_HOME", home() + QStringLiteral("/.local/share"));
  setEnv("XDG_CACHE_HOME", home() + QStringLiteral("/.cache"));
  setEnv("TOLVANE_PROGRAM_DIR", programDir());
  setEnv("TOLVANE_RUNTIME_DIR", runtimeDir());
  setEnv("TZ", QStringLiteral("UTC"));
  setEnv("LANG", QStringLiteral("C.UTF-8"));
  setEnv("LC_ALL", QStringLiteral("C.UTF-8"));
  setEnv("SDL_AUDIODRIVER", QStringLiteral("dummy"));
  if (!std::getenv("QT_QPA_PLATFORM"))
    setEnv("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
  // The documents folder comes from the user-dirs file, as on a desktop.
  QFile dirs(configDir() + QStringLiteral("/user-dirs.dirs"));
  if (dirs.open(QIODevice::WriteOnly))
    dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
}

void tearDown() {
  if (!rootPath().isEmpty())
    QDir(rootPath()).removeRecursively();
}

QString root() { return rootPath(); }
QString home() { return root() + QStringLiteral("/home"); }
QString configDir() { return home() + QStringLiteral("/.config"); }
QString runtimeDir() { return root() + QStringLiteral("/run"); }
QString documentsDir() { return home() + QStringLiteral("/Documents"); }
QString programDir() { return root() + QStringLiteral("/program"); }

QString makeTempDir(const QString &name) {
  static int counter = 0;
  const QString path = root() + QStringLiteral("/t%1-%2").arg(++counter).arg(name);
  QDir(path).removeRecursively();
  QDir().mkpath(path);
  return path;
}

} // namespace sandbox
