#pragma once

#include "model/ReminderRecords.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class TDataObject;
class TModel;

// The commands that change reminders: what the reminder list page and the editor do. Each works
// on the model it is given, follows the save protocol of model/StoreChange.h once, reports a
// failure through the notice path (the store's own "Sorry, can't save file!") and tells the
// model's listener once, as its last step. Reminders are named by id or run-time number; no
// command keeps one across its save.

// "to Archive" / "to Active": the reminders with these ids (unknown ones are skipped) take the
// state. False when none was found: nothing is written and nobody told.
bool MoveReminders(TModel &model, const QStringList &ids, TReminderState state);

// "Make copy": a second reminder with every field of the one with this id, under a new id,
// created now, its sticker 10 pixels right of and below the original's (a sticker placed
// automatically, without a stored place, stays so). Gives the copy's id; empty when there is no
// such reminder. When the file cannot take it, the copy is kept in memory all the same.
QString CopyReminder(TModel &model, const QString &id);

// Deletes the reminder with that run-time number, or with 0 every reminder of the model's
// PendingDeleteIds: one in Trash for good (item and object), any other by moving it to Trash.
// Gives whether anything changed; nothing changed writes nothing and tells nobody.
bool DeleteReminders(TModel &model, int32_t number);

// The actions the list page switches with a click on their picture.
enum class TReminderAction { Sticker, TrayIcon, Sound, Mail, Program };
// Switches the action of the reminder with this id over. Only the store's document takes it; the
// file takes it with the store's next save, as with a firing's write-back. False for an unknown
// id.
bool ToggleReminderAction(TModel &model, const QString &id, TReminderAction action);

// The editor's Ok. What becomes of it, and the reminder's id (the new one after a new reminder
// was saved, else the id given).
enum class TEditSaveOutcome { Saved, NotSaved, Gone };
struct TEditSaveResult {
  TEditSaveOutcome outcome = TEditSaveOutcome::Gone;
  QString id;
};
// Saves the reminder with this id (changed in place), or with NewReminderId a new one, which
// starts from the new-reminder template's bounds and schedule. `fill` writes the editor's pages
// into the record; it must not run the event loop, and what it raises passes to the caller.
// A new, enabled one-time reminder opened with the Once repeat type (defaultRepeatType 0) whose
// moment has passed takes now as its moment, so it fires at once instead of never.
//  - Saved: the reminder is in the file and the list (a new one under its new id);
//  - NotSaved: the file did not take it (the store told the user); a new reminder leaves no
//    trace, a changed one keeps the change in memory;
//  - Gone: no reminder has the id (removed while it was edited); nothing is done.
TEditSaveResult SaveEditedReminder(TModel &model, const QString &id, int defaultRepeatType,
                                   const std::function<void(TDataObject &)> &fill);
