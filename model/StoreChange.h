#pragma once

#include <cstdint>

class TModel;

// The last steps of the save protocol that every command of the model follows:
//  1. the command changes the reminders and writes them into the store's document;
//  2. it saves the store to its file once (a failure is told by the store's own notice);
//  3. saved: the store is read back and the listener told StoreReloaded (the file holds the
//     document as it is then, so the reminders whose items changed are read again from the
//     document without parsing the file, unless another program changed the file meanwhile:
//     ReopenSavedStore, ReloadChangedReminders);
//     not saved: nothing is read back (that would drop the change and every other one the file
//     has not taken yet), and the listener is told RemindersChanged, to show what memory holds;
//     the file takes the change with the next save that works.
// The listener is told last, when the command holds no reminder any more: it may run the event
// loop or start another command.

// Step 3 for a command whose change is in the document and whose save was tried.
void EndStoreChange(TModel &model, bool saved);
// Reads the store from its data file again (OpenStore) and rebuilds the model's reminder list.
void ReloadStore(TModel &model);

// Each tells the model's listener, when it has one.
void TellStoreReloaded(TModel &model);
void TellRemindersChanged(TModel &model);
void TellReminderUpdated(TModel &model, int32_t number);
