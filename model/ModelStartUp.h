#pragma once

#include "model/CurrentModel.h"
#include <QString>

class TModel;

// Start-up pieces the program's model (model/Model.h) runs and the user interface may run again.

// Main/HideTrayIcon := false; Main/RunAtStartUp := SetStartUpEntry(true).
void WriteFirstRunDefaults(TModel &model);
// The same for the current model (model/Model.h).
TOLVANE_CURRENT_MODEL void WriteFirstRunDefaults();

// Every "yyyy" (in any case) of the short date format becomes "yy": dates the program writes
// (the log, the lists) carry two-digit years.
void FixShortDateFormat();
[[nodiscard]] QString TwoDigitYearFormat(const QString &format);

// A fresh template with id "new" and every default.
void ResetNewReminderTemplate(TModel &model);
// The same for the current model.
TOLVANE_CURRENT_MODEL void ResetNewReminderTemplate();
// "Add as": the template becomes the stored reminder with that id, as read from the store (not the
// list's object), its subject with the prefix in front and not flagged as a template; it keeps
// the stored reminder's id and schedule. False, and the template left alone, when the model's list
// has no reminder with the id.
[[nodiscard]] bool CopyToNewReminderTemplate(TModel &model, const QString &id,
                                             const QString &subjectPrefix);

// Whether the system counted as the XP family when the model started (never on Linux).
[[nodiscard]] bool IsXPFamilyAtStart();
