#pragma once

#include "model/CurrentModel.h"
#include "model/DataObject.h"
#include "platform/MessageHub.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class TModel;

// The reminders of the store in memory, in the store's document order (a reminder re-read on
// its own moves to the end). The list owns its objects. Lookups by run-time number and by id
// take constant time: the check looks every reminder up several times a second.
//
// Never keep a pointer from here across anything that may run the event loop or reload the list
// (a dialog, a pumped delay, a sent message): keep the run-time number or id and look it up again.
class TReminderList {
public:
  TReminderList() = default;
  TReminderList(const TReminderList &) = delete;
  TReminderList &operator=(const TReminderList &) = delete;

  [[nodiscard]] int Count() const { return static_cast<int>(m_items.size()); }
  // The object at the index, or none for an index outside the list.
  [[nodiscard]] TDataObject *At(int index) const;
  // The first object whose Id is the id (exact, case-sensitive), or none.
  [[nodiscard]] TDataObject *FindById(const QString &id) const;
  // The object with the run-time number, or none (also for 0).
  [[nodiscard]] TDataObject *FindByNumber(int32_t number) const;
  // The run-time number of the reminder with the id, 0 for none (GetReminderNumberById).
  [[nodiscard]] int32_t NumberOf(const QString &id) const;
  // The id of the reminder with the number, "" for none (GetReminderIdByNumber).
  [[nodiscard]] QString IdOf(int32_t number) const;
  // -1 when the object is not in the list.
  [[nodiscard]] int IndexOf(const TDataObject *object) const;
  // The run-time numbers in list order: what loops over all reminders walk through.
  [[nodiscard]] std::vector<int32_t> Numbers() const;
  // The objects in list order. They are the list's: they hold while Generation() stays.
  [[nodiscard]] std::vector<TDataObject *> Objects() const;
  // Moves on whenever an object comes into the list or leaves it (Append, Take, Clear): a loop
  // that may run the event loop keeps the objects it took only while the generation stays, and
  // looks them up again by number once it moved.
  [[nodiscard]] uint64_t Generation() const { return m_generation; }

  void Append(std::unique_ptr<TDataObject> object);
  // Removes the entry and gives its object to the caller (none for an index outside the list).
  std::unique_ptr<TDataObject> Take(int index);
  // Frees every object.
  void Clear();
  // Empties the list and gives its objects to the caller, in list order.
  std::vector<std::unique_ptr<TDataObject>> TakeAll();

private:
  void indexIds() const;

  std::vector<std::unique_ptr<TDataObject>> m_items;
  // The items' run-time numbers, in the same order (a number never changes while listed).
  std::vector<int32_t> m_numbers;
  QHash<int32_t, TDataObject *> m_byNumber;
  // The first object of each id. An object's id can change while it is listed (a deletion marks
  // it, a first save gives it one), so an answer is checked and the index rebuilt when stale.
  mutable QHash<QString, TDataObject *> m_byId;
  mutable bool m_idsStale = false;
  uint64_t m_generation = 0;
};

// --- The model's lists ----------------------------------------------------------------------
//
// The forms below without a model work on the current model (model/Model.h); they serve the
// model's own start-up and older callers. The program's windows use the model they were handed.

TOLVANE_CURRENT_MODEL [[nodiscard]] TReminderList &Reminders();
// Ids chosen for deletion on the reminder list page, for WM_DELETE_REMINDERS with 0.
TOLVANE_CURRENT_MODEL [[nodiscard]] QStringList &PendingDeleteIds();

// The reminder new ones start from: id "new" with every default, or a copy of a stored reminder
// chosen from "Add as" (which keeps that reminder's id and schedule). Never none between model
// start-up and shut-down.
TOLVANE_CURRENT_MODEL [[nodiscard]] TDataObject *NewReminderTemplate();
TOLVANE_CURRENT_MODEL void SetNewReminderTemplate(std::unique_ptr<TDataObject> reminder);

