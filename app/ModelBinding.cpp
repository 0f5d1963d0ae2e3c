#include "app/ModelBinding.h"

#include "model/DataObject.h"
#include "model/Model.h"
#include "model/ModelStartUp.h"
#include "model/ReminderCommands.h"
#include "model/ReminderList.h"
#include "model/StoreChange.h"

void TModelBinding::OpenStore() { ReloadStore(TModel::Current()); }

void TModelBinding::RefreshReminder(int number) {
  if (TDataObject *reminder = FindReminderByNumber(number))
    ::RefreshReminder(reminder);
}

bool TModelBinding::DeleteReminders(int number) {
  return ::DeleteReminders(TModel::Current(), number);
}

std::vector<IMasterModel::TemplateEntry> TModelBinding::DefaultReminders() const {
  std::vector<TemplateEntry> entries;
  const TReminderList &list = Reminders();
  for (int i = 0; i < list.Count(); ++i)
    if (const TDataObject *reminder = list.At(i); reminder && reminder->default_)
      entries.push_back({reminder->subject, reminder->Id});
  return entries;
}

bool TModelBinding::CopyToNewReminderTemplate(const QString &id, const QString &subjectPrefix) {
  if (!FindReminderById(id))
    return false;
  // Read from the store, not copied from the list's object: the template carries the stored
  // reminder, not the run-time state of a firing.
  std::unique_ptr<TDataObject> copy = TDataObject::Create(id);
  copy->default_ = false;
  copy->subject = subjectPrefix + copy->subject;
  SetNewReminderTemplate(std::move(copy));
  return true;
}

void TModelBinding::ResetNewReminderTemplate() { ::ResetNewReminderTemplate(); }

bool TModelBinding::DemoMode() const { return ::DemoMode(); }
