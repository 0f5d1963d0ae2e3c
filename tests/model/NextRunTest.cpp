// The next-run computation, the warning ahead of the event and the default schedule.
// Times without a date are on Tuesday 2024-03-05.
#include "tests/model/ScheduleFixture.h"

#include "model/Model.h"

#include <tuple>

namespace {

struct NextRow {
  const char *id;
  Settings setup;
  TDateTime m;
  TDateTime expected; // 0: none
  TDateTime today = {};
};

struct WarnRow {
  const char *id;
  Settings setup;
  TDateTime m;
  Outcome expected;
  bool demo = false;
};

class NextRun : public ScheduleTest {
protected:
  void check(std::initializer_list<NextRow> rows) {
    for (const NextRow &row : rows) {
      SCOPED_TRACE(row.id);
      clock.set(row.today == TDateTime() ? row.m : row.today);
      const TDateTime got = reminder(row.setup)->GetNextRunTime(row.m);
      EXPECT_EQ(got, row.expected) << "from " << DateTimeToIso(row.m).toStdString();
    }
  }
  void check(std::initializer_list<WarnRow> rows) {
    for (const WarnRow &row : rows) {
      SCOPED_TRACE(row.id);
      clock.set(row.m);
      const Scheduled r = reminder(row.setup);
      const Outcome got = of(r->CheckRemindBefore(r.firing, row.m, row.demo));
      EXPECT_EQ(got, row.expected) << "at " << DateTimeToIso(row.m).toStdString();
    }
  }
};

Settings remindAgainAt(TDateTime start) {
  return [start](TDataObject &r) {
    r.remindAfter.enable = true;
    r.remindAfter.dtStart = start;
  };
}

} // namespace

TEST_F(NextRun, OnceAndTheRemindAgainWindow) {
  check({
      {"once ahead", once(at(10, 30)), at(10, 0), at(10, 30)},
      {"once now", once(at(10, 30)), at(10, 30), at(10, 30)},
      {"once past", once(at(10, 30)), at(10, 30, 0, 1), TDateTime()},
      {"N1", with({once(at(8, 0)), remindAgainAt(at(11, 0))}), at(10, 0), at(11, 0)},
      {"N1", with({once(at(8, 0)), remindAgainAt(at(11, 0))}), at(11, 0, 0, 500), TDateTime()},
      {"E10 outside bounds",
       with({once(at(7, 0)), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}), at(6, 0),
       TDateTime()},
      // With no usable interval there is no run, but a pending remind-again still shows.
      {"N4", minutely(0), at(10, 0), TDateTime()},
      {"N4 remind again", with({minutely(0), remindAgainAt(at(11, 0))}), at(10, 0), at(11, 0)},
  });
}

// Left open by the rule itself, kept as the project's answer: a day-list rule whose stop bound
// leaves its run window empty has no run, and then a pending remind-again window is what comes
// next (rather than nothing), as for any schedule without a run.
TEST_F(NextRun, AnEmptyStopBoundedWindowFallsBackToTheRemindAgainStart) {
  const Settings empty = with({byDays(TRepeatType::Weekly, "(1)(2)(3)(4)(5)(6)(7)", 23, 0),
                               startAt(TStartBoundType::AfterDefinedTime, at(22, 0)),
                               stopAt(TStopBoundType::UntilDefinedTime, at(8, 0))});
  check({
      {"empty window", empty, at(10, 0), TDateTime()},
      {"falls back", with({empty, remindAgainAt(at(11, 0))}), at(10, 0), at(11, 0)},
  });
}

TEST_F(NextRun, MinutelyAndHourly) {
  const Settings until17 = with({minutely(5), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))});
  check({
      {"N2", minutely(5), at(10, 3), at(10, 5)},
      {"N2", minutely(5), at(10, 5), at(10, 5)},
      {"N3", until17, at(16, 54), at(16, 55)},
      // A run in the last second before the stop does not count; after the daily stop comes
      // tomorrow's first run (a warning ahead of it must not wait for midnight).
      {"N3", until17, at(16, 58), on(2024, 3, 6)},
      {"N3", until17, at(18, 0), on(2024, 3, 6)},
      {"N3", until17, on(2024, 3, 6, 7, 0), on(2024, 3, 6, 7, 0)},
      {"E15", with({minutely(5), startAt(TStartBoundType::AfterDefinedDateTime, on(2021, 1, 1))}),
       at(10, 3), at(10, 5)},
      {"N5", hourly(1, 30), at(10, 15), at(10, 30)},
      {"N5", hourly(1, 30), at(10, 45), at(11, 30)},
      {"N5", hourly(1, 30), at(10, 30), at(10, 30)},
      {"N5", hourly(1, 30), at(23, 45), on(2024, 3, 6, 0, 30)},
      {"N5", hourly(2, 30), at(10, 45), at(12, 30)},
  });
}

