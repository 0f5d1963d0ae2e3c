#pragma once

#include <QString>

// Start-up and shut-down of the model's process-wide objects: the settings, the user's name, the
// store, the reminder list, the new-reminder template, the mail defaults and the log's start line.
// The program's main block runs InitializeModel once the single-instance check has passed, and
// FinalizeModel after the event loop has ended (while the application object still exists).

// In this order: the "tolvane" lock; two-digit years in the short date format; empty settings;
// the user's name; the settings files (with the legacy import); the first-run defaults when no
// settings file exists anywhere; empty reminder lists; an empty store without a file; the
// template; a Main/StoreFileName that names a missing file set back to the data file; the mail
// defaults; the log line "Program start". Nothing here stops start-up: each step that fails
// leaves its defaults. The store is opened later, by the master window.
void InitializeModel();

// In this order: the lock released; the reminders (with their live outputs), the pending ids and
// the template freed; the store saved to its file (a failure is shown) and its file name kept in
// Main/StoreFileName; the store freed; MainSettings saved; both settings objects emptied.
// LocalSettings is not saved here. Safe after a start-up that did not finish, and twice.
void FinalizeModel();

// Main/HideTrayIcon := false; Main/RunAtStartUp := SetStartUpEntry(true).
void WriteFirstRunDefaults();

// Every "yyyy" (in any case) of the short date format becomes "yy": dates the program writes
// (the log, the lists) carry two-digit years.
void FixShortDateFormat();
[[nodiscard]] QString TwoDigitYearFormat(const QString &format);

// A fresh template with id "new" and every default.
void ResetNewReminderTemplate();

// Whether the system counted as the XP family when the model started (never on Linux).
[[nodiscard]] bool IsXPFamilyAtStart();
