#include "model/ReminderCommands.h"

#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/StoreChange.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"

#include <QScopeGuard>

namespace {

// How far a copy's sticker lies from the original's, right and down, so both can be seen.
constexpr int32_t CopyStickerOffset = 10;

bool &actionSwitch(TDataObject &reminder, TReminderAction action) {
  switch (action) {
  case TReminderAction::Sticker:
    return reminder.sticker.enable;
  case TReminderAction::TrayIcon:
    return reminder.tray;
  case TReminderAction::Sound:
    return reminder.sound.enable;
  case TReminderAction::Mail:
    return reminder.mail.enable;
  case TReminderAction::Program:
    break;
  }
  return reminder.shellExec.enable;
}

// A new reminder opened as Once (every caller today opens new ones as Hourly) whose one moment
// has passed while it was edited would never be due: it takes now, and fires at once.
void fireNowWhenPassed(TDataObject &reminder, int defaultRepeatType, TDateTime now) {
  if (reminder.enable && defaultRepeatType == int(TRepeatType::Once) &&
      reminder.repeat.type == TRepeatType::Once && now > reminder.repeat.dt)
    reminder.repeat.dt = now;
}

} // namespace

bool MoveReminders(TModel &model, const QStringList &ids, TReminderState state) {
  bool moved = false;
  for (const QString &id : ids) {
    if (TDataObject *reminder = model.Reminders().FindById(id)) {
      reminder->state = state;
      SaveToStore(model, *reminder, true);
      moved = true;
    }
  }
  if (!moved)
    return false;
  EndStoreChange(model, model.Store().Save());
  return true;
}

QString CopyReminder(TModel &model, const QString &id) {
  if (!model.Reminders().FindById(id))
    return {};
  TXMLStore &store = model.Store();
  const QString newId = store.DuplicateItem(id);
  if (newId.isEmpty())
    return {};
  // The copy is read from its item, not taken from the original's object: it carries what is
  // stored, not the original's run-time state.
  std::unique_ptr<TDataObject> copy = TDataObject::Create(model, newId);
  if (!IsEmptyPosition(copy->sticker.position)) {
    copy->sticker.position.left += CopyStickerOffset;
    copy->sticker.position.top += CopyStickerOffset;
  }
  copy->createDt = currentClock().now();
  SaveToStore(model, *copy, true);
  if (store.Save()) {
    copy.reset();
    EndStoreChange(model, true);
    return newId;
  }
  // Like a move whose save failed, the copy stays in memory and reaches the file with the next
  // save; before, it stayed hidden in the document and turned up at some later reload. The
  // failure's notice may have let the store be read again meanwhile: then the copy is gone.
  if (store.FindItem(newId))
    model.Reminders().Append(std::move(copy));
  else
    copy.reset();
  EndStoreChange(model, false);
  return model.Reminders().FindById(newId) ? newId : QString();
}

bool DeleteReminders(TModel &model, int32_t number) {
  if (!DeleteRemindersInList(model, model.Reminders(), number, model.PendingDeleteIds()))
    return false;
  // Before, the store was read back after a failed save too, which brought the deleted
  // reminders back from the file while the user had been told only that it was not written.
  EndStoreChange(model, model.Store().Save());
  return true;
}

bool ToggleReminderAction(TModel &model, const QString &id, TReminderAction action) {
  TDataObject *reminder = model.Reminders().FindById(id);
  if (!reminder)
    return false;
  bool &on = actionSwitch(*reminder, action);
  on = !on;
  SaveToStore(model, *reminder, true);
  TellReminderUpdated(model, reminder->Number);
  return true;
}

// In the editor's order: the record (the live one, or a new one from the template's schedule),
// its id, the pages, the one-time rule, the item, the file, then the list and the listener.
TEditSaveResult SaveEditedReminder(TModel &model, const QString &id, int defaultRepeatType,
                                   const std::function<void(TDataObject &)> &fill) {
  const bool isNew = id == NewReminderId;
  std::unique_ptr<TDataObject> created;
  TDataObject *target = nullptr;
  if (isNew) {
    created = TDataObject::Create(model, NewReminderId);
    if (const TDataObject *from = model.NewReminderTemplate()) {
      created->startBound = from->startBound;
      created->stopBound = from->stopBound;
      created->repeat = from->repeat;
    }
    target = created.get();
  } else {
    target = model.Reminders().FindById(id);
  }
  if (!target)
    return {TEditSaveOutcome::Gone, id};
  AssignNewId(model, *target);
  // Unless the new reminder is saved, its item leaves the store again: a second Ok after a
  // failed save would otherwise leave a half-made twin behind.
  auto dropItem = qScopeGuard([&model, &created] {
    if (created)
      DeleteReminderItem(model, *created);
  });
  if (fill)
    fill(*target);
  if (isNew)
    fireNowWhenPassed(*target, defaultRepeatType, currentClock().now());
  const QString savedId = target->Id;
  const int32_t number = target->Number;
  SaveToStore(model, *target, true);
  target = nullptr; // a failed save shows a notice, whose event loop may re-read every reminder
  if (!model.Store().Save()) {
    // A changed reminder keeps the change in memory: the list shows what it holds.
    if (!isNew)
      TellReminderUpdated(model, number);
    return {TEditSaveOutcome::NotSaved, id};
  }
  dropItem.dismiss();
  if (created)
    model.Reminders().Append(std::move(created));
  TellReminderUpdated(model, number);
  return {TEditSaveOutcome::Saved, savedId};
}
