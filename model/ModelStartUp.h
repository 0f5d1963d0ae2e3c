#pragma once

#include <QString>

class TModel;

// Start-up pieces the program's model (model/Model.h) runs and the user interface may run again.

// Main/HideTrayIcon := false; Main/RunAtStartUp := SetStartUpEntry(true).
void WriteFirstRunDefaults(TModel &model);
// The same for the current model (model/Model.h).
void WriteFirstRunDefaults();

// Every "yyyy" (in any case) of the short date format becomes "yy": dates the program writes
// (the log, the lists) carry two-digit years.
void FixShortDateFormat();
[[nodiscard]] QString TwoDigitYearFormat(const QString &format);

// A fresh template with id "new" and every default.
void ResetNewReminderTemplate(TModel &model);
// The same for the current model.
void ResetNewReminderTemplate();

// Whether the system counted as the XP family when the model started (never on Linux).
[[nodiscard]] bool IsXPFamilyAtStart();