TEST_F(NextRun, FollowsTheDueTestWhereTheRhythmRestartsOrTheMinuteDecides) {
  check({
      // Every 7 minutes restarts at midnight (1440 is no multiple of 7): 00:00, not 00:02.
      {"E17", minutely(7), at(23, 58), on(2024, 3, 6)},
      // Every 5 hours restarts at midnight too.
      {"every 5 h", hourly(5, 30), at(20, 45), on(2024, 3, 6, 0, 30)},
      // A daily start at 08:00: after the last run of the day comes tomorrow's 08:00.
      {"start 08:00", with({minutely(5), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}),
       at(23, 58), on(2024, 3, 6, 8, 0)},
      // Hourly every minute (the store's default unit) runs only in minute value2 of the hour.
      {"hourly per minute",
       with({hourly(1, 0),
             [](TDataObject &r) {
               r.repeat.value1 = {1, TMeasure::Minute};
             }}),
       at(10, 0, 30), at(11, 0)},
      // A start bound at :45 of an Hourly rule at :30: the first run is the next hour's.
      {"start after the minute",
       with({hourly(1, 30), startAt(TStartBoundType::AfterDefinedTime, at(8, 45))}), at(8, 0),
       at(9, 30)},
      {"minute 75", hourly(1, 75), at(10, 0), TDateTime()},
      // Every 120 hours under a daily start still runs daily.
      {"every 120 h", hourly(120, 1), at(0, 1, 0, 1), on(2024, 3, 6, 0, 1)},
  });
}

TEST_F(NextRun, DailyAndDayLists) {
  const Settings e31 = with({byDays(TRepeatType::Weekly, "(1)(3)", 9, 0),
                             startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 11))});
  const Settings monthly31 = byDays(TRepeatType::Monthly, "(31)", 8, 0);
  const Settings annual61 = byDays(TRepeatType::Annually, "(61)", 9, 0);
  check({
      {"N6", daily(1, 9, 0), at(8, 0), at(9, 0)},
      {"N6", daily(1, 9, 0), at(10, 0), on(2024, 3, 6, 9, 0)},
      {"N6", with({daily(1, 18, 0), stopAt(TStopBoundType::UntilDefinedTime, at(17, 0))}),
       at(10, 0), TDateTime()},
      {"E26", daily(2, 9, 0), at(10, 0), on(2024, 3, 7, 9, 0)},
      {"E26", daily(2, 9, 0), on(2024, 3, 6), on(2024, 3, 7, 9, 0)},
      {"E27", with({daily(1, 7, 0), startAt(TStartBoundType::AfterDefinedTime, at(8, 0))}),
       at(6, 0), TDateTime()},
      {"N7", byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), on(2024, 3, 4, 8, 0),
       on(2024, 3, 4, 9, 0)},
      {"N7", byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), at(10, 0), on(2024, 3, 6, 9, 0)},
      {"N7", byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), on(2024, 3, 6, 9, 30),
       on(2024, 3, 11, 9, 0)},
      {"N7", byDays(TRepeatType::Weekly, "(1)(3)", 9, 0), on(2024, 3, 10, 23, 59),
       on(2024, 3, 11, 9, 0)},
      {"N7", byDays(TRepeatType::Weekly, "", 9, 0), at(10, 0), TDateTime()},
      {"E31", e31, at(10, 0), on(2024, 3, 11, 9, 0)},
      {"N8", monthly31, on(2024, 3, 31, 10, 0), on(2024, 5, 31, 8, 0)},
      {"N8 last day searched", monthly31, on(2024, 5, 31, 10, 0), on(2024, 7, 31, 8, 0)},
      {"N8", monthly31, on(2024, 1, 30, 10, 0), on(2024, 1, 31, 8, 0)},
      {"N8", byDays(TRepeatType::Monthly, "(30)", 8, 0), on(2024, 1, 30, 10, 0),
       on(2024, 3, 30, 8, 0)},
      // Day numbers count in the current year: in a leap current year, day 61 of a later
      // year means 1 March.
      {"N9 leap shift", annual61, on(2025, 2, 1), on(2025, 3, 1, 9, 0), on(2024, 6, 1)},
      {"N9", annual61, on(2025, 2, 1), on(2025, 3, 2, 9, 0), on(2025, 1, 10)},
      {"N9 beyond the search", byDays(TRepeatType::Annually, "(366)", 9, 0), on(2025, 1, 10),
       TDateTime()},
  });
}

