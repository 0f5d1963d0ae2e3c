// The main due test, row by row. Times without a date are on Tuesday 2024-03-05.
#include "tests/model/ScheduleFixture.h"

#include "model/Model.h"

namespace {

struct Row {
  const char *id;
  Settings setup;
  TDateTime m;
  Outcome expected;
  bool demo = false;
  bool editing = false; // the editor has this reminder open
};

Settings fireTime(TDateTime t) {
  return [t](TDataObject &, TFiringState &f) { f.fireTime = t; };
}
Settings closedByUser(TDateTime t) {
  return [t](TDataObject &r) { r.lastCloseByUserDt = t; };
}

class CheckRun : public ScheduleTest {
protected:
  void check(std::initializer_list<Row> rows) {
    for (const Row &row : rows) {
      SCOPED_TRACE(row.id);
      clock.set(row.m);
      auto r = reminder(row.setup);
      const Outcome got =
          of(r->CheckRun(r.firing, row.m, row.demo, row.editing ? r->Id : QString()));
      EXPECT_EQ(got, row.expected) << "at " << DateTimeToIso(row.m).toStdString();
    }
  }
};

} // namespace

TEST_F(CheckRun, OnceIsDueForOneSecondOrForItsDuration) {
  const Settings e2 = with({once(at(10, 30)), durationOf(0, 10)});
  check({
      {"E1", once(at(10, 30)), at(10, 29, 59, 999), none()},
      {"E1", once(at(10, 30)), at(10, 30), fires(at(10, 30))},
      {"E1", once(at(10, 30)), at(10, 30, 0, 999), fires(at(10, 30))},
      {"E1", once(at(10, 30)), at(10, 30, 1), none()},
      {"E2", e2, at(10, 39, 59, 999), fires(at(10, 30))},
      {"E2", e2, at(10, 40), none()},
      {"E3 already fired", with({e2, fireTime(at(10, 30))}), at(10, 35), none()},
      {"E4 closed after", with({e2, closedByUser(at(10, 31))}), at(10, 35), none()},
      {"E4 closed at t", with({e2, closedByUser(at(10, 30))}), at(10, 35), fires(at(10, 30))},
      {"E11 empty duration", with({once(at(10, 30)), durationOf(0, 0)}), at(10, 30, 0, 200),
       fires(at(10, 30))},
  });
}

TEST_F(CheckRun, AFiringEndsWithItsDurationItsBoundsOrItsReminder) {
  const Settings e2 = with({once(at(10, 30)), durationOf(0, 10), firingSince(at(10, 30))});
  const Settings e29 = with({daily(1, 23, 50), durationOf(0, 30), firingSince(at(23, 50))});
  check({
      {"E5 no duration", with({once(at(10, 30)), firingSince(at(10, 30))}), on(2024, 3, 6, 9, 0),
       keep()},
      {"E6", e2, at(10, 39, 59, 999), keep()},
      {"E6", e2, at(10, 40), closes()},
      {"E7 editing", e2, at(10, 35), closes(), false, true},
      {"E7 disabled", with({e2, [](TDataObject &r) { r.enable = false; }}), at(10, 35), closes()},
      {"E7 archived", with({e2, [](TDataObject &r) { r.state = TReminderState::Archive; }}),
       at(10, 35), closes()},
      {"E10 before start",
       with({once(at(7, 0)), startAt(TStartBoundType::AfterDefinedTime, at(8, 0)),
             firingSince(at(7, 0))}),
       at(7, 0, 1, 300), closes()},
      {"E21", with({hourly(1, 30), durationOf(0, 10), firingSince(at(10, 30))}),
       at(10, 39, 59, 999), keep()},
      {"E21", with({hourly(1, 30), durationOf(0, 10), firingSince(at(10, 30))}), at(10, 40),
       closes()},
      {"E29 past midnight", e29, on(2024, 3, 6, 0, 10), keep()},
      {"E29 past midnight", e29, on(2024, 3, 6, 0, 20), closes()},
      {"stop passed",
       with({minutely(5), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0)),
             firingSince(at(16, 55))}),
       at(17, 0, 0, 1), closes()},
  });
}

