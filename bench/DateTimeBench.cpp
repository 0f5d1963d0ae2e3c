#include "platform/DateTime.h"

#include <benchmark/benchmark.h>

static void BM_DecodeDate(benchmark::State &state) {
  TDateTime t = EncodeDate(2026, 1, 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecodeDate(t));
    t += OneDay;
  }
}
BENCHMARK(BM_DecodeDate);

static void BM_IsoRoundTrip(benchmark::State &state) {
  const TDateTime t = EncodeDateTime(2026, 12, 8, 19, 30, 0, 5);
  for (auto _ : state) {
    TDateTime back;
    benchmark::DoNotOptimize(TryIsoToDateTime(DateTimeToIso(t), back));
  }
}
BENCHMARK(BM_IsoRoundTrip);
