#include "model/ReminderList.h"

#include "model/DataObjectStore.h"
#include "model/Model.h"
#include "model/XMLStore.h"

#include <unordered_map>

namespace {

bool deleteOne(TModel &model, TReminderList &list, int32_t number) {
  TDataObject *reminder = list.FindByNumber(number);
  if (!reminder)
    return false;
  if (reminder->state == TReminderState::Trash) {
    DeleteReminderItem(model, *reminder);
    list.Take(list.IndexOf(reminder)).reset();
  } else {
    reminder->state = TReminderState::Trash;
    SaveToStore(model, *reminder, true);
  }
  return true;
}

void sendToMaster(TModel &model, const QString &id, uint message, bool post) {
  const TDataObject *reminder = model.Reminders().FindById(id);
  if (!reminder)
    return;
  const auto number = static_cast<uintptr_t>(reminder->Number);
  if (post)
    hub().post(MasterWindowHandle(), message, number, 0);
  else
    hub().send(MasterWindowHandle(), message, number, 0);
}

} // namespace

// --- TReminderList --------------------------------------------------------------------------

TDataObject *TReminderList::At(int index) const {
  if (index < 0 || index >= Count())
    return nullptr;
  return m_items[static_cast<size_t>(index)].get();
}

TDataObject *TReminderList::FindById(const QString &id) const {
  if (m_idsStale)
    indexIds();
  TDataObject *found = m_byId.value(id);
  if (found && found->Id == id)
    return found;
  // An id given or changed after indexing: look the slow way, and index afresh next time.
  for (const auto &item : m_items) {
    if (item->Id == id) {
      m_idsStale = true;
      return item.get();
    }
  }
  return nullptr;
}

void TReminderList::indexIds() const {
  m_byId.clear();
  m_byId.reserve(static_cast<qsizetype>(m_items.size()));
  for (const auto &item : m_items)
    if (!m_byId.contains(item->Id))
      m_byId.insert(item->Id, item.get());
  m_idsStale = false;
}

TDataObject *TReminderList::FindByNumber(int32_t number) const {
  return number == 0 ? nullptr : m_byNumber.value(number);
}

int TReminderList::IndexOf(const TDataObject *object) const {
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (m_items[i].get() == object)
      return static_cast<int>(i);
  }
  return -1;
}

int32_t TReminderList::NumberOf(const QString &id) const {
  const TDataObject *r = FindById(id);
  return r ? r->Number : 0;
}

QString TReminderList::IdOf(int32_t number) const {
  const TDataObject *r = FindByNumber(number);
  return r ? r->Id : QString();
}

std::vector<int32_t> TReminderList::Numbers() const { return m_numbers; }

std::vector<TDataObject *> TReminderList::Objects() const {
  std::vector<TDataObject *> objects;
  objects.reserve(m_items.size());
  for (const auto &item : m_items)
    objects.push_back(item.get());
  return objects;
}

void TReminderList::Append(std::unique_ptr<TDataObject> object) {
  if (!object)
    return;
  ++m_generation;
  // Numbers are unique; the first object keeps its entry should a second one ever come.
  if (!m_byNumber.contains(object->Number))
    m_byNumber.insert(object->Number, object.get());
  if (!m_idsStale)
    if (!m_byId.contains(object->Id))
      m_byId.insert(object->Id, object.get());
  m_numbers.push_back(object->Number);
  m_items.push_back(std::move(object));
}

std::unique_ptr<TDataObject> TReminderList::Take(int index) {
  if (index < 0 || index >= Count())
    return nullptr;
  ++m_generation;
  auto it = m_items.begin() + index;
  std::unique_ptr<TDataObject> object = std::move(*it);
  m_items.erase(it);
  m_numbers.erase(m_numbers.begin() + index);
  if (m_byNumber.value(object->Number) == object.get()) {
    m_byNumber.remove(object->Number);
    // Another object with the same number (none the program makes) takes the entry over.
    for (const auto &item : m_items)
      if (item->Number == object->Number) {
        m_byNumber.insert(item->Number, item.get());
        break;
      }
  }
  m_idsStale = true;
  return object;
}

std::vector<std::unique_ptr<TDataObject>> TReminderList::TakeAll() {
  ++m_generation;
  std::vector<std::unique_ptr<TDataObject>> objects = std::move(m_items);
  m_items.clear();
  m_numbers.clear();
  m_byNumber.clear();
  m_byId.clear();
  m_idsStale = false;
  return objects;
}

void TReminderList::Clear() { TakeAll().clear(); }

// --- Globals ----------------------------------------------------------------------------------

TReminderList &Reminders() { return TModel::Current().Reminders(); }
QStringList &PendingDeleteIds() { return TModel::Current().PendingDeleteIds(); }
TDataObject *NewReminderTemplate() { return TModel::Current().NewReminderTemplate(); }
void SetNewReminderTemplate(std::unique_ptr<TDataObject> reminder) {
  TModel::Current().SetNewReminderTemplate(std::move(reminder));
}

WindowHandle MasterWindowHandle() { return hub().findWindow(QLatin1String(MasterWindowName)); }