TEST_F(CheckRun, DemoModeFiresEveryEnabledReminderAndEndsItsFirings) {
  const Settings christmas = once(on(2024, 12, 24, 18, 0));
  const Settings demoFiring = with({christmas, firingSince(on(2024, 12, 24, 18, 0)),
                                    [](TDataObject &, TFiringState &f) { f.firedInDemo = true; }});
  check({
      {"E8 idle", christmas, at(12, 0), fires(on(2024, 12, 24, 18, 0)), true},
      {"E8 demo off", demoFiring, at(12, 0), closes(), false},
      {"E8 demo on", demoFiring, at(12, 0), keep(), true},
      // Day-based rules carry only a time of day: their demo fire time is that of 1899-12-30.
      {"demo daily", daily(1, 9, 0), at(12, 0), fires(EncodeTime(9, 0, 0, 0)), true},
      {"E9 disabled", with({christmas, [](TDataObject &r) { r.enable = false; }}), at(12, 0),
       none(), true},
      {"E9 trash", with({christmas, [](TDataObject &r) { r.state = TReminderState::Trash; }}),
       at(12, 0), none(), true},
      {"E9 editing", christmas, at(12, 0), none(), true, true},
  });
}

TEST_F(CheckRun, AnIdleReminderIsDueOnlyInsideItsBounds) {
  // Outside the bounds a firing would send its mail and start its program, only to be closed
  // by the next tick.
  check({
      {"E10", with({once(at(7, 0)), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}),
       at(7, 0, 0, 300), none()},
      {"E27", with({daily(1, 7, 0), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}),
       at(7, 0, 0, 300), none()},
      {"E22",
       with(
           {hourly(1, 30), durationOf(0, 10), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}),
       at(16, 30, 0, 500), fires(at(16, 30))},
      {"E22",
       with(
           {hourly(1, 30), durationOf(0, 10), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}),
       at(17, 30, 0, 500), none()},
      {"E31 before start",
       with({byDays(TRepeatType::Weekly, "(1)(3)", 9, 0),
             startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 11))}),
       on(2024, 3, 6, 9, 0, 0, 500), none()},
      // A window that opened before the start bound is not joined late.
      {"late join",
       with({daily(1, 18, 59), durationOf(2, 37),
             startAt(TStartBoundType::AfterDefinedTime, at(19, 16))}),
       at(19, 16, 0, 500), none()},
      // A run inside the bounds whose duration reaches past the stop is not started late.
      {"late past the stop",
       with({once(at(16, 55)), durationOf(0, 10),
             stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}),
       at(17, 2), none()},
      {"E16", with({minutely(5), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}),
       at(16, 55, 0, 500), fires(at(16, 55))},
      {"E16 stop excluded",
       with({minutely(5), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}), at(17, 0, 0, 500),
       none()},
  });
}

TEST_F(CheckRun, AOnceRunAtItsStopFiresAndIsNotEndedByIt) {
  // The tick comes a little after the second begins, so after a stop at the run's own time.
  const Settings atStop = with({once(at(17, 0)), remindBefore(10, TMeasure::Minute),
                                stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))});
  EXPECT_EQ(reminder(atStop)->GetNextRunTime(at(16, 50)), at(17, 0));
  check({
      {"in its second", atStop, at(17, 0, 0, 100), fires(at(17, 0))},
      {"after its second", atStop, at(17, 0, 1), none()},
      {"firing", with({atStop, firingSince(at(17, 0))}), at(17, 0, 5), keep()},
      {"a run before the stop still ends with it",
       with({once(at(16, 55)), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0)),
             firingSince(at(16, 55))}),
       at(17, 0, 0, 100), closes()},
  });
}

