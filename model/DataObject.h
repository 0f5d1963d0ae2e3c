#pragma once

#include "model/CurrentModel.h"
#include "model/FiringState.h"
#include "model/ReminderRecords.h"
#include "platform/DateTime.h"

#include <QString>

#include <cstdint>
#include <memory>

class TModel;

inline const QString NewReminderId = QStringLiteral("new");         // not yet in the store
inline const QString DeletedReminderId = QStringLiteral("deleted"); // removed from the store

// What a due test asks of the caller: start a firing of `kind` now with `due` as its fire time,
// or end the current firing (not by the user). At most one of the two is set; due is set only
// with fire.
struct TCheckResult {
  bool fire = false;
  bool close = false;
  TDateTime due;
  TFireKind kind = TFireKind::Main;
};

// The run window of a repeating reminder around a moment: [start, stop).
struct TRunWindow {
  TDateTime start;
  TDateTime stop;
};

// A reminder's next run (GetNextRunTime), kept from one check to the next by whoever checks it.
// Finding it walks the schedule (a few microseconds); the due tests want it every second for
// each reminder with a warning. It holds while the reminder's schedule, the day (of the moment
// and of the clock), the run window and the schedule epoch (ForgetNextRuns) are those it was
// found with, for the moments from the one it was asked for up to the run it found: no run lies
// between. That no run was found holds for that moment alone.
struct TNextRunMemo {
  uint64_t key = 0;
  TDateTime from;    // asked for at this moment
  TDateTime next;    // and found this run of the schedule (0: none)
  TRunWindow window; // from the run window around `from`
  bool valid = false;
};

// Makes every TNextRunMemo stale: the clock was stepped or the time zone changed, so a moment
// after the one a memo was found for need no longer lie before the run it found.
void ForgetNextRuns();

// One reminder: its identity, its stored settings and its run-time number. The stored fields carry
// the store's element names. Its firings are not its own: the runtime keeps them (TFiringState,
// by id) and hands them to the due tests, and it owns the sticker, tray icon and sound of a
// firing.
//
// The object is not copyable: it has a run-time number no other object has. The schedule
// operations (CheckRun and the rest) are implemented in model/Schedule.cpp.
class TDataObject {
public:
  // CreateEmpty: every field zero or empty, the given id, the next run-time number.
  explicit TDataObject(const QString &id);
  TDataObject(const TDataObject &) = delete;
  TDataObject &operator=(const TDataObject &) = delete;

  [[nodiscard]] static std::unique_ptr<TDataObject> CreateEmpty(const QString &id);
  // CreateEmpty, then fills the stored fields from the model's store item with this id (or with
  // the store's defaults when there is none) through the model's store loader.
  [[nodiscard]] static std::unique_ptr<TDataObject> Create(TModel &model, const QString &id);
  // The same in the current model (model/Model.h).
  TOLVANE_CURRENT_MODEL [[nodiscard]] static std::unique_ptr<TDataObject> Create(const QString &id);

  // Disabling also turns the remind-again window off.
  void SetEnabled(bool value);