TEST_F(NextRun, WarningAheadOfTheEvent) {
  // Daily at 09:00 with a warning 10 minutes ahead: the warning runs from 08:50 until one
  // second before the event.
  const Settings rb = with({daily(1, 9, 0), remindBefore(10, TMeasure::Minute)});
  const Settings warning = with({rb, firingSince(at(8, 50), TFireKind::RemindBefore)});
  check({
      {"RB1", rb, at(8, 49, 59, 999), none()},
      {"RB1 strictly after", rb, at(8, 50), none()},
      {"RB1", rb, at(8, 50, 0, 500), fires(at(8, 50))},
      {"RB1", rb, at(8, 59, 58, 999), fires(at(8, 50))},
      {"RB1", rb, at(8, 59, 59), none()},
      {"RB1", rb, at(8, 59, 59, 500), none()},
      {"RB2 closed",
       with({rb, [](TDataObject &r) { r.lastCloseByUserRemindBeforeDt = at(8, 52); }}), at(8, 55),
       none()},
      {"RB2 closed before",
       with({rb, [](TDataObject &r) { r.lastCloseByUserRemindBeforeDt = at(8, 49, 59, 999); }}),
       at(8, 55), fires(at(8, 50))},
      {"RB3", warning, at(8, 59, 58, 999), keep()},
      // The tick one second before the event ends the warning, so that the event's own tick
      // is free to start the event.
      {"RB3 one second before", warning, at(8, 59, 59), closes()},
      {"RB3", warning, at(8, 59, 59, 1), closes()},
      {"RB4 demo", rb, at(8, 55), none(), true},
      {"RB5 nothing ahead", with({once(at(8, 0)), remindBefore(10, TMeasure::Minute)}), at(8, 55),
       none()},
      {"RB6", with({minutely(5), remindBefore(1, TMeasure::Minute)}), at(10, 4, 0, 500),
       fires(at(10, 4))},
      {"RB6", with({minutely(5), remindBefore(1, TMeasure::Minute)}), at(10, 5, 0, 200), none()},
      {"RB6",
       with({minutely(5), remindBefore(1, TMeasure::Minute),
             firingSince(at(10, 4), TFireKind::RemindBefore)}),
       at(10, 4, 58, 900), keep()},
      {"RB6",
       with({minutely(5), remindBefore(1, TMeasure::Minute),
             firingSince(at(10, 4), TFireKind::RemindBefore)}),
       at(10, 4, 59, 200), closes()},
      {"RB7", with({once(at(10, 30)), remindBefore(10, TMeasure::Minute)}), at(10, 20, 0, 500),
       fires(at(10, 20))},
      {"RB7", with({once(at(10, 30)), remindBefore(10, TMeasure::Minute)}), at(10, 29, 59, 500),
       none()},
      {"hours ahead", with({daily(1, 9, 0), remindBefore(2, TMeasure::Hour)}), at(7, 30),
       fires(at(7, 0))},
      {"a day ahead", with({daily(1, 9, 0), remindBefore(1, TMeasure::Day)}), at(10, 0),
       fires(at(9, 0))},
  });
}

