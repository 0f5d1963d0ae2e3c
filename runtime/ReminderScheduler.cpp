#include "runtime/ReminderScheduler.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/ReminderList.h"
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

#include <algorithm>
#include <exception>

namespace {

TDateTime now() { return currentClock().now(); }

// The player a firing reminder owns. It notes on the monotonic clock when it goes away, so the
// scheduler can wait a second before opening the sound again whatever the wall clock does
// (daylight saving, a clock set back), and whoever frees it: a close, a stop, a failed start.
class TGuardedSound final : public ISoundPlayer {
public:
  using Stops = std::unordered_map<int, uint32_t>;

  TGuardedSound(std::unique_ptr<ISoundPlayer> player, int number, std::weak_ptr<Stops> stops)
      : m_player(std::move(player)), m_number(number), m_stops(std::move(stops)) {}

  ~TGuardedSound() override {
    m_player.reset();
    if (const std::shared_ptr<Stops> stops = m_stops.lock())
      (*stops)[m_number] = currentClock().tickCount();
  }
  TGuardedSound(const TGuardedSound &) = delete;
  TGuardedSound &operator=(const TGuardedSound &) = delete;

  void PlayFile(const QString &fileName, int volume, WindowHandle notify) override {
    m_player->PlayFile(fileName, volume, notify);
  }
  int Rewind() override { return m_player->Rewind(); }
  int Play(WindowHandle notify) override { return m_player->Play(notify); }
  int SetVolume(int volume) override { return m_player->SetVolume(volume); }
  [[nodiscard]] int GetVolume() const override { return m_player->GetVolume(); }
  [[nodiscard]] quint16 DeviceId() const override { return m_player->DeviceId(); }

private:
  std::unique_ptr<ISoundPlayer> m_player;
  int m_number;
  std::weak_ptr<Stops> m_stops;
};

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

ISoundPlayer *ReminderSoundOf(const TDataObject &reminder) { return reminder.SoundPlayer.get(); }

TReminderScheduler::TReminderScheduler(IReminderList &reminders, IReminderOutputFactory &outputs,
                                       IUserInterface &ui)
    : m_reminders(reminders), m_outputs(outputs), m_ui(ui),
      m_soundStops(std::make_shared<SoundStops>()), m_mail(std::make_unique<TMailQueue>()) {}

TReminderScheduler::~TReminderScheduler() = default;

void TReminderScheduler::FinishMail() { m_mail->Finish(std::chrono::seconds(5)); }

bool TReminderScheduler::WaitForMail(std::chrono::milliseconds limit) {
  return m_mail->WaitIdle(limit);
}

TDataObject *TReminderScheduler::find(int number) const {
  return number > 0 ? m_reminders.FindByNumber(number) : nullptr;
}

void TReminderScheduler::sendReminderUpdated(int number) const {
  hub().send(m_ui.MainWindowHandle(), msg::WM_REMINDER_UPDATED, static_cast<uintptr_t>(number), 0);
}

// --- The check -----------------------------------------------------------------------------------

// The list may change under the loop (a reload or a deletion handled while a launched program's
// grace pump runs), so the loop walks the numbers as they were when it began.
void TReminderScheduler::CheckAllReminders() {
  if (m_checking)
    return;
  CheckGuard guard(m_checking);
  for (const int number : m_reminders.Numbers())
    checkOne(number);
}

void TReminderScheduler::Timer1Timer() {
  if (m_checking)
    return;
  CheckGuard guard(m_checking);
  const std::optional<TDateTime> previous = m_lastTick;
  m_lastTick = now();
  for (const int number : m_reminders.Numbers())
    checkOne(number, previous);
}

void TReminderScheduler::CheckReminder(int number) {
  if (m_checking)
    return;
  CheckGuard guard(m_checking);
  checkOne(number);
}

// One pass over one reminder:
//  1. the due tests (TDataObject::CheckDue): a firing reminder asks the test of its own kind
//     whether it must close; an idle one asks for its main event, then for its warning. When
//     nothing is due and the tick came late, the latest run that no tick saw (CheckMissed);
//  2. close, unless the firing is a remind-again one (step 3 ends those), or fire;
//  3. the remind-again window: fire inside it (or when it passed between two ticks), close a
//     remind-again firing outside it;
//  4. bring the outputs in line.
// Firing and closing can run the event loop, so the reminder is looked up again after each.
//
// A tick is late when more than a second and a half of wall-clock time passed since the one
// before: the machine slept, the clock was put forward (by hand, or the hour that daylight saving
// skips), or the thread was busy. The span is measured on the wall clock, the schedule's own: the
// monotonic clock does not count a sleep. Ticks come a tenth of a second into each second, so a
// one-second due window that begins on a whole second lies between two ticks only when they are
// about two seconds apart. A clock set back is no gap; the runs it brings back are kept from
// firing again by the reminder itself.
void TReminderScheduler::checkOne(int number, std::optional<TDateTime> previousTick) {
  TDataObject *r = find(number);
  if (!r)
    return;

  constexpr TDateTime kLateTick{1'500};
  const TDateTime at = now();
  TCheckResult result = r->CheckDue(at, DemoMode());
  // A missed run goes before a warning for a later one, as a due run does.
  const bool runDue = result.fire && result.kind == TFireKind::Main;
  if (!runDue && !r->Firing && previousTick && at - *previousTick > kLateTick) {
    if (const TCheckResult missed = r->CheckMissed(*previousTick, at, DemoMode()); missed.fire)
      result = missed;
  }
  const bool closing = result.close && r->FireKind != TFireKind::RemindAfter;
  if (closing)
    CloseReminder(number, false);
  else if (result.fire)
    FireReminder(number, result.kind, result.due);
  // Only a fire or a close can have run the event loop; nearly every check does neither.
  if ((closing || result.fire) && !(r = find(number)))
    return;

  if (!DemoMode() && r->enable && r->remindAfter.enable) {
    const TDateTime start = r->remindAfter.dtStart;
    const TDateTime stop = r->remindAfter.dtStop;
    // A window that opened and closed between two ticks (one second long without a duration)
    // is fired late rather than lost.
    const bool passed = previousTick && *previousTick <= start && start < stop && stop <= now();
    const bool fire2 = !r->Firing && ((start < now() && now() < stop) || passed);
    // Without a duration the window is one second long, yet the reminder came back so that the
    // user sees it: like its first firing, it stays until the user closes it.
    const bool windowOver = now() > stop && r->duration.enable;
    const bool close2 = !fire2 && r->Firing && r->FireKind == TFireKind::RemindAfter &&
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
  }

  if (r->Firing)
    SyncReminderOutputs(number);
}

// --- Firing and closing --------------------------------------------------------------------------

void TReminderScheduler::FireReminder(int number, TFireKind kind, TDateTime due) {
  TDataObject *r = find(number);
  if (!r)
    return;
  const bool demo = DemoMode();
  if (demo)
    m_demoRestore[number] = DemoRestore{r->FireTime, r->FireKind, r->LastFireKind};
  else
    m_demoRestore.erase(number); // left by a demonstration whose object was re-read meanwhile
  r->BeginFiring(kind, due, now(), demo);

  // With a mail, its outcome writes the log line when the worker is done with it.
  if (!SendReminderMail(*r))
    WriteFireLog(*r, QString());
  RunReminderProgram(*r);
  if (!find(number))
    return;
  sendReminderUpdated(number);
  // Written to the file at once: the store remembers the run that fired, and a restart inside
  // its window must find it there.
  if ((r = find(number)))
    m_reminders.SaveToStore(*r, true);
  // The outputs come with the output step of the same check.
}

// A close is written to the data file at once: a Once reminder that was closed and disabled
// must not come back after a crash or a kill and fire again while its window lasts. The sticker
// writes its place into the store as its window closes; with the reminder's new state it reaches
// the file in one write.
void TReminderScheduler::CloseReminder(int number, bool byUser) {
  if (DemoMode())
    return;
  std::optional<TXMLStore::TWriteBatch> oneWrite(std::in_place, Store());
  TDataObject *r = find(number);
  // Only a firing can close. Anything else (a pause, the close message, a menu that outlived its
  // firing) would otherwise disable an idle one-time reminder that has yet to come due.
  if (!r || !r->Firing)
    return;

  if (r->FiredInDemo) {
    // A firing that was only a demonstration leaves no trace: no disable, no close time, no
    // write-back, and the fire time the schedule counts on is the one from before the demo.
    r->HideTrayIcon();
    r->CloseSticker();
    r->StopSound();
    if (!(r = find(number)))
      return;
    r->Firing = false;
    r->FiredInDemo = false;
    if (const auto it = m_demoRestore.find(number); it != m_demoRestore.end()) {
      r->FireTime = it->second.fireTime;
      r->FireKind = it->second.fireKind;
      r->LastFireKind = it->second.lastFireKind;
      m_demoRestore.erase(it);
    }
    return;
  }

  if (r->FireKind == TFireKind::RemindBefore)
    r->FireTime -= OneSecond;
  r->HideTrayIcon();
  r->CloseSticker();
  r->StopSound();
  // Released outputs may have run code of their own; a reminder re-read meanwhile is no longer
  // the firing one.
  if (!(r = find(number)) || !r->Firing)
    return;
  r->Firing = false;
  // A remind-again window that has ended is no longer pending: the one-time reminder is done.
  if (r->FireKind == TFireKind::RemindAfter && now() > r->remindAfter.dtStop)
    r->remindAfter.enable = false;

  bool disabled = false;
  if (r->repeat.type == TRepeatType::Once && r->FireKind != TFireKind::RemindBefore &&
      (byUser || !r->remindAfter.enable)) {
    r->enable = false;
    disabled = true;
  }
  if (byUser) {
    switch (r->FireKind) {
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
  r->LastFireKind = r->FireKind;
  m_reminders.SaveToStore(*r, true);
  oneWrite.reset();
  // Told last, when the reminder is complete: the main window's handler may run the event loop.
  if (disabled)
    sendReminderUpdated(number);
}

void TReminderScheduler::StopReminderOutputs(int number) {
  if (DemoMode())
    return;
  TDataObject *r = find(number);
  if (!r)
    return;
  if (r->FiredInDemo && r->Firing) {
    // Ends like a demonstration's close: nothing of the demo stays behind.
    CloseReminder(number, false);
    return;
  }
  r->HideTrayIcon();
  r->CloseSticker();
  r->StopSound();
  if ((r = find(number)))
    r->Firing = false;
}

void TReminderScheduler::CloseAllReminders() {
  m_lastTick.reset(); // a pause begins: what falls due during it is not made up for
  for (const int number : m_reminders.Numbers())
    CloseReminder(number, false);
}

// --- Outputs -------------------------------------------------------------------------------------

void TReminderScheduler::SyncReminderOutputs(int number) {
  TDataObject *r = find(number);
  if (!r || !r->Firing)
    return;

  if (r->sticker.enable && !r->Sticker)
    ShowSticker(number);
  else if (!r->sticker.enable && r->Sticker)
    r->CloseSticker();
  if (!(r = find(number)))
    return;

  if (r->tray && !r->TrayIcon)
    ShowReminderTrayIcon(number);
  else if (!r->tray && r->TrayIcon)
    r->HideTrayIcon();
  if (!(r = find(number)))
    return;

  if (r->sound.enable && !r->SoundPlayer && !r->SoundStoppedByUser && soundMayStart(number))
    PlayReminderSound(number);
  else if (!r->sound.enable && r->SoundPlayer)
    r->StopSound();
}

// A sound whose player was just released (a failed start, a close) is not opened again within
// the same second. Measured on the monotonic clock.
bool TReminderScheduler::soundMayStart(int number) {
  const auto it = m_soundStops->find(number);
  if (it == m_soundStops->end())
    return true;
  const uint32_t elapsed = currentClock().tickCount() - it->second; // wraps like the tick count
  if (elapsed <= static_cast<uint32_t>(OneSecond.ms))
    return false;
  m_soundStops->erase(it);
  return true;
}

void TReminderScheduler::ShowSticker(int number) {
  TDataObject *r = find(number);
  if (!r)
    return;
  r->CloseSticker();
  if (!r->sticker.enable)
    return;
  std::unique_ptr<IStickerView> sticker = m_outputs.CreateSticker(*r);
  if ((r = find(number)))
    r->Sticker = std::move(sticker);
  else if (sticker)
    sticker->close();
}

void TReminderScheduler::ShowReminderTrayIcon(int number) {
  TDataObject *r = find(number);
  if (!r)
    return;
  r->HideTrayIcon();
  if (!r->tray)
    return;
  std::unique_ptr<ITrayIconView> icon = m_outputs.CreateTrayIcon(*r);
  if ((r = find(number)))
    r->TrayIcon = std::move(icon);
  else if (icon)
    icon->deactivate();
}

void TReminderScheduler::PlayReminderSound(int number) {
  TDataObject *r = find(number);
  if (!r)
    return;
  r->StopSound();
  if (!r->sound.enable || r->sound.fileName.isEmpty() || !QFileInfo::exists(r->sound.fileName))
    return;
  r->SoundStoppedByUser = false;
  std::unique_ptr<ISoundPlayer> player = m_outputs.CreateSoundPlayer();
  if (!player)
    return;
  ISoundPlayer &sound = *player;
  r->SoundPlayer = std::make_unique<TGuardedSound>(std::move(player), number, m_soundStops);
  // A volume from a hand-made or damaged file is kept to what the player understands.
  const int volume = std::clamp(r->sound.volume, 0, 100) * 10;
  try {
    sound.PlayFile(r->sound.fileName, volume, MasterWindowHandle());
  } catch (...) {
    // The firing goes on without its sound; the next check may try again after a second.
    if ((r = find(number)))
      r->StopSound();
  }
}

void TReminderScheduler::HandleSoundNotify(quint16 deviceId) {
  if (deviceId == 0)
    return;
  for (const int number : m_reminders.Numbers()) {
    TDataObject *r = find(number);
    ISoundPlayer *sound = r ? ReminderSoundOf(*r) : nullptr;
    if (!sound || sound->DeviceId() != deviceId)
      continue;
    if (r->sound.repeat) {
      sound->Rewind();
      // A player that cannot start again would never notify again: free it, and the output step
      // opens the sound afresh a second later.
      if (sound->Play(MasterWindowHandle()) != 0)
        r->StopSound();
    }
    return;
  }
}

void TReminderScheduler::RaiseOnTopStickers() {
  for (const int number : m_reminders.Numbers()) {
    TDataObject *r = find(number);
    if (r && r->Sticker && r->sticker.onTop)
      m_outputs.RaiseSticker(*r->Sticker);
  }
}

// --- The actions of a firing -------------------------------------------------------------------

// The mail goes out on the mail queue's worker, so a server that is slow or never answers holds
// up neither the tick nor the stickers; the firing's log line waits for the outcome.
bool TReminderScheduler::SendReminderMail(const TDataObject &reminder) {
  if (!reminder.mail.enable || DemoMode() || reminder.FireKind != TFireKind::Main)
    return false;
  namespace keys = settings_keys;
  const TMMemIniFile &settings = MainSettings();
  const TDefaultUserData &defaults = DefaultUserData();
  const QString host = settings.readString(keys::Mail, keys::Host, defaults.host);
  // The placeholders of a system without a mail account are never tried.
  if (reminder.mail.to.isEmpty() || host.isEmpty() || reminder.mail.to == PlaceholderMailFrom ||
      host == PlaceholderMailHost)
    return false;
  const QString sorry = TranslateText(QStringLiteral("Sorry, email was not sent!")) + u' ' +
                        TranslateText(QStringLiteral("Error")) + QStringLiteral(": ");
  TLogFiring firing = LogFiringOf(reminder, QString());
  auto done = [firing, sorry](const QString &error, bool abandoned) mutable {
    if (abandoned)
      firing.mailError = sorry + TranslateText(QStringLiteral("abandoned at program stop"));
    else if (!error.isEmpty())
      firing.mailError = sorry + error;
    AppendLogLine(FiringLogLine(firing));
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

void TReminderScheduler::WriteFireLog(const TDataObject &reminder, const QString &errorText) const {
  AppendLogLine(FiringLogLine(LogFiringOf(reminder, errorText)));
}

// A failed start reports nothing: the firing goes on. The short pump afterwards gives the
// started program's first requests a chance, and is where other messages can run.
void TReminderScheduler::RunReminderProgram(const TDataObject &reminder) const {
  const TShellExecRec &program = reminder.shellExec;
  if (!program.enable || DemoMode() || reminder.FireKind != TFireKind::Main ||
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
  return PopupState{r->FireKind != TFireKind::RemindBefore, r->sound.enable};
}

void TReminderScheduler::ActionCloseByUserExecute(int number) { CloseReminder(number, true); }

void TReminderScheduler::ActionRemindAfterExecute(int number, const QString &title) {
  const TDataObject *before = find(number);
  if (!before)
    return;
  const bool wasOn = before->Firing && before->enable;
  if (!m_ui.RemindAfter(title, QCursor::pos(), number))
    return;
  // The dialog ran an event loop: the tick may have closed the firing, or the reminder may be
  // gone. A firing the tick already closed is not closed a second time.
  TDataObject *r = find(number);
  if (!r)
    return;
  if (r->Firing) {
    CloseReminder(number, false);
  } else if (wasOn && !r->enable && r->repeat.type == TRepeatType::Once && r->remindAfter.enable) {
    // The tick closed it while the dialog was open, before there was a window to wait for, and
    // switched the one-time reminder off; the snooze the user has just confirmed would never
    // come. It is switched on again for that window, and kept in the file at once.
    r->enable = true;
    m_reminders.SaveToStore(*r, true);
  }
  sendReminderUpdated(number);
}

void TReminderScheduler::ActionReminderSoundStopExecute(int number, bool start) {
  TDataObject *r = find(number);
  if (!r)
    return;
  if (!start) {
    r->SoundStoppedByUser = true;
    r->StopSound();
  } else if (!r->SoundPlayer) {
    PlayReminderSound(number);
  }
}

void TReminderScheduler::ActionReminderSoundVolumeExecute(int number) {
  const TDataObject *r = find(number);
  if (r && ReminderSoundOf(*r))
    m_ui.SoundVolume(QCursor::pos(), number);
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
  if (const TDataObject *edited = m_reminders.FindById(id))
    CheckReminder(edited->Number);
}

int TReminderScheduler::TrayIconMouseUp(const ITrayIconView *sender) const {
  if (!sender)
    return 0;
  for (const int number : m_reminders.Numbers()) {
    const TDataObject *r = find(number);
    if (r && r->Firing && r->TrayIcon.get() == sender)
      return number;
  }
  return 0;
}
