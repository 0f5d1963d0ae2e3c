// The log page with a log of 100,000 and of 1,000,000 lines, the last 30 days of a busy program
// (what the start-up purge leaves): what opening the page takes (the day list, indexing the file,
// filtering the index and painting the first screen of today's rows), and "Refresh" on the open
// page, each with the memory it takes beyond what the page held before (`extra_MB`, the peak of
// resident memory over the resident memory before). Goal: open and Refresh under 100 ms at 100,000
// lines and under 500 ms at 1,000,000, with under 50 MB extra; `goal_ms` stands beside the figure.
// Beside them, a plain read of the same file into lines, and the start-up purge of the same log
// with its first half old, on a copy (goal: under 10 MB extra memory at any size; it runs on a
// thread of its own, so its time holds up nothing).
#include "bench/BenchApplication.h"
#include "model/LogFile.h"
#include "model/LogPurge.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "platform/Clock.h"
#include "runtime/HeadlessUserInterface.h"
#include "ui/FrameLog.h"
#include "ui/LogTableModel.h"

#include <QFile>
#include <QMap>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int kDays = 30;
const TDateTime LogStart = EncodeDate(2026, 11, 7);

TDateTime lineTime(int i, int count) { return LogStart + TDateTime(OneDay.ms * kDays * i / count); }

// The log file of `count` lines, written once: every 50th line a program event, the rest firings.
const QString &logFile(int count) {
  static QMap<int, QString> files;
  if (files.contains(count))
    return files[count];
  const QString p = benchapp::programFolder() + QStringLiteral("log-%1.log").arg(count);
  const QString user = QStringLiteral("Anna Lee");
  QFile out(p);
  if (!out.open(QIODevice::WriteOnly))
    return files[count] = p;
  QByteArray bytes;
  for (int i = 0; i < count; ++i) {
    const TDateTime t = lineTime(i, count);
    if (i % 50 == 0) {
      bytes += ProgramEventLogLine(QStringLiteral("Program start"), t, user).toUtf8() + "\r\n";
    } else {
      TLogFiring f;
      f.fireTime = t;
      f.subject = QStringLiteral("Reminder %1").arg(i % 97);
      f.sticker = true;
      f.sound = i % 2 == 0;
      f.text = QStringLiteral("Take the medicine with a glass of water");
      f.id = QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC9%1}").arg(i % 97, 4, 10, QChar(u'0'));
      bytes += FiringLogLine(f, user).toUtf8() + "\r\n";
    }
    if (bytes.size() > (1 << 20)) {
      out.write(bytes);
      bytes.clear();
    }
  }
  out.write(bytes);
  return files[count] = p;
}

void BM_PlainReadOfTheLog(benchmark::State &state) {
  const QString path = logFile(int(state.range(0)));
  for (auto _ : state) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
      state.SkipWithError("cannot read the log");
    const QList<QByteArray> lines = f.readAll().split('\n');
    benchmark::DoNotOptimize(lines.size());
  }
}

// The page over a model whose log is that file, on the day of the log's last line.
template <typename Step> void measurePage(benchmark::State &state, bool openFirst, Step step) {
  benchapp::ensureApplication();
  const int count = int(state.range(0));
  const QString path = logFile(count);
  qputenv("TOLVANE_PROGRAM_DIR", QFile::encodeName(benchapp::programFolder()));
  TModel model(TModelStart::Empty);
  model.LocalSettings().writeBool(settings_keys::Main, settings_keys::UseLocalFolder, true);
  QFile::remove(GetLogFileName(model));
  (void)QFile::link(path, GetLogFileName(model));
  const ManualClock clock{lineTime(count - 1, count)};
  ScopedClock clockScope{clock};
  THeadlessUserInterface userInterface;
  TFrameLog frame{model, userInterface};
  frame.resize(900, 600);
  frame.LoadOptions();
  frame.Init();
  if (openFirst)
    frame.Activate();
  double totalMs = 0;
  long extraKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!openFirst)
      frame.Done(); // the page as a new main window finds it
    const long before = benchapp::statusKb("VmRSS");
    benchapp::resetPeakMemory();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    step(frame);
    benchmark::DoNotOptimize(frame.grab());
    totalMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    extraKb = std::max(extraKb, benchapp::statusKb("VmHWM") - before);
  }
  const double ms = totalMs / double(state.iterations());
  state.counters["ms"] = ms;
  state.counters["goal_ms"] = count <= 100'000 ? 100 : 500;
  state.counters["extra_MB"] = double(extraKb) / 1024;
  state.counters["goal_MB"] = 50;
  state.counters["rows"] = frame.model()->rowCount();
  state.SetLabel(ms < state.counters["goal_ms"] && extraKb < 50 * 1024 ? "goal met"
                                                                       : "over the goal");
  frame.Done();
  QFile::remove(GetLogFileName(model));
  qunsetenv("TOLVANE_PROGRAM_DIR");
}

void BM_LogPageOpen(benchmark::State &state) {
  measurePage(state, false, [](TFrameLog &frame) { frame.Activate(); });
}

void BM_LogPageRefresh(benchmark::State &state) {
  measurePage(state, true, [](TFrameLog &frame) { frame.Refresh(); });
}

void BM_LogPurge(benchmark::State &state) {
  const int count = int(state.range(0));
  const QString path = logFile(count);
  const QString copy = benchapp::programFolder() + QStringLiteral("purged.log");
  double totalMs = 0;
  long extraKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(copy);
    if (!QFile::copy(path, copy))
      state.SkipWithError("cannot copy the log");
    const long before = benchapp::statusKb("VmRSS");
    benchapp::resetPeakMemory();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(
        PurgeOldLogLines(copy, lineTime(count / 2, count), formatSettings(), {}));
    totalMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    extraKb = std::max(extraKb, benchapp::statusKb("VmHWM") - before);
  }
  QFile::remove(copy);
  state.counters["ms"] = totalMs / double(state.iterations());
  state.counters["extra_MB"] = double(extraKb) / 1024;
  state.counters["goal_MB"] = 10;
  state.SetLabel(extraKb < 10 * 1024 ? "goal met" : "over the goal");
}

BENCHMARK(BM_PlainReadOfTheLog)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogPurge)->Arg(100'000)->Arg(1'000'000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogPageOpen)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogPageRefresh)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace
