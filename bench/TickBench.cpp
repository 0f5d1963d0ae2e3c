// The once-a-second check as the running program does it: the scheduler walks the reminder list
// of the model it is handed, fires and closes, writes its log lines into a sandbox, and keeps the
// outputs in line; only the windows, the sounds and the write-back into the store document are
// left out (the reminders have no items in the store).
// Printed for 1,000, 10,000 and 20,000 reminders in one run: the cost per tick must grow linearly
// with the count (goal: under 1 ms per tick at 10,000). `searches_per_tick` counts the next-run
// searches a tick makes: the reminders keep their next runs, so it stays far below the number of
// reminders with a warning (a fifth of them).
#include "bench/BenchReminders.h"
#include "model/Model.h"
#include "model/ReminderList.h"
#include "model/Schedule.h"
#include "platform/Clock.h"
#include "runtime/HeadlessUserInterface.h"
#include "runtime/ReminderScheduler.h"
#include "tests/support/Sandbox.h"

#include <benchmark/benchmark.h>

namespace {

class NullSticker final : public IStickerView {
public:
  void close() override {}
};
class NullTrayIcon final : public ITrayIconView {
public:
  void deactivate() override {}
};
class NullOutputs final : public IReminderOutputFactory {
public:
  std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &,
                                              const TFiringState &) override {
    return std::make_unique<NullSticker>();
  }
  std::unique_ptr<ITrayIconView> CreateTrayIcon(const TReminderLookup &,
                                                const TFiringState &) override {
    return std::make_unique<NullTrayIcon>();
  }
  std::unique_ptr<ISoundPlayer> CreateSoundPlayer() override { return nullptr; }
  void RaiseSticker(IStickerView &) override {}
};

void BM_Tick(benchmark::State &state) {
  static const bool sandboxed = (sandbox::setUp(), true); // the log goes there, not to $HOME
  (void)sandboxed;
  ManualClock clock(benchdata::kStart);
  clock.setSystemStartTime(benchdata::kStart - OneHour * 3);
  ScopedClock scope(clock);
  TModel model(TModelStart::Empty);
  for (auto &r : benchdata::makeReminders(static_cast<int>(state.range(0)))) {
    r->tray = true;
    r->sticker.enable = true;
    model.Reminders().Append(std::move(r));
  }
  NullOutputs outputs;
  THeadlessUserInterface ui;
  TReminderScheduler scheduler(model, outputs, ui);
  const uint64_t searches = NextRunSearches();
  for (auto _ : state) {
    scheduler.Timer1Timer();
    clock.advanceMs(1000);
    clock.setTickCount(clock.tickCount() + 1000);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["searches_per_tick"] =
      static_cast<double>(NextRunSearches() - searches) / static_cast<double>(state.iterations());
}
// The same simulated quarter hour for each count, so that they compare.
BENCHMARK(BM_Tick)->Arg(1'000)->Arg(10'000)->Arg(20'000)->Iterations(900)->Unit(
    benchmark::kMillisecond);

} // namespace
