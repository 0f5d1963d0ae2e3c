#include "model/ModelStartUp.h"

#include "model/Model.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StartUpEntry.h"
#include "platform/FormatSettings.h"
#include "services/SystemInfo.h"

#include <QRegularExpression>

namespace {

namespace keys = settings_keys;

const bool xpFamilyAtStart = IsWindowsXPFamily();

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

void WriteFirstRunDefaults() { WriteFirstRunDefaults(TModel::Current()); }

void WriteFirstRunDefaults(TModel &model) {
  model.MainSettings().writeBool(keys::Main, keys::HideTrayIcon, false);
  model.MainSettings().writeBool(keys::Main, keys::RunAtStartUp, SetStartUpEntry(true));
}

void ResetNewReminderTemplate() { ResetNewReminderTemplate(TModel::Current()); }

void ResetNewReminderTemplate(TModel &model) {
  model.SetNewReminderTemplate(TDataObject::Create(model, NewReminderId));
}

bool CopyToNewReminderTemplate(TModel &model, const QString &id, const QString &subjectPrefix) {
  if (!model.Reminders().FindById(id))
    return false;
  // Read from the store, not copied from the list's object: the template carries the stored
  // reminder, whatever the list's object holds meanwhile.
  std::unique_ptr<TDataObject> copy = TDataObject::Create(model, id);
  copy->default_ = false;
  copy->subject = subjectPrefix + copy->subject;
  model.SetNewReminderTemplate(std::move(copy));
  return true;
}

bool IsXPFamilyAtStart() { return xpFamilyAtStart; }
