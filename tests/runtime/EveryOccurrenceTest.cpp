// Every occurrence fires once: the scheduler over a manual clock at the day's edges, across
// clock steps and daylight-saving changes, and after late ticks.
#include "RuntimeFixture.h"

namespace runtimetest {
namespace {

using EveryOccurrence = RuntimeTest;

TEST_F(EveryOccurrence, TheDaysLastRunFiresBeforeTheWarningForMidnight) {
  // Every 7 minutes from 00:00 with a 5-minute warning: the rhythm restarts at midnight, so the
  // warning for 00:00 falls due at 23:55, in the tick of the day's last run.
  TDataObject &r = list.add(once(TDateTime()));
  r.repeat.type = TRepeatType::Minutely;
  r.repeat.value1 = {7, TMeasure::Minute};
  r.startBound = {TStartBoundType::AfterDefinedTime, at(0, 0)};
  r.remindBefore = {true, {5, TMeasure::Minute}};
  clock.set(at(23, 55, 0, 100));
  ticker.Tick();
  EXPECT_TRUE(r.Firing);
  EXPECT_EQ(r.FireKind, TFireKind::Main);
  EXPECT_EQ(r.FireTime, at(23, 55));

  runtime->ActionCloseByUserExecute(r.Number);
  tickAfter(1000);
  EXPECT_EQ(r.FireKind, TFireKind::RemindBefore);
  EXPECT_EQ(r.FireTime, at(23, 55));
}

} // namespace
} // namespace runtimetest

namespace runtimetest {
namespace {

TEST_F(EveryOccurrence, ATickReadsTheClockOnce) {
  for (int i = 0; i < 20; ++i) {
    TDataObject &r = list.add(once(at(10, i)));
    r.repeat.type = i % 2 ? TRepeatType::Minutely : TRepeatType::Once;
    r.repeat.value1 = {5, TMeasure::Minute};
    r.remindBefore = {true, {1, i % 3 ? TMeasure::Hour : TMeasure::Month}};
  }
  clock.setAdvancePerRead(1);
  const TDateTime before = clock.now();
  ticker.Tick();
  EXPECT_EQ(clock.now() - before, TDateTime(2)); // the tick's read and this one
}

} // namespace
} // namespace runtimetest
