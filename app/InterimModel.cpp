#include "app/InterimModel.h"

#include "model/LogFile.h"
#include "model/ModelContext.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/UserData.h"
#include "model/XMLStore.h"
#include "services/UserIdentity.h"

#include <QFile>

void InterimInitializeModel() {
  QString name = GetLoginUserName();
  const QString full = GetUserFullName(QString(), GetRawLoginUserName()).trimmed();
  if (!full.isEmpty())
    name = full;
  SetCurrentUserName(name);
  LoadSettingsAtStartUp();
  const QString storeFile = MainSettings().readString(
      settings_keys::Main, settings_keys::StoreFileName, GetDataFileName());
  if (!QFile::exists(storeFile))
    MainSettings().writeString(settings_keys::Main, settings_keys::StoreFileName,
                               GetDataFileName());
  WriteLog(QStringLiteral("Program start"));
}

void InterimFinalizeModel() {
  Store().Save();
  MainSettings().writeString(settings_keys::Main, settings_keys::StoreFileName, Store().FileName());
  (void)SaveMainSettings();
}

void TInterimMasterModel::OpenStore() {
  ::OpenStore([] {});
}

bool TInterimMasterModel::DemoMode() const { return ::DemoMode(); }
