#include "app/ModelReminderList.h"

#include "model/DataObjectStore.h"
#include "model/ReminderList.h"

std::vector<int32_t> TModelReminderList::Numbers() const { return Reminders().Numbers(); }

std::vector<TDataObject *> TModelReminderList::Objects() const { return Reminders().Objects(); }

uint64_t TModelReminderList::Generation() const { return Reminders().Generation(); }

TDataObject *TModelReminderList::FindByNumber(int32_t number) const {
  return FindReminderByNumber(number);
}

TDataObject *TModelReminderList::FindById(const QString &id) const { return FindReminderById(id); }

void TModelReminderList::SaveToStore(TDataObject &reminder, bool flush) {
  ::SaveToStore(reminder, !flush);
}

void TModelReminderList::RecordFiring(TDataObject &reminder) { (void)::RecordFiring(reminder); }
