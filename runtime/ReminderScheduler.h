#pragma once

#include "model/DataObject.h"
#include "model/ReminderRecords.h"
#include "platform/DateTime.h"
#include "platform/MessageHub.h"
#include "runtime/FiringTable.h"
#include "runtime/ReminderPorts.h"
#include "runtime/ReminderRuntime.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class IUserInterface;
class TMailQueue;
class TModel;

// The reminder scheduler of the master window: each tick checks every reminder, fires the due
// ones (mail, log line, program, write-back), closes those whose time is over, and keeps each
// firing reminder's sticker, tray icon and sound in line with its settings. It also carries out
// what the popup menu of a firing reminder offers. It works on the model it is handed: its
// reminder list, its store, its settings and demo switch, its log. GUI thread only.
//
// Reminders are named by run-time number, never held by pointer across anything that can run the
// event loop (a launched program's grace pump, a sent message, a dialog): each step looks the
// reminder up again and ends quietly when it is gone. A check that starts while another one is
// under way (from a pump inside it) is skipped; the next tick catches up.
//
// The firings are the scheduler's own (Firings(), by reminder id): their state, the outputs the
// factory makes for them, and the sound's bookkeeping. A firing whose reminder has left the list
// is ended and dropped by the next check of all reminders, or by the reload that took it away.
class TReminderScheduler final : public IReminderRuntime {
public:
  // The outputs and the user interface outlive the scheduler; so does the model, but for the
  // program's last moment, when the scheduler no longer runs (its firings' outputs are released
  // before the model ends). The sounds' completion notices go to the master window
  // (MasterWindowHandle); the main window is told of changed reminders.
  TReminderScheduler(TModel &model, IReminderOutputFactory &outputs, IUserInterface &ui);
  ~TReminderScheduler() override;
  TReminderScheduler(const TReminderScheduler &) = delete;
  TReminderScheduler &operator=(const TReminderScheduler &) = delete;

  // --- The check ---
  void Timer1Timer() override;
  void CheckAllReminders() override;
  void CheckReminder(int number) override;

  // --- Firing and closing ---
  void FireReminder(int number, TFireKind kind, TDateTime due);
  // Ends a firing; a reminder that is not firing is left alone. Nothing happens in demo mode.
  void CloseReminder(int number, bool byUser) override;
  void StopReminderOutputs(int number) override;
  void CloseAllReminders() override;
  void RemindersReloaded() override;
  void ReleaseAllOutputs() override;

  // --- Outputs ---
  void SyncReminderOutputs(int number);
  void ShowSticker(int number);
  void ShowReminderTrayIcon(int number);
  void PlayReminderSound(int number);
  // The natural end of a sound (the master passes on no other completion notice): a repeating
  // sound plays again from the start.
  void HandleSoundNotify(quint16 deviceId) override;
  void RaiseOnTopStickers() override;

  // --- The actions of a firing ---
  // Queues the mail of a main-event firing, whose outcome then writes the firing's log line.
  // False when there is no mail to send (the caller writes the line).
  [[nodiscard]] bool SendReminderMail(const TDataObject &reminder, const TFiringState &firing);
  void EndChecks() override { m_ended = true; }
  void FinishMail() override;
  // Waits up to `limit` for the queued mails and writes their log lines; true when none is left.
  bool WaitForMail(std::chrono::milliseconds limit);
  void WriteFireLog(const TDataObject &reminder, const TFiringState &firing,
                    const QString &errorText) const;
  void RunReminderProgram(const TDataObject &reminder, const TFiringState &firing) const;

