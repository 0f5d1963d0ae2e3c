#pragma once

// What the benchmarks of windows share: the application object, the program folder they keep
// their files in, and what the process holds in memory.

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

namespace benchapp {

// The widgets need an application; the other benchmarks do not, so it is made on first use, on
// the offscreen platform unless QT_QPA_PLATFORM names another.
inline void ensureApplication() {
  if (QApplication::instance())
    return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tolvane_bench";
  static char *argv[] = {name, nullptr};
  new QApplication(argc, argv); // lives until the process ends
}

// A program folder of the benchmark's own, with the data kept there (not in the user's
// documents): TOLVANE_PROGRAM_DIR names it while the benchmark runs.
inline const QString &programFolder() {
  static QTemporaryDir dir;
  static const QString path = dir.path() + QStringLiteral("/");
  return path;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); 0 when it cannot be read.
inline long statusKb(const char *field) {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray &line : f.readAll().split('\n'))
    if (line.startsWith(field) && line.size() > qsizetype(qstrlen(field)) &&
        line[qstrlen(field)] == ':')
      return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').value(0).toLong();
  return 0;
}

// Resets the peak of resident memory (VmHWM) to what is resident now.
inline void resetPeakMemory() {
  QFile f(QStringLiteral("/proc/self/clear_refs"));
  if (f.open(QIODevice::WriteOnly))
    f.write("5");
}

} // namespace benchapp
