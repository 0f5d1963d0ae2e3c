#pragma once

#include <QString>

class IUserInterface;
class TModel;

// Opens the reminder editor for a reminder id of the model's list, or "new" for a new reminder that
// starts with the default repeat type (a TRepeatType code), and returns when the editor closes:
// true when it closed with Ok. The id then holds the editor's id (a new reminder's new id). The
// list position that callers pass is not used.
//
// The editor runs in a local event loop and is modal to nothing: stickers, sounds and the tick go
// on while it is open. It gives false at once, without opening, when an editor is open already
// (which comes forward) or when the id is neither "new" nor in the list. However it ends, the
// master window is told to re-read the reminder and check all reminders, and the preview copy is
// released, so the reminder fires again. When the application ends while it is open, it closes
// without asking and without saving.
//
// The caller must not keep a TDataObject* across the call: look the reminder up again by id.
[[nodiscard]] bool EditReminder(TModel &model, IUserInterface &ui, int listPosition, QString &id,
                                int defaultRepeatType);

// Marks the open editor modified; nothing when none is open.
void SetEditorModified();
