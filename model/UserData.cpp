#include "model/UserData.h"

#include "model/Model.h"

const QString &CurrentUserName() { return TModel::Current().CurrentUserName(); }
void SetCurrentUserName(const QString &name) { TModel::Current().SetCurrentUserName(name); }

const TDefaultUserData &DefaultUserData() { return TModel::Current().DefaultUserData(); }
void SetDefaultUserData(const TDefaultUserData &data) {
  TModel::Current().SetDefaultUserData(data);
}
