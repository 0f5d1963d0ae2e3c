#include "model/ModelStartUp.h"

#include "imaging/PictureClasses.h"
#include "model/DataObjectStore.h"
#include "model/LogFile.h"
#include "model/ModelContext.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StartUpEntry.h"
#include "model/UserData.h"
#include "model/XMLStore.h"
#include "platform/FormatSettings.h"
#include "services/MailAccount.h"
#include "services/SingleInstance.h"
#include "services/SystemInfo.h"
#include "services/UserIdentity.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

namespace keys = settings_keys;

// The lock "tolvane", held from start-up to shut-down. Nothing ever tests it; other programs
// (an installer) may.
TNamedLock &programLock() {
  static TNamedLock lock;
  return lock;
}

const bool xpFamilyAtStart = IsWindowsXPFamily();

// Runs one start-up step; a step that fails leaves its defaults and start-up goes on.
template <class Step> void tolerant(Step step) {
  try {
    step();
  } catch (...) {
  }
}

QString userName() {
  QString name = GetLoginUserName();
  // The account is looked up by the login name as the system spells it: account names are
  // case-sensitive here, unlike the upper-cased form the rest of the program uses.
  const QString raw = GetRawLoginUserName();
  const QString full = GetUserFullName(QString(), raw).trimmed();
  if (!full.isEmpty() && full != raw)
    name = full;
  return name;
}

bool isFirstRun() {
  return !QFileInfo::exists(GetOldSettingsFileName()) &&
         !QFileInfo::exists(GetLocalMainSettingsFileName()) &&
         !QFileInfo::exists(GetUserMainSettingsFileName());
}

TDefaultUserData mailDefaults() {
  TDefaultUserData data{QString(PlaceholderMailHost), QString(PlaceholderMailFrom), QString(),
                        keys::DefaultMailPort};
  tolerant([&data] {
    if (const std::optional<TMailAccount> account = FindDefaultMailAccount()) {
      data.host = account->host;
      data.fromAddress = account->from;
      data.displayName = account->displayName;
      data.port = account->port;
    }
  });
  return data;
}

} // namespace

QString TwoDigitYearFormat(const QString &format) {
  static const QRegularExpression fourDigits(QStringLiteral("yyyy"),
                                             QRegularExpression::CaseInsensitiveOption);
  QString out = format;
  return out.replace(fourDigits, QStringLiteral("yy"));
}

void FixShortDateFormat() {
  FormatSettings fs = formatSettings();
  fs.shortDateFormat = TwoDigitYearFormat(fs.shortDateFormat);
  setFormatSettings(fs);
}

void WriteFirstRunDefaults() {
  MainSettings().writeBool(keys::Main, keys::HideTrayIcon, false);
  MainSettings().writeBool(keys::Main, keys::RunAtStartUp, SetStartUpEntry(true));
}

void ResetNewReminderTemplate() { SetNewReminderTemplate(TDataObject::Create(NewReminderId)); }

bool IsXPFamilyAtStart() { return xpFamilyAtStart; }

void InitializeModel() {
  tolerant([] { (void)programLock().tryAcquire(QStringLiteral("tolvane")); });
  FixShortDateFormat();
  // Stored pictures (sticker images, tray icons) load as real pictures only once their classes
  // are known by name.
  RegisterPictureClasses();
  MainSettings().clear();
  LocalSettings().clear();
  SetCurrentUserName(GetLoginUserName());
  tolerant([] { SetCurrentUserName(userName()); });
  tolerant([] { LoadSettingsAtStartUp(); });
  tolerant([] {
    if (isFirstRun())
      WriteFirstRunDefaults();
  });
  Reminders().Clear();
  PendingDeleteIds().clear();
  SetStore(std::make_unique<TXMLStore>());
  InstallStoreLoader();
  ResetNewReminderTemplate();
  SetPreviewReminder(nullptr);
  tolerant([] {
    const QString dataFile = GetDataFileName();
    const QString storeFile = MainSettings().readString(keys::Main, keys::StoreFileName, dataFile);
    if (!QFileInfo::exists(storeFile))
      MainSettings().writeString(keys::Main, keys::StoreFileName, dataFile);
  });
  SetDefaultUserData(mailDefaults());
  WriteLog(QStringLiteral("Program start"));
}

void FinalizeModel() {
  programLock().release();
  Reminders().Clear();
  PendingDeleteIds().clear();
  SetNewReminderTemplate(nullptr);
  SetPreviewReminder(nullptr);
  // A store that was never opened has no file to save, and nothing to remember in the settings.
  const QString storeFile = Store().FileName();
  if (!storeFile.isEmpty()) {
    Store().Save();
    MainSettings().writeString(keys::Main, keys::StoreFileName, storeFile);
  }
  SetStore(nullptr);
  SaveMainSettings();
  MainSettings().clear();
  LocalSettings().clear();
}
