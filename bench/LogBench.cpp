// The log page with a log of 50,000 lines (a month of a reminder that fires every minute or so):
// what showing the page takes (the day list, reading the file, filtering it and painting the first
// screen of today's rows), beside a plain read of the same file into lines.
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/UserData.h"
#include "platform/Clock.h"
#include "runtime/HeadlessUserInterface.h"
#include "ui/FrameLog.h"
#include "ui/LogTableModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int LineCount = 50'000;

// The widgets need an application; the other benchmarks do not, so it is made on first use.
void ensureApplication() {
  if (QApplication::instance())
    return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tolvane_bench";
  static char *argv[] = {name, nullptr};
  new QApplication(argc, argv); // lives until the process ends
}

const TDateTime LogStart = EncodeDate(2026, 11, 7);

// The program folder of the benchmark, with the data kept there (not in the user's documents).
const QString &programFolder() {
  static QTemporaryDir dir;
  static const QString path = dir.path() + QStringLiteral("/");
  return path;
}

// The log file, written once: every 50th line a program event, the rest firings, a minute apart.
const QString &logFile() {
  static const QString path = [] {
    const QString p = programFolder() + QStringLiteral("tolvane.log");
    SetCurrentUserName(QStringLiteral("Anna Lee"));
    const TDateTime start = LogStart;
    for (int i = 0; i < LineCount; ++i) {
      const TDateTime t = start + OneMinute * i;
      if (i % 50 == 0) {
        AppendLogLine(p, ProgramEventLogLine(QStringLiteral("Program start"), t));
        continue;
      }
      TLogFiring f;
      f.fireTime = t;
      f.subject = QStringLiteral("Reminder %1").arg(i % 97);
      f.sticker = true;
      f.sound = i % 2 == 0;
      f.text = QStringLiteral("Take the medicine with a glass of water");
      f.id = QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC9%1}").arg(i % 97, 4, 10, QChar(u'0'));
      AppendLogLine(p, FiringLogLine(f));
    }
    return p;
  }();
  return path;
}

void BM_PlainReadOfTheLog(benchmark::State &state) {
  const QString path = logFile();
  for (auto _ : state) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
      state.SkipWithError("cannot read the log");
    const QList<QByteArray> lines = f.readAll().split('\n');
    benchmark::DoNotOptimize(lines.size());
  }
}
BENCHMARK(BM_PlainReadOfTheLog)->Unit(benchmark::kMillisecond);

void BM_LogPageShown(benchmark::State &state) {
  ensureApplication();
  const QString path = logFile();
  qputenv("TOLVANE_PROGRAM_DIR", QFile::encodeName(programFolder()));
  TModel model(TModelStart::Empty);
  model.LocalSettings().writeBool(QStringLiteral("Main"), QStringLiteral("UseLocalFolder"), true);
  // The day of the log's last line: about 1,400 lines of it on the first screen's list.
  const ManualClock clock{LogStart + OneMinute * (LineCount - 1)};
  ScopedClock clockScope{clock};
  THeadlessUserInterface userInterface;
  TFrameLog frame{model, userInterface};
  frame.resize(900, 600);
  frame.LoadOptions();
  frame.Init();
  for (auto _ : state) {
    frame.Activate();
    benchmark::DoNotOptimize(frame.grab());
  }
  state.counters["rows"] = frame.model()->rowCount();
  qunsetenv("TOLVANE_PROGRAM_DIR");
}
BENCHMARK(BM_LogPageShown)->Unit(benchmark::kMillisecond);

} // namespace
