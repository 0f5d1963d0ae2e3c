#include "model/StoreChange.h"

#include "model/Model.h"
#include "model/ModelListener.h"
#include "model/ReminderList.h"
#include "model/XMLStore.h"

void EndStoreChange(TModel &model, bool saved) {
  if (!saved) {
    TellRemindersChanged(model);
    return;
  }
  ReopenSavedStore(model, [&model] { ReloadChangedReminders(model); });
  TellStoreReloaded(model);
}

void ReloadStore(TModel &model) {
  OpenStore(model, [&model] { ReloadReminders(model); });
}

void TellStoreReloaded(TModel &model) {
  if (IModelListener *listener = model.Listener())
    listener->StoreReloaded();
}

void TellRemindersChanged(TModel &model) {
  if (IModelListener *listener = model.Listener())
    listener->RemindersChanged();
}

void TellReminderUpdated(TModel &model, int32_t number) {
  if (IModelListener *listener = model.Listener())
    listener->ReminderUpdated(number);
}
