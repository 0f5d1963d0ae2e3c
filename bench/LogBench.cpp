// The log page with a log of 50,000 lines (a month of a reminder that fires every minute or so):
// reading the file, filtering it and painting the first screen of rows, beside a plain read of the
// same file into lines.
#include "model/LogFile.h"
#include "model/UserData.h"
#include "ui/LogTableModel.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

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

// The log file, written once: every 50th line a program event, the rest firings, a minute apart.
const QString &logFile() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.path() + QStringLiteral("/tolvane.log");
    SetCurrentUserName(QStringLiteral("Anna Lee"));
    const TDateTime start = EncodeDate(2026, 11, 7);
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

void BM_LogPageFirstScreen(benchmark::State &state) {
  ensureApplication();
  const QString path = logFile();
  TLogTableModel model;
  QTreeView view;
  view.setUniformRowHeights(true);
  view.setRootIsDecorated(false);
  view.setModel(&model);
  view.resize(900, 600);
  for (auto _ : state) {
    model.setLines(ReadLogLines(path));
    model.applyFilter(TDateTime(), TDateTime());
    benchmark::DoNotOptimize(view.grab());
  }
  state.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_LogPageFirstScreen)->Unit(benchmark::kMillisecond);

} // namespace