TEST_F(NextRun, LooksPastAnEmptyWindowToTheNextRun) {
  // Every 3 days at 20:21 from 2024-03-01 23:59, daily until 23:59: the windows that start at
  // 23:59 are empty, and the next run lies in a later one.
  const Settings every3 = with(
      {daily(3, 20, 21), startAt(TStartBoundType::AfterDefinedDateTime, on(2024, 3, 1, 23, 59)),
       stopAt(TStopBoundType::UntilDefinedTime, at(23, 59)), remindBefore(1, TMeasure::Day)});
  check({
      {"after a run", every3, on(2024, 3, 4, 20, 21, 0, 1), on(2024, 3, 7, 20, 21)},
      {"the next evening", every3, on(2024, 3, 5, 21, 0), on(2024, 3, 7, 20, 21)},
      {"in the empty minute", every3, on(2024, 3, 4, 23, 59, 30), on(2024, 3, 7, 20, 21)},
  });
  // The warning a day ahead comes on time.
  check({{"warning", every3, on(2024, 3, 6, 20, 21, 0, 100), fires(on(2024, 3, 6, 20, 21))}});
}

TEST_F(NextRun, AnEventAndAWarningForALaterRunDueTogetherFireTheEventFirst) {
  // The rhythm restarts at midnight: the day's last gap (1440 mod the interval) equals the
  // warning, so the warning for 00:00 falls due with the day's last run.
  for (const auto &[every, ahead, last] : {std::tuple{7, 5, at(23, 55)}, {25, 15, at(23, 45)}}) {
    auto r = reminder(with({minutely(every), remindBefore(ahead, TMeasure::Minute)}));
    clock.set(last + TDateTime(100));
    const TCheckResult c = r->CheckDue(r.firing, last + TDateTime(100), false);
    EXPECT_EQ(of(c), fires(last)) << every;
    EXPECT_EQ(c.kind, TFireKind::Main);
    firingSince(last)(*r.r, r.firing);
    r.firing.firing = false; // closed at once: the warning for midnight comes at the next tick
    const TCheckResult w = r->CheckDue(r.firing, last + TDateTime(1100), false);
    EXPECT_EQ(of(w), fires(last));
    EXPECT_EQ(w.kind, TFireKind::RemindBefore);
  }
}

TEST_F(NextRun, ARunFiredOrWarnedOfIsNeitherAgainWhenTheClockRepeatsTheHour) {
  // The first pass of the repeated hour: the 02:20 warning, then the 02:30 run, closed by the
  // user. The second pass brings both moments back.
  auto r = reminder(with({daily(1, 2, 30), remindBefore(10, TMeasure::Minute)}));
  r->BeginFiring(r.firing, TFireKind::RemindBefore, at(2, 20), at(2, 20, 0, 100), false);
  r.firing.firing = false;
  r.firing.fireTime -= OneSecond;
  r->BeginFiring(r.firing, TFireKind::Main, at(2, 30), at(2, 30, 0, 100), false);
  r.firing.firing = false;
  r->lastCloseByUserDt = at(2, 30, 5);
  EXPECT_EQ(of(r->CheckDue(r.firing, at(2, 20, 0, 100), false)), none());
  EXPECT_EQ(of(r->CheckDue(r.firing, at(2, 30, 0, 100), false)), none());
  // A warning for 03:00 that was not closed does not come back either.
  auto w = reminder(with({daily(1, 3, 0), remindBefore(10, TMeasure::Minute)}));
  w->BeginFiring(w.firing, TFireKind::RemindBefore, at(2, 50), at(2, 50, 0, 100), false);
  w.firing.firing = false;
  EXPECT_EQ(of(w->CheckDue(w.firing, at(2, 50, 0, 100), false)), none());
}

TEST_F(NextRun, TheLatestRunNoCheckSawFiresOnce) {
  const auto missed = [&](const Settings &s, TDateTime from, TDateTime m) {
    clock.set(m);
    const Scheduled r = reminder(s);
    return of(r->CheckMissed(r.firing, from, m, false));
  };
  EXPECT_EQ(missed(minutely(5), at(9, 58), at(10, 17, 0, 100)), fires(at(10, 15)));
  EXPECT_EQ(missed(once(at(10, 0)), at(9, 59, 59, 100), at(10, 0, 1, 200)), fires(at(10, 0)));
  // A run that began in the gap counts while its window is still open: an Hourly run is due
  // only inside its minute, so a gap over that minute left it to nobody.
  EXPECT_EQ(missed(once(at(10, 0)), at(9, 59, 59, 100), at(10, 0, 0, 900)), fires(at(10, 0)));
  EXPECT_EQ(missed(once(at(10, 0)), at(10, 0, 0, 100), at(10, 0, 0, 900)), none());
  // 02:30 on the day the clock jumps from 02:00 to 03:00.
  EXPECT_EQ(missed(daily(1, 2, 30), at(1, 59, 59, 100), at(3, 0, 0, 100)), fires(at(2, 30)));
  EXPECT_EQ(missed(with({minutely(5), [](TDataObject &r) { r.LastRunDue = at(10, 15); }}),
                   at(9, 58), at(10, 17)),
            none());
  // A week asleep with a one-minute rhythm: the latest run only.
  EXPECT_EQ(missed(minutely(1), on(2024, 2, 27), at(10, 0, 30)), fires(at(10, 0)));
}

