// Late ticks, gaps and warnings left open: every run fires once, late rather than never. Each
// test gives its ticks as moments of the wall clock; the monotonic clock goes along, except in a
// suspend.
#include "RuntimeFixture.h"

#include "model/Schedule.h"

#include <map>
#include <ostream>

namespace runtimetest {
namespace {

struct Fired {
  int32_t number;
  TFireKind kind;
  TDateTime due;
  bool operator==(const Fired &) const = default;
};

void PrintTo(const Fired &f, std::ostream *os) {
  *os << f.number << (f.kind == TFireKind::Main ? " run " : " warning ")
      << DateTimeToIso(f.due).toStdString();
}

class LateOccurrence : public RuntimeTest {
protected:
  // A reminder of that type at that moment (for repeating types, its time of day) with a sticker,
  // so that a firing stays until it is closed, and an own id.
  TDataObject &add(TRepeatType type, TDateTime dt, int warnMinutes = 0) {
    TDataObject &r = list.add(once(dt));
    r.Id = QStringLiteral("L%1").arg(r.Number);
    r.repeat.type = type;
    r.repeat.value1 = {1, type == TRepeatType::Hourly ? TMeasure::Hour : TMeasure::Day};
    r.remindBefore = {warnMinutes > 0, {warnMinutes, TMeasure::Minute}};
    r.sound.enable = false;
    return r;
  }
  // Ticks at each moment, and notes every firing that began.
  void ticks(std::initializer_list<TDateTime> moments) {
    for (const TDateTime t : moments) {
      tickAt(t);
      note();
    }
  }
  // The machine sleeps until t: the wall clock jumps, the monotonic one stands still.
  void wakeAt(TDateTime t) {
    clock.set(t);
    ticker.Tick();
    note();
  }
  void note() {
    for (const TDataObject *r : testModel.model.Reminders().Objects()) {
      const TFiringState &f = firing(*r);
      const Fired now{r->Number, f.kind, f.fireTime};
      if (f.firing && (!m_last.contains(r->Number) || !(m_last.at(r->Number) == now))) {
        fired.push_back(now);
        m_last[r->Number] = now;
      }
    }
  }
  [[nodiscard]] std::vector<Fired> of(const TDataObject &r) const {
    std::vector<Fired> out;
    for (const Fired &f : fired)
      if (f.number == r.Number)
        out.push_back(f);
    return out;
  }
  // A warning and then its run, each once.
  [[nodiscard]] static std::vector<Fired> warnedAndRun(const TDataObject &r, TDateTime warning,
                                                       TDateTime run) {
    return {{r.Number, TFireKind::RemindBefore, warning}, {r.Number, TFireKind::Main, run}};
  }
  // Every real second from `from` until before `to` (both UTC), the wall clock the zone's; the
  // user closes each main-event firing five seconds after it began and leaves warnings open.
  void sweep(TDateTime (*zone)(TDateTime), TDateTime from, TDateTime to) {
    std::map<int32_t, TDateTime> since;
    for (TDateTime t = from; t < to; t += OneSecond) {
      clock.set(zone(t));
      clock.setTickCount(static_cast<uint32_t>(t.ms));
      for (const auto &[number, began] : since) {
        const TFiringState &f = firing(*list.FindByNumber(number));
        if (f.firing && f.kind == TFireKind::Main && t - began >= OneSecond * 5)
          runtime->ActionCloseByUserExecute(number);
      }
      ticker.Tick();
      const size_t known = fired.size();
      note();
      for (size_t i = known; i < fired.size(); ++i)
        since[fired[i].number] = t;
    }
  }