  // --- The popup menu of a firing reminder (the number is the popup's Tag) ---
  [[nodiscard]] std::optional<PopupState> PopupMenuObjectPopup(int number) override;
  void ActionCloseByUserExecute(int number) override;
  void ActionRemindAfterExecute(int number, const QString &title) override;
  void ActionReminderSoundStopExecute(int number, bool start) override;
  void ActionReminderSoundVolumeExecute(int number) override;
  // Opens the editor, then checks the reminder (also while paused).
  void ActionEditExecute(int number) override;
  // A mouse press on a reminder's tray icon: the number of the firing reminder that owns it, to
  // become the popup's Tag; 0 when none does.
  [[nodiscard]] int TrayIconMouseUp(const ITrayIconView *sender) const;

  // --- The firings ---
  [[nodiscard]] const TFiringTable &Firings() const { return m_firings; }
  // Writable, for a test that sets up a firing's past by hand.
  [[nodiscard]] TFiringTable &Firings() { return m_firings; }
  // The state of that reminder's firing (the empty state for an unknown number).
  [[nodiscard]] const TFiringState &FiringOf(int number) const;
  // The playing sound of that reminder's firing, looked up again at each call (null when none).
  [[nodiscard]] TSoundLookup SoundLookup(int number) const;

private:
  [[nodiscard]] TDataObject *find(int number) const;
  // The reminder's firing, made when it has none yet.
  [[nodiscard]] TFiring &firingOf(const TDataObject &reminder);
  // How an output finds the reminder with this id.
  [[nodiscard]] TReminderLookup lookupOf(const QString &id) const;
  // Ends and drops the firings whose reminder is no longer in the list.
  void dropGoneFirings();
  // What a pass over all reminders keeps for one place of the list between passes: the firing
  // found for the reminder there (valid while that reminder has this id and the table is at this
  // generation) and the reminder's next run.
  struct TSlot {
    QString id;
    TFiring *firing = nullptr;
    uint64_t generation = 0;    // of the firing table
    uint64_t madeElsewhere = 0; // m_madeElsewhere then
    TNextRunMemo memo;
  };
  // `previousTick`: the moment of the tick before this one, when this check is a tick.
  void checkAll(std::optional<TDateTime> previousTick);
  // `object`: the pass's pointer to the reminder, used while the list has not changed.
  void checkOne(int number, std::optional<TDateTime> previousTick = std::nullopt,
                TSlot *slot = nullptr, TDataObject *object = nullptr);
  // The reminder's firing (none when it never fired), marked as met by this pass; through the
  // slot when it still holds (and `again` is not set), which it then brings up to date.
  TFiring *seen(const TDataObject &reminder, TSlot *slot = nullptr, bool again = false);
  // A firing the record says never closed (the program stopped while it showed): resumed without
  // its actions while its window lasts, else closed.
  void resumeUnclosed(int number, TDateTime at);
  // Makes the reminder's firing record durable (IReminderList::RecordFiring).
  void recordFiring(TDataObject &reminder);
  void sendReminderUpdated(int number) const;
  [[nodiscard]] bool soundMayStart(const QString &id);

  TModel &m_model;
  IReminderOutputFactory &m_outputs;
  IUserInterface &m_ui;
  bool m_checking = false;
  // The program is stopping (EndChecks).
  bool m_ended = false;
  // A reload came while a check was under way: the firings of gone reminders are dropped when it
  // ends, not under its feet.
  bool m_dropDue = false;
  // The current pass over all reminders, and how many firings it has met so far.
  uint64_t m_pass = 0;
  int m_seen = 0;
  // The wall-clock moment of the previous tick; none before the first and after a pause.
  std::optional<TDateTime> m_lastTick;
  // The monotonic tick count at the previous tick: a step of the wall clock against it drops
  // the next runs the slots keep.
  std::optional<uint32_t> m_lastTickCount;
  std::vector<TSlot> m_slots;
  // The list's generation when the current pass took its objects.
  uint64_t m_passGeneration = 0;
  // The reminder under check, and how many firings were made for other reminders.
  int m_checkingNumber = 0;
  uint64_t m_madeElsewhere = 0;
  TFiringTable m_firings;
  std::unique_ptr<TMailQueue> m_mail;
};
