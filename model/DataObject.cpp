#include "model/DataObject.h"

#include "model/Model.h"

namespace {

// The last run-time number handed out. Only the GUI thread creates reminders, so a plain counter
// is enough. It is the process's, not a model's: numbers are never reused while the program
// runs, also across the models a test builds one after another.
int32_t lastNumber = 0;

} // namespace

void SetDataObjectLoader(TDataObjectLoader loader) {
  TModel::Current().SetDataObjectLoader(loader);
}

TDataObject::TDataObject(const QString &id) : Number(++lastNumber), Id(id) {}

std::unique_ptr<TDataObject> TDataObject::CreateEmpty(const QString &id) {
  return std::make_unique<TDataObject>(id);
}

std::unique_ptr<TDataObject> TDataObject::Create(TModel &model, const QString &id) {
  auto object = CreateEmpty(id);
  if (const TDataObjectLoader load = model.DataObjectLoader())
    load(model, *object);
  return object;
}

std::unique_ptr<TDataObject> TDataObject::Create(const QString &id) {
  return Create(TModel::Current(), id);
}

void TDataObject::SetEnabled(bool value) {
  enable = value;
  if (!value)
    remindAfter.enable = false;
}