TEST_F(CheckRun, MinutelyRules) {
  const Settings from10 =
      with({minutely(5), startAt(TStartBoundType::AfterDefinedTime, at(10, 0))});
  const Settings since2021 =
      with({minutely(5), startAt(TStartBoundType::AfterDefinedDateTime, on(2021, 1, 1))});
  check({
      {"E12", minutely(5), at(10, 4, 59, 999), none()},
      {"E12", minutely(5), at(10, 5), fires(at(10, 5))},
      {"E12", minutely(5), at(10, 5, 0, 400), fires(at(10, 5))},
      {"E12", minutely(5), at(10, 5, 1), none()},
      {"E12", minutely(5), at(10, 7), none()},
      {"E13", with({minutely(5), fireTime(at(10, 5))}), at(10, 5, 0, 500), none()},
      {"E14 late start", with({minutely(5), durationOf(0, 3)}), at(10, 7, 59, 999),
       fires(at(10, 5))},
      {"E14", with({minutely(5), durationOf(0, 3)}), at(10, 8), none()},
      {"E15", since2021, on(2023, 3, 11, 10, 5, 0, 500), fires(on(2023, 3, 11, 10, 5))},
      // More than 800 days after a fixed start, it still runs.
      {"E15 years on", since2021, at(10, 5, 0, 500), fires(at(10, 5))},
      {"E17", minutely(7), at(23, 55, 0, 500), fires(at(23, 55))},
      {"E17 midnight restart", minutely(7), on(2024, 3, 6, 0, 0, 0, 500), fires(on(2024, 3, 6))},
      {"E17", minutely(7), on(2024, 3, 6, 0, 2, 0, 500), none()},
      {"E18 zero", minutely(0), at(10, 0), none()},
      {"E18 zero", minutely(0), at(0, 0), none()},
      {"E18 negative", minutely(-5), at(10, 5), none()},
      {"E19", from10, at(10, 0), fires(at(10, 0))},
      // The first boundary after the start counts.
      {"E19 first boundary", from10, at(10, 5), fires(at(10, 5))},
      {"E19", from10, at(10, 5, 1), none()},
      {"E19", from10, at(10, 10), fires(at(10, 10))},
  });
}

TEST_F(CheckRun, HourlyRules) {
  const Settings e20 = with({hourly(1, 30), durationOf(0, 10)});
  const Settings storeDefault = [](TDataObject &r) {
    r.repeat.type = TRepeatType::Hourly;
    r.repeat.value1 = {1, TMeasure::Minute};
    r.repeat.value2 = {0, TMeasure::Minute};
  };
  check({
      {"E20", e20, at(10, 29, 59, 999), none()},
      {"E20", e20, at(10, 30, 0, 500), fires(at(10, 30))},
      {"E20", e20, at(10, 30, 59, 999), fires(at(10, 30))},
      {"E20 only in its minute", e20, at(10, 31), none()},
      {"E20", e20, at(10, 35), none()},
      {"E23", storeDefault, at(10, 0, 0, 500), fires(at(10, 0))},
      {"E23", storeDefault, at(10, 0, 30), none()},
      {"E23", storeDefault, at(10, 1, 0, 500), none()},
      {"E24", with({hourly(2, 30), durationOf(0, 10)}), at(10, 30, 0, 500), fires(at(10, 30))},
      {"E24", with({hourly(2, 30), durationOf(0, 10)}), at(11, 30, 0, 500), none()},
      {"E24", with({hourly(2, 30), durationOf(0, 10)}), at(12, 30, 0, 500), fires(at(12, 30))},
      // A minute outside 0..59 from a file: never due, and nothing raises.
      {"minute 75", hourly(1, 75), at(11, 15, 0, 500), none()},
      {"minute -5", hourly(1, -5), at(10, 55, 0, 500), none()},
  });
}

