#pragma once

#include <QString>

// The program's model (model/Model.h), built and ended from a main block that cannot hold it:
// InitializeModel builds it once the single-instance check has passed (and makes it current);
// FinalizeModel ends it after the event loop (while the application object still exists).
// FinalizeModel is safe after a start-up that did not finish, and twice.
void InitializeModel();
void FinalizeModel();

// Start-up pieces the model runs and the user interface may run again.

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
