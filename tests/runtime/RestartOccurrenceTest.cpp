// Restarts and kills: the scheduler over the model's own reminders and store, with the data file
// and its journal on disk. A stop is a restart from the files as they are; a kill, a restart from
// the files as they were at one moment (taken while a program of a firing started).
#include "RuntimeFixture.h"

#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "model/StoreJournal.h"
#include "model/XMLStore.h"

#include <QFile>

#include <optional>

namespace runtimetest {
namespace {

// What a kill leaves: the bytes of each file, none for a missing one.
struct Disk {
  std::optional<QByteArray> data, journal;
};

std::optional<QByteArray> bytesOf(const QString &file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly))
    return std::nullopt;
  return f.readAll();
}

void put(const QString &file, const std::optional<QByteArray> &bytes) {
  QFile::remove(file);
  QFile f(file);
  if (bytes && f.open(QIODevice::WriteOnly))
    f.write(*bytes);
}

class RestartOccurrence : public RuntimeTest {
protected:
  RestartOccurrence() {
    mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, file);
  }

  // A one-time reminder in the store, enabled, with sticker and tray icon; gives its id.
  QString add(TDateTime at, int durationMinutes = 0, int warnMinutes = 0) {
    auto r = once(at);
    r->Id = NewReminderId;
    r->sound.enable = false;
    r->duration = {durationMinutes > 0, {0, TMeasure::Hour}, {durationMinutes, TMeasure::Minute}};
    r->remindBefore = {warnMinutes > 0, {warnMinutes, TMeasure::Minute}};
    SaveToStore(model, *r, false);
    const QString id = r->Id;
    model.Reminders().Append(std::move(r));
    return id;
  }
  [[nodiscard]] TDataObject &byId(const QString &id) const {
    return *model.Reminders().FindById(id);
  }
  void save(const QString &id) { SaveToStore(model, byId(id), false); }
  [[nodiscard]] Disk disk() const { return {bytesOf(file), bytesOf(JournalFileName(file))}; }

  // The program ends (nothing more is written: the files stay as they are, or as `killed` left
  // them) and starts again: the store and its reminders read from the files, a new scheduler.
  void restart(const std::optional<Disk> &killed = std::nullopt) {
    runtime.reset();
    model.Reminders().Clear();
    if (killed) {
      put(file, killed->data);
      put(JournalFileName(file), killed->journal);
    }
    OpenStore(model, [this] { ReloadReminders(model); });
    runtime = std::make_unique<TReminderScheduler>(model, outputs, ui);
  }
  [[nodiscard]] int logged() const { return static_cast<int>(logLines().size()); }

  TModel &model = testModel.model;
  const QString &file = testModel.file;
};

// Fault: the warned run was not stored, so every start inside a warning showed it again.
TEST_F(RestartOccurrence, AWarningIsShownOncePerRunAcrossRestartsInsideIt) {
  const QString one = add(at(10, 0), 0, 2);
  const QString daily = add(at(10, 0), 0, 2);
  byId(daily).repeat.type = TRepeatType::Daily;
  byId(daily).repeat.value1 = {1, TMeasure::Day};
  save(daily);
  tickAt(at(9, 58, 0, 100));
  EXPECT_EQ(firing(byId(one)).kind, TFireKind::RemindBefore);
  EXPECT_EQ(logged(), 2);
  for (const TDateTime start : {at(9, 58, 20, 100), at(9, 58, 40, 100), at(9, 59, 0, 100)}) {
    restart();
    tickAt(start);
    EXPECT_FALSE(firing(byId(one)).firing);
    EXPECT_FALSE(firing(byId(daily)).firing);
  }
  EXPECT_EQ(logged(), 2);
  restart(disk()); // and killed: the same
  tickAt(at(9, 59, 20, 100));
  EXPECT_EQ(logged(), 2);
  tickAt(at(10, 0, 0, 100)); // the runs themselves come
  EXPECT_EQ(logged(), 4);
}

// Fault: a restart inside a firing dropped it: no sticker any more, and a one-time reminder was
// never switched off.
TEST_F(RestartOccurrence, ARestartInsideAFiringResumesItWithoutItsActions) {
  const QString longer = add(at(10, 0), 2);
  const QString shorter = add(at(10, 0), 1);
  byId(shorter).shellExec = {true, QStringLiteral("/bin/true"), {}, {}, TShowFlag::Normal};
  save(shorter);
  tickAt(at(10, 0, 0, 100));
  tickAt(at(10, 0, 2, 100));
  ASSERT_TRUE(firing(byId(longer)).firing);
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_EQ(logged(), 2);

  restart(); // stopped at 10:00:02, started again at 10:01:30
  tickAt(at(10, 1, 30, 100));
  const TDataObject &l = byId(longer);
  EXPECT_TRUE(firing(l).firing);
  EXPECT_EQ(firing(l).fireTime, at(10, 0));
  EXPECT_EQ(outputs.liveStickers(l.Number), 1);
  EXPECT_EQ(outputs.liveTrayIcons(l.Number), 1);
  EXPECT_EQ(launcher.started.size(), 1); // no action again
  EXPECT_EQ(logged(), 2);
  // The shorter window passed while the program was away: switched off at once.
  EXPECT_FALSE(firing(byId(shorter)).firing);
  EXPECT_FALSE(byId(shorter).enable);
  EXPECT_EQ(outputs.liveStickers(byId(shorter).Number), 0);

  tickAt(at(10, 1, 59, 900));
  EXPECT_TRUE(firing(byId(longer)).firing);
  tickAt(at(10, 2, 0, 100));
  EXPECT_FALSE(firing(byId(longer)).firing);
  EXPECT_EQ(outputs.liveStickers(byId(longer).Number), 0);
  EXPECT_FALSE(byId(longer).enable);
  restart(); // and kept so in the file
  EXPECT_FALSE(byId(longer).enable);
  EXPECT_FALSE(byId(shorter).enable);
}

// Fault: a kill between a firing's program and the save after it ran the program again at the
// next start.
TEST_F(RestartOccurrence, AKillJustAfterTheProgramStartedDoesNotRunItAgain) {
  const QString id = add(at(10, 0), 1);
  byId(id).shellExec = {true, QStringLiteral("/bin/true"), {}, {}, TShowFlag::Normal};
  save(id);
  std::optional<Disk> atKill;
  launcher.during = [&] { atKill = disk(); };
  tickAt(at(10, 0, 0, 100));
  ASSERT_TRUE(atKill);
  EXPECT_TRUE(atKill->journal.has_value());
  launcher.during = nullptr;

  restart(atKill);
  tickAt(at(10, 0, 3, 100));
  EXPECT_EQ(launcher.started.size(), 1);
  EXPECT_TRUE(firing(byId(id)).firing); // resumed, without its program
  EXPECT_EQ(logged(), 1);
}

} // namespace
} // namespace runtimetest