TEST_F(CheckRun, DayBasedRules) {
  const Settings e25 = with({daily(1, 9, 0), durationOf(0, 30)});
  const Settings e30 = with({byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), durationOf(1, 0)});
  check({
      {"E25", e25, at(8, 59, 59, 999), none()},
      {"E25", e25, at(9, 0, 0, 500), fires(at(9, 0))},
      {"E25", e25, at(9, 29, 59, 999), fires(at(9, 0))},
      {"E25", e25, at(9, 30), none()},
      {"E28 fired", with({e25, fireTime(at(9, 0))}), at(9, 10), none()},
      // Without the fire time (lost by a reload), the same run fires again.
      {"E28 after reload", e25, at(9, 10), fires(at(9, 0))},
      {"E29 idle", with({daily(1, 23, 50), durationOf(0, 30)}), on(2024, 3, 6, 0, 10), none()},
      {"E30", e30, on(2024, 3, 4, 9, 0, 0, 500), fires(on(2024, 3, 4, 9, 0))},
      {"E30", e30, at(9, 0, 0, 500), none()},
      {"E30", e30, on(2024, 3, 6, 8, 59, 59, 999), none()},
      {"E30", e30, on(2024, 3, 6, 9, 59, 59, 999), fires(on(2024, 3, 6, 9, 0))},
      {"E30", e30, on(2024, 3, 6, 10, 0), none()},
      {"E32", byDays(TRepeatType::Monthly, "(31)", 8, 0), on(2024, 3, 31, 8, 0, 0, 500),
       fires(on(2024, 3, 31, 8, 0))},
      {"E33", byDays(TRepeatType::Annually, "(61)", 9, 0), on(2024, 3, 1, 9, 0, 0, 500),
       fires(on(2024, 3, 1, 9, 0))},
      {"E33 common year", byDays(TRepeatType::Annually, "(61)", 9, 0), on(2025, 3, 2, 9, 0, 0, 500),
       fires(on(2025, 3, 2, 9, 0))},
      {"E33", byDays(TRepeatType::Annually, "(61)", 9, 0), on(2025, 3, 1, 9, 0, 0, 500), none()},
      {"hand-edited days", byDays(TRepeatType::Weekly, "(2x)(9)", 12, 0), at(12, 0), none()},
  });
}

TEST_F(CheckRun, DailyEveryNDaysKeepsItsRhythmFromTheStartDate) {
  // The start "after defined time" begins every day afresh; the rhythm of N days is counted
  // from the start bound's date (here today, 2024-03-05).
  check({
      {"E26", daily(2, 9, 0), at(9, 0, 0, 500), fires(at(9, 0))},
      {"E26", daily(2, 9, 0), on(2024, 3, 6, 9, 0, 0, 500), none()},
      {"E26", daily(2, 9, 0), on(2024, 3, 7, 9, 0, 0, 500), fires(on(2024, 3, 7, 9, 0))},
      {"E26 before the start date", daily(3, 9, 0), on(2024, 3, 2, 9, 0, 0, 500),
       fires(on(2024, 3, 2, 9, 0))},
      {"E26 before the start date", daily(3, 9, 0), on(2024, 3, 3, 9, 0, 0, 500), none()},
  });
}

TEST_F(CheckRun, AFiringNobodyCanCloseEndsWithItsSecond) {
  const Settings programOnly =
      with({minutely(1), [](TDataObject &r) { r.sticker.enable = false; }});
  check({
      {"its second", with({programOnly, firingSince(at(10, 0))}), at(10, 0, 0, 900), keep()},
      {"after it", with({programOnly, firingSince(at(10, 0))}), at(10, 0, 1, 100), closes()},
      {"a tray icon can be closed",
       with({programOnly, [](TDataObject &r) { r.tray = true; }, firingSince(at(10, 0))}),
       at(10, 3), keep()},
  });
}

TEST_F(CheckRun, AFiringsDurationIsCountedOnTheMonotonicClock) {
  auto r = reminder(with({once(at(2, 30)), durationOf(0, 1)}));
  clock.setTickCount(5'000);
  r->BeginFiring(r.firing, TFireKind::Main, at(2, 30), at(2, 30, 0, 100), false);
  clock.setTickCount(35'000); // half a minute on, the wall clock is set back an hour
  EXPECT_EQ(of(r->CheckRun(r.firing, at(1, 30, 30, 100), false)), keep());
  clock.setTickCount(65'000);
  EXPECT_EQ(of(r->CheckRun(r.firing, at(1, 31, 0, 100), false)), closes());
}
