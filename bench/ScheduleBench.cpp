// The once-a-second check over many reminders, and the next-run search on its own.
#include "model/DataObject.h"
#include "model/Schedule.h"
#include "platform/Clock.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

const TDateTime kStart = EncodeDateTime(2024, 3, 5, 8, 0, 0, 0);

// Reminders as users make them: every repeat type, with start and stop bounds, durations and,
// for some, a warning ahead of time. The same set on every run.
std::vector<std::unique_ptr<TDataObject>> makeReminders(int count, int onlyType = -1) {
  std::mt19937 random(2024);
  auto pick = [&](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  std::vector<std::unique_ptr<TDataObject>> out;
  for (int i = 0; i < count; ++i) {
    auto r = TDataObject::CreateEmpty(QStringLiteral("R%1").arg(i));
    TDataObject &d = *r;
    d.enable = pick(0, 9) != 0;
    const int type = onlyType >= 0 ? onlyType : pick(0, 6);
    d.repeat.type = static_cast<TRepeatType>(type);
    d.repeat.dt = DateOf(kStart) + OneMinute * pick(0, 1439);
    switch (d.repeat.type) {
    case TRepeatType::Once:
      d.repeat.dt += OneDay * pick(-2, 5);
      break;
    case TRepeatType::Minutely:
      d.repeat.value1 = {pick(1, 120), TMeasure::Minute};
      break;
    case TRepeatType::Hourly:
      d.repeat.value1 = {pick(1, 6), TMeasure::Hour};
      d.repeat.value2 = {pick(0, 59), TMeasure::Minute};
      break;
    case TRepeatType::Daily:
      d.repeat.value1 = {pick(1, 3), TMeasure::Day};
      break;
    case TRepeatType::Weekly:
      d.repeat.value1 = {1, TMeasure::Week};
      d.repeat.days = QStringLiteral("(%1)(%2)").arg(pick(1, 7)).arg(pick(1, 7));
      break;
    case TRepeatType::Monthly:
      d.repeat.value1 = {1, TMeasure::Month};
      d.repeat.days =
          QStringLiteral("(%1)(%2)(%3)").arg(pick(1, 31)).arg(pick(1, 31)).arg(pick(1, 31));
      break;
    case TRepeatType::Annually:
      d.repeat.value1 = {1, TMeasure::Year};
      d.repeat.days = QStringLiteral("(%1)").arg(pick(1, 366));
      break;
    }
    d.startBound.type = static_cast<TStartBoundType>(pick(0, 2));
    d.startBound.dt = DateOf(kStart) - OneDay * pick(0, 30) + OneHour * pick(0, 12);
    d.stopBound.enable = pick(0, 3) == 0;
    d.stopBound.type = static_cast<TStopBoundType>(pick(0, 8));
    d.stopBound.dt = kStart + OneHour * pick(1, 200);
    d.stopBound.value = {pick(1, 5), pick(0, 1) ? TMeasure::Hour : TMeasure::Day};
    d.duration = {pick(0, 1) == 0, {pick(0, 1), TMeasure::Hour}, {pick(0, 59), TMeasure::Minute}};
    d.remindBefore = {pick(0, 4) == 0, {pick(1, 30), TMeasure::Minute}};
    out.push_back(std::move(r));
  }
  return out;
}

// One tick of the master window's check over every reminder, without the outputs: the tests
// each reminder's state asks for, and the firing state they change.
void checkAll(std::vector<std::unique_ptr<TDataObject>> &reminders, TDateTime now) {
  for (auto &r : reminders) {
    if (r->Firing) {
      const TCheckResult c = r->FireKind == TFireKind::RemindBefore
                                 ? r->CheckRemindBefore(now, false)
                                 : r->CheckRun(now, false);
      if (c.close)
        r->Firing = false;
      continue;
    }
    if (r->remindBefore.enable) {
      const TCheckResult c = r->CheckRemindBefore(now, false);
      if (c.fire) {
        r->Firing = true;
        r->FireKind = TFireKind::RemindBefore;
        r->FireTime = c.due;
        continue;
      }
    }
    const TCheckResult c = r->CheckRun(now, false);
    if (c.fire) {
      r->Firing = true;
      r->FireKind = TFireKind::Main;
      r->FireTime = c.due;
    }
  }
}

void BM_TickOver10000Reminders(benchmark::State &state) {
  ManualClock clock(kStart);
  clock.setSystemStartTime(kStart - OneHour * 3);
  ScopedClock scope(clock);
  auto reminders = makeReminders(10'000);
  TDateTime now = kStart;
  for (auto _ : state) {
    clock.set(now);
    checkAll(reminders, now);
    now += OneSecond;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(reminders.size()));
  state.counters["us_per_tick"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TickOver10000Reminders)->Unit(benchmark::kMillisecond);

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