  // --- Schedule (model/Schedule.cpp) ---
  [[nodiscard]] TRunWindow GetRunWindow(TDateTime m) const;
  // True while this reminder is the one open in the editor: `editingId` is the id of the editor's
  // preview copy (TModel::EditingId), empty while nothing is open.
  [[nodiscard]] bool IsEditing(const QString &editingId) const;
  // The due tests below take the reminder's firing (the empty state for one that never fired),
  // the demo switch, and the id of the reminder open in the editor (empty for none: the caller's
  // model says, TModel::EditingId), which neither fires nor keeps a firing or a warning.
  // The main event: whether an idle reminder is due at m, or a firing one must close.
  [[nodiscard]] TCheckResult CheckRun(const TFiringState &firing, TDateTime m, bool demo,
                                      const QString &editingId = {}) const;
  // The warning ahead of the main event. The caller checks remindBefore.enable.
  // A warning ends with the moment of the run it is for (WarnedRun), also when no check saw that
  // moment. With a memo, the next run is taken from it while it holds (see TNextRunMemo).
  [[nodiscard]] TCheckResult CheckRemindBefore(const TFiringState &firing, TDateTime m, bool demo,
                                               const QString &editingId = {},
                                               TNextRunMemo *memo = nullptr) const;
  // What the check at m does: a firing reminder asks the test of its own kind whether it must
  // close; an idle one is tested for its main event, then (when that is not due and the warning
  // is on) for the warning. The result's kind names the firing to start or end.
  [[nodiscard]] TCheckResult CheckDue(const TFiringState &firing, TDateTime m, bool demo,
                                      const QString &editingId = {},
                                      TNextRunMemo *memo = nullptr) const;
  // The run that began between two checks, after `from` and at or before m, when no check fired
  // it (the machine slept, the clock was put forward, the thread was busy, a warning still
  // showed, or its wall-clock time did not exist): the latest such run when it did not fire yet,
  // else nothing. Its window may have passed or may reach past m. Idle reminders only.
  [[nodiscard]] TCheckResult CheckMissed(const TFiringState &firing, TDateTime from, TDateTime m,
                                         bool demo, const QString &editingId = {}) const;
  // What the record says of the main-event firing that began last (LastRunDue) when it never
  // closed (LastRunClosed is another run): the program stopped or was killed while it showed.
  // Open: at m it would still be under way; Over: it would have ended by now; None: there is no
  // such firing, or it is not this reminder's to resume (it is being edited, or its moment was
  // changed since).
  enum class TUnclosed { None, Open, Over };
  [[nodiscard]] TUnclosed UnclosedRunAt(TDateTime m, const QString &editingId = {}) const;
  // Starts a firing of `kind` at m with the due moment (m when 0) in `firing`, and notes in the
  // reminder what keeps the same run from firing or being warned of again.
  void BeginFiring(TFiringState &firing, TFireKind kind, TDateTime due, TDateTime m, bool demo);
  // m when it lies inside the start and stop bounds, else 0.
  [[nodiscard]] TDateTime GetRunAt(TDateTime m) const;
  // The next run at or after m, 0 for none. Depends on today (month and year lengths) and on the
  // moment the system started: keep it only in a TNextRunMemo, which knows when it goes stale.
  [[nodiscard]] TDateTime GetNextRunTime(TDateTime m) const;
  // The same through the memo the caller keeps for this reminder.
  [[nodiscard]] TDateTime GetNextRunTime(TDateTime m, TNextRunMemo &memo) const;
  // Gives the reminder this repeat type with the default schedule of a new reminder.
  void SetDefaultSchedule(TRepeatType type);

  // --- Run-time state ---
  int32_t Number = 0; // run-time number, unique in this process; 0 means none

  // --- Stored ---
  // The fields every check reads come first, together, so that checking many reminders touches
  // few cache lines of each.
  TReminderState state = TReminderState::Active;
  bool enable = false;
  bool tray = false;
  TMainRepeatRec repeat;
  TStartBoundRec startBound;
  TStopBoundRec stopBound;
  TRemindBeforeRec remindBefore;
  TRemindAfterRec remindAfter;
  TDurationRec duration;
  // The due moment of the last main-event firing (lastRunDueDt). Unlike the firing's fire time, a
  // warning leaves it alone: with WarnedRun it keeps a run in the hour that the clock repeats in
  // autumn from firing or being warned of a second time.
  TDateTime LastRunDue;
  // The run the last warning was for (warnedRunDt). Stored, so that a restart inside the warning
  // does not show it again; it also ends the warning when its run's moment has passed.
  TDateTime WarnedRun;
  // The due moment of the last main-event firing that closed (lastRunClosedDt), however it
  // closed. While LastRunDue names another run, a firing was under way when the program stopped.
  TDateTime LastRunClosed;
  TDateTime lastCloseByUserDt;             // the user last closed a main-event firing
  TDateTime lastCloseByUserRemindBeforeDt; // the user last closed a warning
  QString Id; // GUID text without braces, NewReminderId or DeletedReminderId
  QString parentId;
  TDateTime createDt;
  int32_t type = 0; // kept and stored as read
  QString subject;
  QString text;            // CRLF line breaks
  bool default_ = false;   // "default": offered in the "Add as" menu
  bool hintEnable = false; // kept and stored as read
  TSoundRec sound;
  TMailRec mail;
  TShellExecRec shellExec;
  TStickerRec sticker;
};

// Fills a freshly emptied reminder from the model's store item with its Id (store defaults where
// the item or an element is missing). Every model starts with the store's loader; with nullptr,
// Create leaves the object empty.
using TDataObjectLoader = void (*)(TModel &, TDataObject &);
// Sets the current model's loader.
TOLVANE_CURRENT_MODEL void SetDataObjectLoader(TDataObjectLoader loader);