// The master window, which the messages below go to; 0 while there is none. The window itself
// keeps its handle: it is found through the hub by its name.
[[nodiscard]] WindowHandle MasterWindowHandle();
inline constexpr char MasterWindowName[] = "FormMaster";

// --- Lookups ----------------------------------------------------------------------------------

[[nodiscard]] TDataObject *FindReminderInList(const TReminderList &list, const QString &id);
TOLVANE_CURRENT_MODEL [[nodiscard]] TDataObject *FindReminderById(const QString &id);
[[nodiscard]] TDataObject *FindReminderByNumberInList(const TReminderList &list, int32_t number);
TOLVANE_CURRENT_MODEL [[nodiscard]] TDataObject *FindReminderByNumber(int32_t number);
// 0 for an unknown id.
TOLVANE_CURRENT_MODEL [[nodiscard]] int32_t GetReminderNumberById(const QString &id);
// "" for an unknown number.
TOLVANE_CURRENT_MODEL [[nodiscard]] QString GetReminderIdByNumber(int32_t number);

// --- Loading ----------------------------------------------------------------------------------

// Frees the list's objects, then creates one object per item of the store, in document order,
// each with a new run-time number. A firing goes on across it: the runtime keeps it by id.
void LoadReminderList(TModel &model, TReminderList &list, const QString &user);
TOLVANE_CURRENT_MODEL void LoadReminderList(TReminderList &list, const QString &user);
void ReloadReminders(TModel &model);
TOLVANE_CURRENT_MODEL void ReloadReminders();
// The model's list brought in line with its store's document after a change made through the
// model: a reminder whose item did not change since the list was last read from the document
// keeps its object (and run-time number); the others are read again with new numbers, and the
// list takes the document's order. After a load of the document it is ReloadReminders.
void ReloadChangedReminders(TModel &model);
// Re-reads one reminder of the list from the store: the new object keeps the old one's run-time
// number and goes to the end of the list. When the store no longer has its item, the reminder
// just leaves the list. An object that is not in the list is left alone.
void RefreshReminderInList(TModel &model, TReminderList &list, TDataObject *object);
TOLVANE_CURRENT_MODEL void RefreshReminderInList(TReminderList &list, TDataObject *object);
void RefreshReminder(TModel &model, TDataObject *object);
TOLVANE_CURRENT_MODEL void RefreshReminder(TDataObject *object);

// --- Deletion ---------------------------------------------------------------------------------

// Removes the reminder's item from the store document and sets its Id to "deleted" (the runtime
// ends a firing of it when it finds the id gone).
void DeleteReminderItem(TModel &model, TDataObject &reminder);
TOLVANE_CURRENT_MODEL void DeleteReminderItem(TDataObject &reminder);
// A number of 1 or more deletes that reminder: one in Trash for good (item and object), any other
// by moving it to Trash. 0 (or less) does the same for every id of `pending` (unknown ids are
// skipped). Only the store's document changes: saving the file is the caller's (the delete
// command, model/ReminderCommands.h). Gives whether anything changed.
bool DeleteRemindersInList(TModel &model, TReminderList &list, int32_t number,
                           const QStringList &pending);
TOLVANE_CURRENT_MODEL bool DeleteRemindersInList(TReminderList &list, int32_t number,
                                                 const QStringList &pending);

// --- Messages to the master window (nothing for an unknown id) ----------------------------------

// WM_STOP_REMINDER_OUTPUTS, handled before this returns.
void SendStopReminderOutputs(TModel &model, const QString &id);
TOLVANE_CURRENT_MODEL void SendStopReminderOutputs(const QString &id);
// WM_REMINDER_CHANGED, posted.
void PostReminderChanged(TModel &model, const QString &id);
TOLVANE_CURRENT_MODEL void PostReminderChanged(const QString &id);
// WM_CHECK_REMINDER, posted.
void PostCheckReminder(TModel &model, const QString &id);
TOLVANE_CURRENT_MODEL void PostCheckReminder(const QString &id);
