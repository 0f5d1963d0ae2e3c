#pragma once

#include "model/ReminderOutputs.h"
#include "model/ReminderRecords.h"
#include "platform/DateTime.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

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

// One reminder: its identity, its stored settings and its run-time state, including the live
// outputs it owns while it fires. The stored fields carry the store's element names; the
// run-time fields (Number to FiredInDemo) are never stored and start empty on every load.
//
// The object is not copyable: it owns its outputs and a run-time number no other object has.
// The schedule operations (CheckRun and the rest) are implemented in model/Schedule.cpp.
class TDataObject {
public:
  // CreateEmpty: every field zero or empty, the given id, the next run-time number, no outputs.
  explicit TDataObject(const QString &id);
  // Releases the outputs: tray icon, then sticker, then sound.
  ~TDataObject();
  TDataObject(const TDataObject &) = delete;
  TDataObject &operator=(const TDataObject &) = delete;

  [[nodiscard]] static std::unique_ptr<TDataObject> CreateEmpty(const QString &id);
  // CreateEmpty, then fills the stored fields from the store item with this id (or with the
  // store's defaults when there is none) through the installed store loader.
  [[nodiscard]] static std::unique_ptr<TDataObject> Create(const QString &id);

  // Each removes its output, when there is one, and clears the field.
  void HideTrayIcon();
  void CloseSticker();
  void StopSound(); // also sets SoundStopTime to now

  // Disabling also turns the remind-again window off.
  void SetEnabled(bool value);

  // --- Schedule (model/Schedule.cpp) ---
  [[nodiscard]] TRunWindow GetRunWindow(TDateTime m) const;
  // True while this reminder is the one open in the editor (PreviewReminder has its id).
  [[nodiscard]] bool IsEditing() const;
  // The main event: whether an idle reminder is due at m, or a firing one must close.
  [[nodiscard]] TCheckResult CheckRun(TDateTime m, bool demo) const;
  // The warning ahead of the main event. The caller checks remindBefore.enable.
  [[nodiscard]] TCheckResult CheckRemindBefore(TDateTime m, bool demo) const;
  // What the check at m does: a firing reminder asks the test of its own kind whether it must
  // close; an idle one is tested for its main event, then (when that is not due and the warning
  // is on) for the warning. The result's kind names the firing to start or end.
  [[nodiscard]] TCheckResult CheckDue(TDateTime m, bool demo) const;
  // The run that fell wholly between two checks, at `from` and at m, when no check saw it (the
  // machine slept, the clock was put forward, the thread was busy, or its wall-clock time did
  // not exist): the latest such run when it did not fire yet, else nothing. Idle reminders only.
  [[nodiscard]] TCheckResult CheckMissed(TDateTime from, TDateTime m, bool demo) const;
  // Starts a firing of `kind` at m with the due moment (m when 0), and notes what keeps the same
  // run from firing or being warned of again.
  void BeginFiring(TFireKind kind, TDateTime due, TDateTime m, bool demo);
  // m when it lies inside the start and stop bounds, else 0.
  [[nodiscard]] TDateTime GetRunAt(TDateTime m) const;
  // The next run at or after m, 0 for none. Depends on today: never cache it across ticks.
  [[nodiscard]] TDateTime GetNextRunTime(TDateTime m) const;
  // Gives the reminder this repeat type with the default schedule of a new reminder.
  void SetDefaultSchedule(TRepeatType type);

  // --- Run-time state ---
  int32_t Number = 0; // run-time number, unique in this process; 0 means none
  bool Firing = false;
  TFireKind FireKind = TFireKind::Main;
  TFireKind LastFireKind = TFireKind::Main;
  TDateTime FireTime; // due moment of the current or last firing
  // The monotonic tick count at which the current firing's duration began, when it began
  // through BeginFiring; the duration is measured on it, whatever the wall clock does.
  std::optional<uint32_t> FireTick;
  // The due moment of the last main-event firing, and the run the last warning was for. Unlike
  // FireTime, a warning leaves the first alone: they keep a run in the hour that the clock
  // repeats in autumn from firing or being warned of a second time.
  TDateTime LastRunDue;
  TDateTime WarnedRun;
  std::unique_ptr<ITrayIconView> TrayIcon;
  std::unique_ptr<IStickerView> Sticker;
  std::unique_ptr<ISoundPlayer> SoundPlayer;
  bool SoundStoppedByUser = false;
  TDateTime SoundStopTime; // when the sound player was last released
  bool FiredInDemo = false;

  // --- Stored ---
  TDateTime lastCloseByUserDt;             // the user last closed a main-event firing
  TDateTime lastCloseByUserRemindBeforeDt; // the user last closed a warning
  QString Id; // GUID text without braces, NewReminderId or DeletedReminderId
  QString parentId;
  TReminderState state = TReminderState::Active;
  bool enable = false;
  TDateTime createDt;
  int32_t type = 0; // kept and stored as read
  QString subject;
  QString text;          // CRLF line breaks
  bool default_ = false; // "default": offered in the "Add as" menu
  TSoundRec sound;
  TMailRec mail;
  TShellExecRec shellExec;
  bool tray = false;
  bool hintEnable = false; // kept and stored as read
  TStickerRec sticker;
  TMainRepeatRec repeat;
  TStartBoundRec startBound;
  TStopBoundRec stopBound;
  TRemindBeforeRec remindBefore;
  TRemindAfterRec remindAfter;
  TDurationRec duration;
};

// Fills a freshly emptied reminder from the store item with its Id (store defaults where the
// item or an element is missing). The store code installs it at start-up; until then, and with
// nullptr, Create leaves the object empty.
using TDataObjectLoader = void (*)(TDataObject &);
void SetDataObjectLoader(TDataObjectLoader loader);