TEST_F(NextRun, AWarningOfTheEditedReminderIsNeitherStartedNorKept) {
  auto r = reminder(with({daily(1, 9, 0), remindBefore(10, TMeasure::Minute)}));
  EXPECT_EQ(of(r->CheckRemindBefore(r.firing, at(8, 55), false, r->Id)), none());
  firingSince(at(8, 50), TFireKind::RemindBefore)(*r.r, r.firing);
  EXPECT_EQ(of(r->CheckRemindBefore(r.firing, at(8, 55), false, r->Id)), closes());
  EXPECT_EQ(of(r->CheckRemindBefore(r.firing, at(8, 55), false, QStringLiteral("other"))), keep());
  EXPECT_EQ(of(r->CheckRemindBefore(r.firing, at(8, 55), false)), keep());
}

TEST_F(NextRun, DefaultSchedules) {
  clock.set(at(10, 17, 42, 123));
  auto r = reminder();
  r->duration = {false, {7, TMeasure::Hour}, {3, TMeasure::Minute}};
  r->stopBound = {true, TStopBoundType::UntilYearEnd, on(2030, 1, 1), {4, TMeasure::Day}};
  r->SetDefaultSchedule(TRepeatType::Once);
  EXPECT_EQ(r->repeat.type, TRepeatType::Once);
  EXPECT_EQ(r->repeat.dt, at(10, 18));
  EXPECT_EQ(r->startBound.type, TStartBoundType::AfterDefinedTime);
  EXPECT_EQ(r->startBound.dt, at(0, 0));
  EXPECT_FALSE(r->stopBound.enable);
  EXPECT_EQ(r->stopBound.type, TStopBoundType::UntilDefinedTime);
  EXPECT_EQ(r->stopBound.dt, at(23, 59));
  EXPECT_EQ(r->stopBound.value.value, 4);
  EXPECT_FALSE(r->duration.enable);
  EXPECT_EQ(r->duration.value1.value, 7);

  r->repeat.value2 = {17, TMeasure::Minute};
  r->SetDefaultSchedule(TRepeatType::Hourly);
  EXPECT_EQ(r->repeat.type, TRepeatType::Hourly);
  EXPECT_EQ(r->repeat.value1.value, 1);
  EXPECT_EQ(r->repeat.value1.measure, TMeasure::Hour);
  EXPECT_EQ(r->repeat.value2.value, 17);
  EXPECT_EQ(r->repeat.dt, at(10, 18));
  EXPECT_TRUE(r->duration.enable);
  EXPECT_EQ(r->duration.value1.value, 0);
  EXPECT_EQ(r->duration.value1.measure, TMeasure::Hour);
  EXPECT_EQ(r->duration.value2.value, 10);
  EXPECT_EQ(r->duration.value2.measure, TMeasure::Minute);

  clock.set(at(23, 59, 30, 500));
  r->SetDefaultSchedule(TRepeatType::Once);
  EXPECT_EQ(r->repeat.dt, on(2024, 3, 6));
}

TEST_F(NextRun, DefaultScheduleReadsTheClockOnce) {
  // Read twice, a clock moving past midnight between the reads would date the bounds apart
  // from the run.
  clock.set(at(23, 59, 59, 999));
  clock.setAdvancePerRead(1);
  auto r = reminder();
  r->SetDefaultSchedule(TRepeatType::Once);
  EXPECT_EQ(r->repeat.dt, on(2024, 3, 6));
  EXPECT_EQ(r->startBound.dt, at(0, 0));
}