// --- Lookups ----------------------------------------------------------------------------------

TDataObject *FindReminderInList(const TReminderList &list, const QString &id) {
  return list.FindById(id);
}

TDataObject *FindReminderById(const QString &id) { return Reminders().FindById(id); }

TDataObject *FindReminderByNumberInList(const TReminderList &list, int32_t number) {
  return list.FindByNumber(number);
}

TDataObject *FindReminderByNumber(int32_t number) { return Reminders().FindByNumber(number); }

int32_t GetReminderNumberById(const QString &id) { return Reminders().NumberOf(id); }

QString GetReminderIdByNumber(int32_t number) { return Reminders().IdOf(number); }

// --- Loading ----------------------------------------------------------------------------------

void LoadReminderList(TModel &model, TReminderList &list, const QString &user) {
  list.Clear();
  QStringList ids;
  model.Store().GetIdsOfUser(&ids, user);
  for (const QString &id : ids)
    list.Append(TDataObject::Create(model, id));
}

void LoadReminderList(TReminderList &list, const QString &user) {
  LoadReminderList(TModel::Current(), list, user);
}

void ReloadReminders(TModel &model) {
  LoadReminderList(model, model.Reminders(), QString());
  model.Store().ForgetChangedItems();
}

void ReloadChangedReminders(TModel &model) {
  TXMLStore &store = model.Store();
  if (store.EveryItemChanged()) {
    ReloadReminders(model);
    return;
  }
  TReminderList &list = model.Reminders();
  const QSet<QString> changed = store.ChangedItemIds();
  std::unordered_map<QString, std::unique_ptr<TDataObject>> unchanged;
  for (std::unique_ptr<TDataObject> &object : list.TakeAll())
    if (!changed.contains(object->Id))
      unchanged.try_emplace(object->Id, std::move(object));
  QStringList ids;
  store.GetIdsOfUser(&ids, QString());
  for (const QString &id : ids) {
    // An id the document holds twice gets the kept object once.
    const auto kept = unchanged.find(id);
    if (kept != unchanged.end() && kept->second)
      list.Append(std::move(kept->second));
    else
      list.Append(TDataObject::Create(model, id));
  }
  store.ForgetChangedItems();
}
void ReloadReminders() { ReloadReminders(TModel::Current()); }

void RefreshReminderInList(TReminderList &list, TDataObject *object) {
  RefreshReminderInList(TModel::Current(), list, object);
}

void RefreshReminderInList(TModel &model, TReminderList &list, TDataObject *object) {
  const int index = list.IndexOf(object);
  if (index < 0)
    return;
  const int32_t number = object->Number;
  const QString id = object->Id;
  list.Take(index).reset();
  // A reminder whose item is gone is not brought back with the defaults of a new one.
  if (!model.Store().FindItem(id))
    return;
  std::unique_ptr<TDataObject> reminder = TDataObject::Create(model, id);
  reminder->Number = number;
  list.Append(std::move(reminder));
}

void RefreshReminder(TModel &model, TDataObject *object) {
  RefreshReminderInList(model, model.Reminders(), object);
}
void RefreshReminder(TDataObject *object) { RefreshReminder(TModel::Current(), object); }

// --- Deletion ---------------------------------------------------------------------------------

void DeleteReminderItem(TModel &model, TDataObject &reminder) {
  model.Store().DeleteItem(reminder.Id);
  reminder.Id = DeletedReminderId;
}
void DeleteReminderItem(TDataObject &reminder) { DeleteReminderItem(TModel::Current(), reminder); }

bool DeleteRemindersInList(TReminderList &list, int32_t number, const QStringList &pending) {
  return DeleteRemindersInList(TModel::Current(), list, number, pending);
}

bool DeleteRemindersInList(TModel &model, TReminderList &list, int32_t number,
                           const QStringList &pending) {
  if (number >= 1)
    return deleteOne(model, list, number);
  bool changed = false;
  // An unknown id gives number 0, which deletes nothing: it must never lead back here. The ids
  // are copied first: the list given may be the model's own pending list.
  // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): see above.
  const QStringList ids = pending;
  for (const QString &id : ids) {
    const TDataObject *r = list.FindById(id);
    if (r && deleteOne(model, list, r->Number))
      changed = true;
  }
  return changed;
}

// --- Messages ---------------------------------------------------------------------------------

void SendStopReminderOutputs(TModel &model, const QString &id) {
  sendToMaster(model, id, msg::WM_STOP_REMINDER_OUTPUTS, false);
}
void SendStopReminderOutputs(const QString &id) { SendStopReminderOutputs(TModel::Current(), id); }

void PostReminderChanged(TModel &model, const QString &id) {
  sendToMaster(model, id, msg::WM_REMINDER_CHANGED, true);
}
void PostReminderChanged(const QString &id) { PostReminderChanged(TModel::Current(), id); }

void PostCheckReminder(TModel &model, const QString &id) {
  sendToMaster(model, id, msg::WM_CHECK_REMINDER, true);
}
void PostCheckReminder(const QString &id) { PostCheckReminder(TModel::Current(), id); }
