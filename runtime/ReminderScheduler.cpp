#include "runtime/ReminderScheduler.h"

#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/ReminderList.h"
#include "model/Schedule.h"
#include "model/Settings.h"
#include "model/SettingsCipher.h"
#include "model/SettingsKeys.h"
#include "model/UserData.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "runtime/UserInterface.h"
#include "services/DelayWithMessages.h"
#include "services/MailQueue.h"
#include "services/MailSender.h"
#include "services/ShellExecute.h"

#include <QCursor>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <utility>

namespace {

TDateTime now() { return currentClock().now(); }

// Whether a firing's outputs are already what the reminder's settings ask for: then the output
// step has nothing to make or release, and need not look anything up.
bool outputsInLine(const TDataObject &r, const TFiring &f) {
  const bool sound = r.sound.enable ? f.sound || f.soundStoppedByUser || f.resumed : !f.sound;
  return r.sticker.enable == (f.sticker != nullptr) && r.tray == (f.trayIcon != nullptr) && sound;
}

// The whole second a moment lies in.
int64_t secondOf(TDateTime t) {
  const int64_t ms = t.ms;
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

// What the installed clock said when a check began, for every read inside it. A check reads
// "now" for every reminder, and the model reads today for month lengths; reading the system
// clock each time (a look at the local time zone file) cost more than the whole check.
class TCheckClock final : public Clock {
public:
  explicit TCheckClock(const Clock &source)
      : m_source(source), m_now(source.now()), m_ticks(source.tickCount()) {}

  [[nodiscard]] TDateTime now() const override { return m_now; }
  [[nodiscard]] TDateTime systemStartTime() const override {
    if (!m_start)
      m_start = m_source.systemStartTime();
    return *m_start;
  }
  [[nodiscard]] uint32_t tickCount() const override { return m_ticks; }

private:
  const Clock &m_source;
  TDateTime m_now;
  uint32_t m_ticks;
  mutable std::optional<TDateTime> m_start;
};

// Marks a check as under way, with the check's clock installed, for as long as it lives.
class CheckGuard {
public:
  explicit CheckGuard(bool &flag) : m_flag(flag), m_clock(currentClock()), m_scope(m_clock) {
    m_flag = true;
  }
  ~CheckGuard() { m_flag = false; }
  CheckGuard(const CheckGuard &) = delete;
  CheckGuard &operator=(const CheckGuard &) = delete;

private:
  bool &m_flag;
  TCheckClock m_clock;
  ScopedClock m_scope;
};

QString exceptionText(const std::exception &e) {
  if (const auto *own = dynamic_cast<const ETolvaneError *>(&e))
    return own->message();
  return QString::fromUtf8(e.what());
}

} // namespace

TReminderScheduler::TReminderScheduler(TModel &model, IReminderOutputFactory &outputs,
                                       IUserInterface &ui)
    : m_model(model), m_outputs(outputs), m_ui(ui), m_mail(std::make_unique<TMailQueue>()) {}

TReminderScheduler::~TReminderScheduler() = default;

void TReminderScheduler::FinishMail() { m_mail->Finish(std::chrono::seconds(5)); }

bool TReminderScheduler::WaitForMail(std::chrono::milliseconds limit) {
  return m_mail->WaitIdle(limit);
}

TDataObject *TReminderScheduler::find(int number) const {
  return number > 0 ? m_model.Reminders().FindByNumber(number) : nullptr;
}

TFiring &TReminderScheduler::firingOf(const TDataObject &reminder) {
  const int before = m_firings.Count();
  TFiring &f = m_firings.Get(reminder.Id);
  // The check of this reminder looks its firing up again after it fired; any other reminder's
  // slot that knows of no firing must look again.
  if (m_firings.Count() != before && reminder.Number != m_checkingNumber)
    ++m_madeElsewhere;
  return f;
}

const TFiringState &TReminderScheduler::FiringOf(int number) const {
  const TDataObject *r = find(number);
  return m_firings.StateOf(r ? r->Id : QString());
}

TReminderLookup TReminderScheduler::lookupOf(const QString &id) const {
  return [&model = m_model, id] { return model.Reminders().FindById(id); };
}

TSoundLookup TReminderScheduler::SoundLookup(int number) const {
  const TDataObject *r = find(number);
  if (!r)
    return [] { return static_cast<ISoundPlayer *>(nullptr); };
  return [this, id = r->Id]() -> ISoundPlayer * {
    const TFiring *f = m_firings.Find(id);
    return f ? f->sound.get() : nullptr;
  };
}

// The one place where a firing is made durable: its record (the run that fired, the warned run,
// the close) goes into the store's journal, synced, at a cost that does not grow with the store.
void TReminderScheduler::recordFiring(TDataObject &reminder) {
  (void)RecordFiring(m_model, reminder);
}

void TReminderScheduler::sendReminderUpdated(int number) const {
  hub().send(m_ui.MainWindowHandle(), msg::WM_REMINDER_UPDATED, static_cast<uintptr_t>(number), 0);
}

// --- The check -----------------------------------------------------------------------------------

// The list may change under the loop (a reload or a deletion handled while a launched program's
// grace pump runs), so the loop walks the numbers as they were when it began.
void TReminderScheduler::CheckAllReminders() {
  if (m_checking || m_ended)
    return;
  CheckGuard guard(m_checking);
  checkAll(std::nullopt);
}

// The next runs the check keeps (TNextRunMemo) hold while the wall clock runs with the monotonic
// one. When the two part by more than the tolerance between two ticks, the clock was stepped, the
// time zone or its offset changed (daylight saving), or the machine slept: every memo is dropped.
void TReminderScheduler::Timer1Timer() {
  if (m_checking || m_ended)
    return;
  CheckGuard guard(m_checking);
  constexpr int64_t kStepToleranceMs = 500;
  const std::optional<TDateTime> previous = m_lastTick;
  const uint32_t ticks = currentClock().tickCount();
  m_lastTick = now();
  if (previous && m_lastTickCount) {
    const int64_t wall = (*m_lastTick - *previous).ms;
    const int64_t steady = static_cast<int64_t>(ticks - *m_lastTickCount); // wraps like the count
    if (std::abs(wall - steady) > kStepToleranceMs)
      ForgetNextRuns();
  }
  m_lastTickCount = ticks;
  checkAll(previous);
}

// Every reminder the pass meets marks its firing. A firing left unmarked belongs to a reminder
// that is no longer in the list: only then is the list asked about each firing.
//
// Each place in the list keeps a slot: the firing found for the reminder there (found again only
// when the reminder there has another id, an entry was dropped, or, for one without a firing,
// another reminder's was made) and its next run. The pass takes the list's objects, and uses them
// while the list stays as it was. So the check of a reminder that neither fires nor closes looks
// up nothing.
void TReminderScheduler::checkAll(std::optional<TDateTime> previousTick) {
  ++m_pass;
  m_seen = 0;
  const std::vector<TDataObject *> objects = m_model.Reminders().Objects();
  const std::vector<int32_t> numbers = m_model.Reminders().Numbers();
  m_passGeneration = m_model.Reminders().Generation();
  if (m_slots.size() != objects.size())
    m_slots.resize(objects.size());
  // A stop handled inside the pass (in a launched program's grace pump) ends it.
  for (size_t i = 0; i < objects.size() && !m_ended; ++i)
    checkOne(numbers[i], previousTick, &m_slots[i], objects[i]);
  if (m_dropDue || m_seen < m_firings.Count())
    dropGoneFirings();
}

void TReminderScheduler::CheckReminder(int number) {
  if (m_checking || m_ended)
    return;
  CheckGuard guard(m_checking);
  checkOne(number);
  if (m_dropDue)
    dropGoneFirings();
}

TFiring *TReminderScheduler::seen(const TDataObject &reminder, TSlot *slot, bool again) {
  TFiring *f = nullptr;
  // The same id text (the same shared string, nearly always), no entry dropped since, and for a
  // reminder without one, none made elsewhere.
  const bool sameId =
      slot &&
      ((slot->id.constData() == reminder.Id.constData() && slot->id.size() == reminder.Id.size()) ||
       slot->id == reminder.Id);
  if (sameId && !again && slot->generation == m_firings.Generation() &&
      (slot->firing || slot->madeElsewhere == m_madeElsewhere)) {
    f = slot->firing;
  } else {
    f = m_firings.Find(reminder.Id);
    if (slot) {
      if (!sameId)
        slot->memo = {};
      *slot = {reminder.Id, f, m_firings.Generation(), m_madeElsewhere, slot->memo};
    }
  }
  if (f && f->seenInPass != m_pass) {
    f->seenInPass = m_pass;
    ++m_seen;
  }
  return f;
}

void TReminderScheduler::dropGoneFirings() {
  m_dropDue = false;
  (void)m_firings.DropUnknown(
      [this](const QString &id) { return m_model.Reminders().FindById(id) != nullptr; });
}

// The outputs show the reminders as they were before the reload; the next check makes them
// afresh from the reminders as read. The firings themselves go on.
void TReminderScheduler::RemindersReloaded() {
  m_firings.ReleaseAllOutputs();
  if (m_checking)
    m_dropDue = true; // the check under way may be holding one of them
  else
    dropGoneFirings();
}

void TReminderScheduler::ReleaseAllOutputs() { m_firings.ReleaseAllOutputs(); }

// One pass over one reminder:
//  0. a reminder the runtime has no firing of, whose record says a firing never closed (the
//     program stopped while it showed): resumed or closed first (resumeUnclosed);
//  1. the due tests (TDataObject::CheckDue): a firing reminder asks the test of its own kind
//     whether it must close; an idle one asks for its main event, then for its warning. When
//     nothing is due and the tick came late, the latest run that no tick saw (CheckMissed);
//  2. close, unless the firing is a remind-again one (step 3 ends those), or fire; a warning that
//     closed hands over to its run, which fires at once when it is due or was missed;
//  3. the remind-again window: fire inside it (or when it passed between two ticks), close a
//     remind-again firing outside it;
//  4. bring the outputs in line.
// Firing and closing can run the event loop, so the reminder is looked up again after each, and
// its firing state is read afresh.
//
// A tick is late when a whole second of the wall clock passed without a tick: the machine slept,
// the clock was put forward (by hand, or the hour that daylight saving skips), or the thread was
// busy. It is measured on the wall clock, the schedule's own: the monotonic clock does not count
// a sleep. A one-second due window that begins on a whole second lies between two ticks exactly
// when no tick fell in that second, however close the two ticks. A clock set back is no gap; the
// runs it brings back are kept from firing again by the reminder itself.
void TReminderScheduler::checkOne(int number, std::optional<TDateTime> previousTick, TSlot *slot,
                                  TDataObject *object) {
  // The pass's own pointer while the list has not changed since the pass began.
  TDataObject *r =
      object && m_model.Reminders().Generation() == m_passGeneration ? object : find(number);
  if (!r)
    return;
  const int previousNumber = std::exchange(m_checkingNumber, number);
  const auto restore = qScopeGuard([&] { m_checkingNumber = previousNumber; });

  const TDateTime at = now();
  // One lookup of the firing in nearly every check (none with a slot): one that neither fires
  // nor closes.
  const TFiring *f = seen(*r, slot);
  // The record says a firing was under way when the program stopped: resumed or ended first.
  if (!f && r->LastRunDue.isSet() && r->LastRunClosed != r->LastRunDue && !m_model.DemoMode()) {
    resumeUnclosed(number, at);
    if (!(r = find(number)))
      return;
    f = seen(*r, slot, true);
  }
  const TFiringState &before = f ? f->state : TFiringState::Idle();
  const QString editing = m_model.EditingId();
  TCheckResult result =
      r->CheckDue(before, at, m_model.DemoMode(), editing, slot ? &slot->memo : nullptr);
  // A missed run goes before a warning for a later one, as a due run does. A tick is late when a
  // whole second of the wall clock had no tick: measured as a span (more than a second and a
  // half), two late ticks 1.45 s apart skipped the second between them and its run.
  const bool runDue = result.fire && result.kind == TFireKind::Main;
  if (!runDue && !before.firing && previousTick && secondOf(at) - secondOf(*previousTick) >= 2) {
    if (const TCheckResult missed =
            r->CheckMissed(before, *previousTick, at, m_model.DemoMode(), editing);
        missed.fire)
      result = missed;
  }
  const bool closing = result.close && before.kind != TFireKind::RemindAfter;
  const bool warningEnds = closing && before.kind == TFireKind::RemindBefore;
  const TDateTime warned = r->WarnedRun;
  if (closing)
    CloseReminder(number, false);
  else if (result.fire)
    FireReminder(number, result.kind, result.due);
  // Only a fire or a close can have run the event loop or changed the firing.
  if (closing || result.fire) {
    if (!(r = find(number)))
      return;
    f = seen(*r, slot, true);
  }
  // A warning that ended with its run's moment hands over to that run at once: it is due now, or
  // its second passed while the warning showed (a late tick, a suspend, the hour spring skips),
  // and it fires late rather than never.
  if (warningEnds && f && !f->state.firing && !m_model.DemoMode()) {
    // Asked afresh: the close may have run the event loop, and the editor may have opened.
    const QString editingNow = m_model.EditingId();
    TCheckResult run = r->CheckRun(f->state, at, false, editingNow);
    if (!run.fire && warned.isSet())
      run = r->CheckMissed(f->state, warned - OneMillisecond, at, false, editingNow);
    if (run.fire) {
      FireReminder(number, TFireKind::Main, run.due);
      if (!(r = find(number)))
        return;
      f = seen(*r, slot, true);
    }
  }

  if (!m_model.DemoMode() && r->enable && r->remindAfter.enable) {
    const bool firing = f && f->state.firing;
    const TDateTime start = r->remindAfter.dtStart;
    const TDateTime stop = r->remindAfter.dtStop;
    // A window that opened and closed between two ticks (one second long without a duration)
    // is fired late rather than lost.
    const bool passed = previousTick && *previousTick <= start && start < stop && stop <= now();
    const bool fire2 = !firing && ((start < now() && now() < stop) || passed);
    // Without a duration the window is one second long, yet the reminder came back so that the
    // user sees it: like its first firing, it stays until the user closes it.
    const bool windowOver = now() > stop && r->duration.enable;
    const bool close2 = !fire2 && firing && f->state.kind == TFireKind::RemindAfter &&
                        (now() < start || windowOver);
    if (close2) {
      r->remindAfter.enable = false;
      CloseReminder(number, false);
    } else if (fire2) {
      // Step 1 found nothing due whenever fire2 holds, so the fire time becomes now.
      FireReminder(number, TFireKind::RemindAfter, result.due);
    }
    if (!(r = find(number)))
      return;
    f = seen(*r, slot, true);
  }

  if (f && f->state.firing && !outputsInLine(*r, *f))
    SyncReminderOutputs(number);
}

// A firing the record says was under way when the program stopped (stopped, or killed), met at
// the first check after the start (or after a store with it was opened):
//  - still inside its window: it goes on without its actions (no mail, no program, no log line,
//    no sound): its sticker and tray icon come back for the rest of the window, and it closes at
//    the window's end or by the user like any firing;
//  - its window passed meanwhile: it closes now, without outputs, so that a one-time reminder is
//    switched off as its close would have done.
void TReminderScheduler::resumeUnclosed(int number, TDateTime at) {
  TDataObject *r = find(number);
  if (!r)
    return;
  const QString editing = m_model.EditingId();
  const TDataObject::TUnclosed unclosed = r->UnclosedRunAt(at, editing);
  if (unclosed == TDataObject::TUnclosed::None) {
    // It did close (the user closed it, as files from before the close was kept show), or it is
    // not this reminder's any more: noted, so that the check stops asking. While the reminder is
    // open in the editor, it is asked again afterwards.
    if (!r->IsEditing(editing))
      r->LastRunClosed = r->LastRunDue;
    return;
  }
  const bool closes = r->repeat.type == TRepeatType::Once && r->enable;
  if (unclosed == TDataObject::TUnclosed::Over && !closes) {
    r->LastRunClosed = r->LastRunDue; // nothing else to do; noted for the next save
    return;
  }
  TFiring &f = firingOf(*r);
  r->BeginFiring(f.state, TFireKind::Main, r->LastRunDue, at, false);
  f.resumed = true;
  if (unclosed == TDataObject::TUnclosed::Over)
    CloseReminder(number, false);
}

// --- Firing and closing --------------------------------------------------------------------------

void TReminderScheduler::FireReminder(int number, TFireKind kind, TDateTime due) {
  TDataObject *r = m_ended ? nullptr : find(number);
  if (!r)
    return;
  const bool demo = m_model.DemoMode();
  TFiring &f = firingOf(*r);
  if (demo)
    f.demoRestore = TFiring::TDemoRestore{f.state.fireTime, f.state.kind, f.state.lastKind};
  else
    f.demoRestore.reset(); // left by a demonstration that ended without its close
  r->BeginFiring(f.state, kind, due, now(), demo);
  f.resumed = false;
  const TFiringState started = f.state;
  // On disk before the program starts and the mail goes: killed after either, the program finds
  // the run fired and runs neither again. A demonstration and a remind-again firing change
  // nothing to keep.
  if (!demo && kind != TFireKind::RemindAfter) {
    recordFiring(*r);
    if (!(r = find(number)))
      return;
  }

  // With a mail, its outcome writes the log line when the worker is done with it.
  if (!SendReminderMail(*r, started))
    WriteFireLog(*r, started, QString());
  RunReminderProgram(*r, started);
  if (!find(number))
    return;
  sendReminderUpdated(number);
  // Written to the file at once: the store remembers the run that fired, and a restart inside
  // its window must find it there.
  if ((r = find(number)))
    SaveToStore(m_model, *r);
  // The outputs come with the output step of the same check.
}

// A close is written to the data file at once: a Once reminder that was closed and disabled
// must not come back after a crash or a kill and fire again while its window lasts. The sticker
// writes its place into the store as its window closes; with the reminder's new state it reaches
// the file in one write.
void TReminderScheduler::CloseReminder(int number, bool byUser) {
  if (m_model.DemoMode())
    return;
  std::optional<TXMLStore::TWriteBatch> oneWrite(std::in_place, m_model.Store());
  TDataObject *r = find(number);
  // Only a firing can close. Anything else (a pause, the close message, a menu that outlived its
  // firing) would otherwise disable an idle one-time reminder that has yet to come due.
  TFiring *f = r ? m_firings.Find(r->Id) : nullptr;
  if (!f || !f->state.firing)
    return;
  const QString id = r->Id;

  if (f->state.firedInDemo) {
    // A firing that was only a demonstration leaves no trace: no disable, no close time, no
    // write-back, and the fire time the schedule counts on is the one from before the demo.
    m_firings.ReleaseOutputs(id);
    if (!find(number) || !(f = m_firings.Find(id)))
      return;
    f->state.firing = false;
    f->state.firedInDemo = false;
    if (const std::optional<TFiring::TDemoRestore> restore = f->demoRestore) {
      f->state.fireTime = restore->fireTime;
      f->state.kind = restore->kind;
      f->state.lastKind = restore->lastKind;
      f->demoRestore.reset();
    }
    return;
  }

  if (f->state.kind == TFireKind::RemindBefore)
    f->state.fireTime -= OneSecond;
  m_firings.ReleaseOutputs(id);
  // Released outputs may have run code of their own; a reminder re-read meanwhile is found again
  // by its number, and its firing by its id.
  if (!(r = find(number)) || !(f = m_firings.Find(r->Id)) || !f->state.firing)
    return;
  f->state.firing = false;
  const TFireKind kind = f->state.kind;
  // A remind-again window that has ended is no longer pending: the one-time reminder is done.
  if (kind == TFireKind::RemindAfter && now() > r->remindAfter.dtStop)
    r->remindAfter.enable = false;

  bool disabled = false;
  if (r->repeat.type == TRepeatType::Once && kind != TFireKind::RemindBefore &&
      (byUser || !r->remindAfter.enable)) {
    r->enable = false;
    disabled = true;
  }
  if (byUser) {
    switch (kind) {
    case TFireKind::RemindAfter:
      r->remindAfter.enable = false;
      break;
    case TFireKind::Main:
      r->lastCloseByUserDt = now();
      break;
    case TFireKind::RemindBefore:
      r->lastCloseByUserRemindBeforeDt = now();
      break;
    }
  }
  if (kind == TFireKind::Main)
    r->LastRunClosed = f->state.fireTime;
  f->state.lastKind = kind;
  recordFiring(*r);
  SaveToStore(m_model, *r);
  oneWrite.reset();
  // Told last, when the reminder is complete: the main window's handler may run the event loop.
  if (disabled)
    sendReminderUpdated(number);
}

void TReminderScheduler::StopReminderOutputs(int number) {
  if (m_model.DemoMode())
    return;
  const TDataObject *r = find(number);
  if (!r)
    return;
  const QString id = r->Id;
  const TFiringState &f = m_firings.StateOf(id);
  if (f.firedInDemo && f.firing) {
    // Ends like a demonstration's close: nothing of the demo stays behind.
    CloseReminder(number, false);
    return;
  }
  m_firings.ReleaseOutputs(id);
  TFiring *entry = m_firings.Find(id);
  if (!entry || !entry->state.firing)
    return;
  entry->state.firing = false;
  // Not written back, but not under way either: a save that comes takes it along.
  if (entry->state.kind == TFireKind::Main)
    if (TDataObject *r2 = find(number))
      r2->LastRunClosed = entry->state.fireTime;
}

void TReminderScheduler::CloseAllReminders() {
  m_lastTick.reset(); // a pause begins: what falls due during it is not made up for
  for (const int number : m_model.Reminders().Numbers())
    CloseReminder(number, false);
}

// --- Outputs -------------------------------------------------------------------------------------

// Each output step ends when the reminder or its firing is gone: making or releasing an output
// runs code of its own.
void TReminderScheduler::SyncReminderOutputs(int number) {
  const TDataObject *r = m_ended ? nullptr : find(number);
  const TFiring *f = r ? m_firings.Find(r->Id) : nullptr;
  if (!f || !f->state.firing)
    return;
  const QString id = r->Id;

  if (r->sticker.enable && !f->sticker)
    ShowSticker(number);
  else if (!r->sticker.enable && f->sticker)
    m_firings.CloseSticker(id);
  if (!(r = find(number)) || !(f = m_firings.Find(id)))
    return;

  if (r->tray && !f->trayIcon)
    ShowReminderTrayIcon(number);
  else if (!r->tray && f->trayIcon)
    m_firings.HideTrayIcon(id);
  if (!(r = find(number)) || !(f = m_firings.Find(id)))
    return;

  // A firing resumed after a restart had its sound when it began.
  if (r->sound.enable && !f->sound && !f->soundStoppedByUser && !f->resumed && soundMayStart(id))
    PlayReminderSound(number);
  else if (!r->sound.enable && f->sound)
    m_firings.StopSound(id);
}

// A sound whose player was just released (a failed start, a close) is not opened again within
// the same second. Measured on the monotonic clock.
bool TReminderScheduler::soundMayStart(const QString &id) {
  TFiring *f = m_firings.Find(id);
  if (!f || !f->soundStopTick)
    return true;
  const uint32_t elapsed = currentClock().tickCount() - *f->soundStopTick; // wraps like the count
  if (elapsed <= static_cast<uint32_t>(OneSecond.ms))
    return false;
  f->soundStopTick.reset();
  return true;
}

void TReminderScheduler::ShowSticker(int number) {
  const TDataObject *r = find(number);
  if (!r)
    return;
  const QString id = r->Id;
  m_firings.CloseSticker(id);
  if (!(r = find(number)) || !r->sticker.enable)
    return;
  std::unique_ptr<IStickerView> sticker =
      m_outputs.CreateSticker(lookupOf(id), m_firings.StateOf(id));
  TFiring *f = find(number) ? m_firings.Find(id) : nullptr;
  if (f && f->state.firing && !f->sticker)
    f->sticker = std::move(sticker);
  else if (sticker)
    sticker->close();
}

void TReminderScheduler::ShowReminderTrayIcon(int number) {
  const TDataObject *r = find(number);
  if (!r)
    return;
  const QString id = r->Id;
  m_firings.HideTrayIcon(id);
  if (!(r = find(number)) || !r->tray)
    return;
  std::unique_ptr<ITrayIconView> icon =
      m_outputs.CreateTrayIcon(lookupOf(id), m_firings.StateOf(id));
  TFiring *f = find(number) ? m_firings.Find(id) : nullptr;
  if (f && f->state.firing && !f->trayIcon)
    f->trayIcon = std::move(icon);
  else if (icon)
    icon->deactivate();
}

void TReminderScheduler::PlayReminderSound(int number) {
  const TDataObject *r = find(number);
  if (!r)
    return;
  const QString id = r->Id;
  m_firings.StopSound(id);
  if (!(r = find(number)) || !r->sound.enable || r->sound.fileName.isEmpty() ||
      !QFileInfo::exists(r->sound.fileName))
    return;
  TFiring &f = firingOf(*r);
  f.soundStoppedByUser = false;
  std::unique_ptr<ISoundPlayer> player = m_outputs.CreateSoundPlayer();
  if (!player)
    return;
  ISoundPlayer &sound = *player;
  f.sound = std::move(player);
  // A volume from a hand-made or damaged file is kept to what the player understands.
  const int volume = std::clamp(r->sound.volume, 0, 100) * 10;
  try {
    sound.PlayFile(r->sound.fileName, volume, MasterWindowHandle());
  } catch (...) {
    // The firing goes on without its sound; the next check may try again after a second.
    m_firings.StopSound(id);
  }
}

void TReminderScheduler::HandleSoundNotify(quint16 deviceId) {
  if (deviceId == 0)
    return;
  for (const QString &id : m_firings.Ids()) {
    const TFiring *f = m_firings.Find(id);
    ISoundPlayer *sound = f ? f->sound.get() : nullptr;
    if (!sound || sound->DeviceId() != deviceId)
      continue;
    const TDataObject *r = m_model.Reminders().FindById(id);
    if (r && r->sound.repeat) {
      sound->Rewind();
      // A player that cannot start again would never notify again: free it, and the output step
      // opens the sound afresh a second later.
      if (sound->Play(MasterWindowHandle()) != 0)
        m_firings.StopSound(id);
    }
    return;
  }
}

void TReminderScheduler::RaiseOnTopStickers() {
  for (const QString &id : m_firings.Ids()) {
    const TFiring *f = m_firings.Find(id);
    const TDataObject *r = m_model.Reminders().FindById(id);
    if (f && f->sticker && r && r->sticker.onTop)
      m_outputs.RaiseSticker(*f->sticker);
  }
}

// --- The actions of a firing -------------------------------------------------------------------

// The mail goes out on the mail queue's worker, so a server that is slow or never answers holds
// up neither the tick nor the stickers; the firing's log line waits for the outcome.
bool TReminderScheduler::SendReminderMail(const TDataObject &reminder, const TFiringState &firing) {
  if (!reminder.mail.enable || m_model.DemoMode() || firing.kind != TFireKind::Main)
    return false;
  namespace keys = settings_keys;
  const TMMemIniFile &settings = m_model.MainSettings();
  const TDefaultUserData &defaults = m_model.DefaultUserData();
  const QString host = settings.readString(keys::Mail, keys::Host, defaults.host);
  // The placeholders of a system without a mail account are never tried.
  if (reminder.mail.to.isEmpty() || host.isEmpty() || reminder.mail.to == PlaceholderMailFrom ||
      host == PlaceholderMailHost)
    return false;
  const QString sorry = TranslateText(QStringLiteral("Sorry, email was not sent!")) + u' ' +
                        TranslateText(QStringLiteral("Error")) + QStringLiteral(": ");
  TLogFiring line = LogFiringOf(reminder, firing.fireTime, QString());
  auto done = [&model = m_model, line, sorry](const QString &error, bool abandoned) mutable {
    if (abandoned)
      line.mailError = sorry + TranslateText(QStringLiteral("abandoned at program stop"));
    else if (!error.isEmpty())
      line.mailError = sorry + error;
    WriteFiringLog(model, line);
  };
  TMailMessage message;
  TSmtpServer server;
  try {
    message.subject = reminder.subject;
    message.body = reminder.text;
    message.from = reminder.mail.from;
    message.to = reminder.mail.to;
    message.cc = reminder.mail.cc;
    message.bcc = reminder.mail.bcc;
    message.files = reminder.mail.files;
    server.host = host;
    server.port = settings.readInteger(keys::Mail, keys::Port, defaults.port);
    server.user = settings.readString(keys::Mail, keys::UserName, QString());
    server.password = ReadMailPassword(settings);
  } catch (const std::exception &e) {
    done(exceptionText(e), false);
    return true;
  }
  m_mail->Send(mailSender(), std::move(message), std::move(server), std::move(done));
  return true;
}

void TReminderScheduler::WriteFireLog(const TDataObject &reminder, const TFiringState &firing,
                                      const QString &errorText) const {
  // A demonstration's fire time is the reminder's next run, still to come: its line was dated in
  // the future. It is dated when the sticker showed.
  const TDateTime at = firing.firedInDemo ? now() : firing.fireTime;
  WriteFiringLog(m_model, LogFiringOf(reminder, at, errorText));
}

// A failed start reports nothing: the firing goes on. The short pump afterwards gives the
// started program's first requests a chance, and is where other messages can run.
void TReminderScheduler::RunReminderProgram(const TDataObject &reminder,
                                            const TFiringState &firing) const {
  const TShellExecRec &program = reminder.shellExec;
  if (!program.enable || m_model.DemoMode() || firing.kind != TFireKind::Main ||
      program.fileName.isEmpty())
    return;
  try {
    (void)ShellExecuteFile(program.fileName, program.params, program.folder,
                           static_cast<int>(program.flag), false, false);
    DelayWithMessages(5);
  } catch (...) {
  }
}

// --- The popup menu of a firing reminder ---------------------------------------------------------

std::optional<IReminderRuntime::PopupState> TReminderScheduler::PopupMenuObjectPopup(int number) {
  const TDataObject *r = find(number);
  if (!r)
    return std::nullopt;
  return PopupState{m_firings.StateOf(r->Id).kind != TFireKind::RemindBefore, r->sound.enable};
}

void TReminderScheduler::ActionCloseByUserExecute(int number) { CloseReminder(number, true); }

void TReminderScheduler::ActionRemindAfterExecute(int number, const QString &title) {
  const TDataObject *before = find(number);
  if (!before)
    return;
  const bool wasOn = m_firings.StateOf(before->Id).firing && before->enable;
  if (!m_ui.RemindAfter(title, QCursor::pos(), number))
    return;
  // The dialog ran an event loop: the tick may have closed the firing, or the reminder may be
  // gone. A firing the tick already closed is not closed a second time.
  TDataObject *r = find(number);
  if (!r)
    return;
  if (m_firings.StateOf(r->Id).firing) {
    CloseReminder(number, false);
  } else if (wasOn && !r->enable && r->repeat.type == TRepeatType::Once && r->remindAfter.enable) {
    // The tick closed it while the dialog was open, before there was a window to wait for, and
    // switched the one-time reminder off; the snooze the user has just confirmed would never
    // come. It is switched on again for that window, and kept in the file at once.
    r->enable = true;
    recordFiring(*r);
    SaveToStore(m_model, *r);
  }
  sendReminderUpdated(number);
}

void TReminderScheduler::ActionReminderSoundStopExecute(int number, bool start) {
  const TDataObject *r = find(number);
  if (!r)
    return;
  if (!start) {
    firingOf(*r).soundStoppedByUser = true;
    m_firings.StopSound(r->Id);
  } else if (const TFiring *f = m_firings.Find(r->Id); !f || !f->sound) {
    PlayReminderSound(number);
  }
}

// The dialog runs an event loop in which the sound may end or the firing close: it is handed a
// lookup of the sound, not the player.
void TReminderScheduler::ActionReminderSoundVolumeExecute(int number) {
  if (const TSoundLookup sound = SoundLookup(number); sound())
    m_ui.SoundVolume(QCursor::pos(), sound);
}

// The editor runs an event loop in which the reminder can be saved, re-read or deleted; it is
// found again by its id afterwards, as the editor leaves it.
void TReminderScheduler::ActionEditExecute(int number) {
  const TDataObject *r = find(number);
  if (!r)
    return;
  QString id = r->Id;
  const int position = static_cast<int>(r->state);
  (void)m_ui.EditReminder(position, id, static_cast<int>(TRepeatType::Once));
  if (const TDataObject *edited = m_model.Reminders().FindById(id))
    CheckReminder(edited->Number);
}

int TReminderScheduler::TrayIconMouseUp(const ITrayIconView *sender) const {
  if (!sender)
    return 0;
  for (const QString &id : m_firings.Ids()) {
    const TFiring *f = m_firings.Find(id);
    if (!f || !f->state.firing || f->trayIcon.get() != sender)
      continue;
    const TDataObject *r = m_model.Reminders().FindById(id);
    return r ? r->Number : 0;
  }
  return 0;
}
