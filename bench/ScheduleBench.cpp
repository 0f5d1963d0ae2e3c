// The next-run search on its own (the tick as the program runs it is in TickBench.cpp).
#include "bench/BenchReminders.h"
#include "model/Schedule.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

namespace {

using benchdata::kStart;
using benchdata::makeReminders;

// The next-run search for 1,000 reminders of one repeat type, from moments spread over a week.
void BM_NextRunTime(benchmark::State &state) {
  ManualClock clock(kStart);
  clock.setSystemStartTime(kStart - OneHour * 3);
  ScopedClock scope(clock);
  const auto reminders = makeReminders(1'000, static_cast<int>(state.range(0)));
  TDateTime m = kStart;
  for (auto _ : state) {
    for (const auto &r : reminders)
      benchmark::DoNotOptimize(r->GetNextRunTime(m));
    m += OneMinute * 17;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(reminders.size()));
}
BENCHMARK(BM_NextRunTime)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

} // namespace
