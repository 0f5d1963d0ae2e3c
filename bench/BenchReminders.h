#pragma once

// Reminders as users make them, for the benchmarks: every repeat type, with start and stop
// bounds, durations and, for some, a warning ahead of time. The same set on every run.

#include "model/DataObject.h"

#include <memory>
#include <random>
#include <vector>

namespace benchdata {

inline const TDateTime kStart = EncodeDateTime(2024, 3, 5, 8, 0, 0, 0);

inline std::vector<std::unique_ptr<TDataObject>> makeReminders(int count, int onlyType = -1) {
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

} // namespace benchdata