  std::vector<Fired> fired;

private:
  std::map<int32_t, Fired> m_last;
};

TDateTime utc(int year, int month, int day, int hour, int minute) {
  return EncodeDateTime(year, month, day, hour, minute, 0, 0);
}
// 2026 in Lord Howe Island (UTC+10:30, summer UTC+11): on 5 April 02:00 becomes 01:30, on
// 4 October 02:00 becomes 02:30.
TDateTime lordHowe(TDateTime t) {
  const bool summer = t < utc(2026, 4, 4, 15, 0) || t >= utc(2026, 10, 3, 15, 30);
  return t + (summer ? OneHour * 11 : OneHour * 10 + OneMinute * 30);
}
// 2026 in Santiago de Chile (UTC-4, summer UTC-3), changing at midnight: on Saturday 4 April
// 24:00 becomes 23:00, on Saturday 5 September 24:00 becomes Sunday 01:00.
TDateTime santiago(TDateTime t) {
  const bool summer = t < utc(2026, 4, 5, 3, 0) || t >= utc(2026, 9, 6, 4, 0);
  return t - (summer ? OneHour * 3 : OneHour * 4);
}
TDateTime local(int month, int day, int hour, int minute) {
  return utc(2026, month, day, hour, minute);
}

// Fault: a warning still showing when its run's second passed without a tick stayed on screen
// for a day, and the run never fired.
TEST_F(LateOccurrence, AWarningLeftOpenEndsWithItsRunWhichThenFiresOnce) {
  const TDateTime day = OneDay;
  TDataObject &missing = add(TRepeatType::Daily, EncodeTime(10, 0, 0, 0), 10);
  ticks({at(9, 50, 0, 100), at(9, 59, 58, 100), at(10, 0, 0, 100), at(10, 0, 1, 100)});
  EXPECT_EQ(of(missing), warnedAndRun(missing, at(9, 50), at(10, 0)));
  list.remove(missing.Number);

  TDataObject &late = add(TRepeatType::Daily, EncodeTime(10, 0, 0, 0), 10);
  ticks({day + at(9, 50, 0, 100), day + at(9, 59, 58, 100), day + at(10, 0, 0, 50)});
  EXPECT_EQ(firing(late).kind, TFireKind::Main);
  EXPECT_EQ(firing(late).fireTime, day + at(10, 0));
  list.remove(late.Number);

  TDataObject &asleep = add(TRepeatType::Daily, EncodeTime(10, 0, 0, 0), 10);
  ticks({day * 2 + at(9, 50, 0, 100), day * 2 + at(9, 55, 0, 100)});
  wakeAt(day * 2 + at(10, 30, 0, 100));
  ticks({day * 2 + at(10, 30, 1, 100), day * 2 + at(10, 30, 2, 100)});
  EXPECT_EQ(of(asleep), warnedAndRun(asleep, day * 2 + at(9, 50), day * 2 + at(10, 0)));
  EXPECT_EQ(outputs.liveStickers(asleep.Number), 1);
}

// Fault: an Hourly run whose minute fell in a gap of the ticks, but whose duration reached past
// it, was neither due nor made up for.
TEST_F(LateOccurrence, AnHourlyRunWithADurationFiresLateAfterAGapOverItsMinute) {
  TDataObject &r = add(TRepeatType::Hourly, TDateTime());
  r.repeat.value2 = {29, TMeasure::Minute};
  r.duration = {true, {0, TMeasure::Hour}, {10, TMeasure::Minute}};
  ticks({at(8, 25, 20), at(8, 35, 20)});
  EXPECT_EQ(of(r), (std::vector<Fired>{{r.Number, TFireKind::Main, at(8, 29)}}));
  ticks({at(8, 38, 59, 900)});
  EXPECT_TRUE(firing(r).firing); // its window is the run's, not the late tick's
  ticks({at(8, 39, 0, 100), at(8, 45, 0, 100)});
  EXPECT_FALSE(firing(r).firing);
  EXPECT_EQ(of(r).size(), 1u);
}

// Fault: a tick counted as late only after more than 1.5 s, so two ticks 1.45 s apart skipped
// the whole second between them.
TEST_F(LateOccurrence, TwoLateTicksDoNotSkipTheSecondBetweenThem) {
  const TDataObject &one = add(TRepeatType::Once, at(10, 0));
  const TDataObject &daily = add(TRepeatType::Daily, EncodeTime(10, 0, 0, 0));
  ticks({at(9, 59, 59, 600), at(10, 0, 1, 50), at(10, 0, 2, 100)});
  EXPECT_EQ(of(one), (std::vector<Fired>{{one.Number, TFireKind::Main, at(10, 0)}}));
  EXPECT_EQ(of(daily), (std::vector<Fired>{{daily.Number, TFireKind::Main, at(10, 0)}}));
}

// Fault: each idle reminder with a warning searched for its next run at every tick.
TEST_F(LateOccurrence, AnIdleReminderKeepsItsNextRunFromTickToTick) {
  const TRepeatType types[] = {TRepeatType::Once, TRepeatType::Daily, TRepeatType::Weekly,
                               TRepeatType::Monthly, TRepeatType::Annually};
  for (int i = 0; i < 40; ++i) {
    TDataObject &r = add(types[i % 5], at(11 + i % 5, i), 5 + i % 20);
    r.repeat.days = QStringLiteral("(2)(5)(64)");
  }
  ticks({at(9, 0, 0, 100)});
  const uint64_t before = NextRunSearches();
  for (int i = 1; i <= 120; ++i)
    ticks({at(9, 0, 0, 100) + OneSecond * i});
  EXPECT_LT(NextRunSearches() - before, 40u); // not 40 a tick

  // It goes when the reminder changes, even in place: the warning is for the new time.
  TDataObject &r = add(TRepeatType::Daily, EncodeTime(10, 0, 0, 0), 10);
  ticks({at(9, 3, 0, 100)});
  r.repeat.dt = EncodeTime(9, 30, 0, 0);
  ticks({at(9, 20, 0, 100)});
  EXPECT_EQ(of(r), (std::vector<Fired>{{r.Number, TFireKind::RemindBefore, at(9, 20)}}));

  // And when the time zone moves, with the wall clock, the minute the system started: a rhythm
  // that starts with the system follows it.
  TDataObject &s = add(TRepeatType::Minutely, TDateTime(), 5);
  s.repeat.value1 = {60, TMeasure::Minute};
  s.startBound.type = TStartBoundType::AfterWindowsStart;
  clock.setSystemStartTime(at(7, 0));
  ticks({at(9, 21, 0, 100)});          // on the hour: next at 10:00
  clock.setSystemStartTime(at(7, 30)); // half an hour east: runs at :30
  clock.set(at(9, 51, 1, 100));
  clock.setTickCount(clock.tickCount() + 1000);
  ticker.Tick(); // the 09:30 the step passed over, late
  note();
  runtime->ActionCloseByUserExecute(s.Number);
  ticks({at(9, 55, 0, 100), at(10, 25, 0, 100)});
  EXPECT_EQ(of(s), (std::vector<Fired>{{s.Number, TFireKind::Main, at(9, 30)},
                                       {s.Number, TFireKind::RemindBefore, at(10, 25)}}));
}

TEST_F(LateOccurrence, LordHoweSpringForwardHalfAnHourWithWarningsOpen) {
  const TDataObject &inGap = add(TRepeatType::Daily, EncodeTime(2, 15, 0, 0), 30);
  const TDataObject &after = add(TRepeatType::Daily, EncodeTime(2, 40, 0, 0), 60);
  sweep(lordHowe, utc(2026, 10, 3, 15, 0), utc(2026, 10, 3, 16, 0));
  EXPECT_EQ(of(inGap), warnedAndRun(inGap, local(10, 4, 1, 45), local(10, 4, 2, 15)));
  EXPECT_EQ(of(after), warnedAndRun(after, local(10, 4, 1, 40), local(10, 4, 2, 40)));
}

TEST_F(LateOccurrence, LordHoweFallBackHalfAnHourWithAWarningOpen) {
  const TDataObject &twice = add(TRepeatType::Daily, EncodeTime(1, 45, 0, 0), 10);
  const TDataObject &across = add(TRepeatType::Daily, EncodeTime(2, 10, 0, 0), 30);
  sweep(lordHowe, utc(2026, 4, 4, 14, 0), utc(2026, 4, 4, 16, 0));
  EXPECT_EQ(of(twice), warnedAndRun(twice, local(4, 5, 1, 35), local(4, 5, 1, 45)));
  EXPECT_EQ(of(across), warnedAndRun(across, local(4, 5, 1, 40), local(4, 5, 2, 10)));
}

TEST_F(LateOccurrence, SantiagoSpringForwardAtMidnightWithWarningsOpen) {
  const TDataObject &inGap = add(TRepeatType::Daily, EncodeTime(0, 30, 0, 0), 60);
  const TDataObject &warnInGap = add(TRepeatType::Daily, EncodeTime(1, 10, 0, 0), 30);
  sweep(santiago, utc(2026, 9, 6, 3, 0), utc(2026, 9, 6, 4, 30));
  EXPECT_EQ(of(inGap), warnedAndRun(inGap, local(9, 5, 23, 30), local(9, 6, 0, 30)));
  EXPECT_EQ(of(warnInGap), warnedAndRun(warnInGap, local(9, 6, 0, 40), local(9, 6, 1, 10)));
}

TEST_F(LateOccurrence, SantiagoFallBackAtMidnightWithAWarningOpen) {
  const TDataObject &twice = add(TRepeatType::Daily, EncodeTime(23, 45, 0, 0), 30);
  const TDataObject &across = add(TRepeatType::Daily, EncodeTime(0, 15, 0, 0), 30);
  sweep(santiago, utc(2026, 4, 5, 1, 30), utc(2026, 4, 5, 4, 30));
  EXPECT_EQ(of(twice), warnedAndRun(twice, local(4, 4, 23, 15), local(4, 4, 23, 45)));
  EXPECT_EQ(of(across), warnedAndRun(across, local(4, 4, 23, 45), local(4, 5, 0, 15)));
}

} // namespace
} // namespace runtimetest
