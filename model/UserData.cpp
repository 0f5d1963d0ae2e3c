#include "model/UserData.h"

namespace {

QString &userName() {
  static QString name;
  return name;
}

TDefaultUserData &userData() {
  static TDefaultUserData data{QString(PlaceholderMailHost), QString(PlaceholderMailFrom),
                               QString(), 25};
  return data;
}

} // namespace

const QString &CurrentUserName() { return userName(); }
void SetCurrentUserName(const QString &name) { userName() = name; }

const TDefaultUserData &DefaultUserData() { return userData(); }
void SetDefaultUserData(const TDefaultUserData &data) { userData() = data; }
