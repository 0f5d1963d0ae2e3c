#include "model/Model.h"

#include "imaging/PictureClasses.h"
#include "model/DataObjectStore.h"
#include "model/LogFile.h"
#include "model/ModelStartUp.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/StartUpEntry.h"
#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "services/MailAccount.h"
#include "services/UserIdentity.h"

#include <QFileInfo>

namespace {

namespace keys = settings_keys;

// The model built last that still lives; the models before it are chained through m_previous.
TModel *current = nullptr;

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

TModel::TModel(TModelStart start) : m_previous(current), m_program(start == TModelStart::Program) {
  // Current from the first step on: every step below reaches this model through the accessors.
  current = this;
  m_store.SetLogWriter([this](const QString &line) { WriteLog(*this, line); });
  m_loader = [](TModel &model, TDataObject &reminder) { LoadFromStore(model, reminder); };
  if (!m_program)
    return;
  try {
    this->start();
  } catch (...) {
    freeReminders();
    unlink();
    throw;
  }
}

TModel::~TModel() {
  if (m_program) {
    try {
      finish();
    } catch (...) {
      // An end must go on: what could not be saved was reported where it failed.
    }
  }
  freeReminders();
  unlink();
}

const TModel *TModel::CurrentOrNone() { return current; }

TModel &TModel::Current() {
  if (!current) {
    // A call before start-up or after the end would work on nothing and lose what it changed.
    Q_ASSERT_X(false, "TModel::Current", "no model lives");
    throw ETolvaneError(QStringLiteral("The reminder model is not started."));
  }
  return *current;
}

void TModel::start() {
  tolerant([this] { (void)m_lock.tryAcquire(QStringLiteral("tolvane")); });
  FixShortDateFormat();
  // Stored pictures (sticker images, tray icons) load as real pictures only once their classes
  // are known by name.
  RegisterPictureClasses();
  m_userName = GetLoginUserName();
  tolerant([this] { m_userName = userName(); });
  tolerant([this] { LoadSettingsAtStartUp(*this); });
  // A purge cut short by a kill leaves its temporary copy of the log; its folder follows the
  // settings, and nothing writes the log yet.
  tolerant([this] { (void)RemoveStaleTempFiles(GetLogFileName(*this)); });
  tolerant([this] {
    if (isFirstRun())
      WriteFirstRunDefaults(*this);
  });
  ResetNewReminderTemplate(*this);
  tolerant([this] {
    const QString dataFile = GetDataFileName(*this);
    const QString storeFile = m_mainSettings.readString(keys::Main, keys::StoreFileName, dataFile);
    if (!QFileInfo::exists(storeFile))
      m_mainSettings.writeString(keys::Main, keys::StoreFileName, dataFile);
  });
  m_userData = mailDefaults();
  WriteLog(*this, QStringLiteral("Program start"));
}

void TModel::finish() {
  m_lock.release();
  freeReminders();
  // A store that was never opened has no file to save, and nothing to remember in the settings.
  const QString storeFile = m_store.FileName();
  if (!storeFile.isEmpty()) {
    // What the file does not hold yet; a failure the user was told of since the last save that
    // worked is not told again: that box would wait for the user after the program was asked to
    // stop.
    m_store.Flush();
    m_mainSettings.writeString(keys::Main, keys::StoreFileName, storeFile);
  }
  (void)SaveMainSettings(*this);
}

void TModel::freeReminders() {
  m_reminders.Clear();
  m_pendingDeleteIds.clear();
  SetNewReminderTemplate(nullptr);
  SetPreviewReminder(nullptr);
}

void TModel::unlink() {
  if (current == this) {
    current = m_previous;
    return;
  }
  // Models may end out of order (a test's own beside the program's): take this one out of the
  // chain wherever it stands.
  for (TModel *m = current; m; m = m->m_previous) {
    if (m->m_previous == this) {
      m->m_previous = m_previous;
      return;
    }
  }
}

bool TModel::UseLocalFolder() const {
  return m_localSettings.readBool(keys::Main, keys::UseLocalFolder, false);
}

void TModel::SetNewReminderTemplate(std::unique_ptr<TDataObject> reminder) {
  std::unique_ptr<TDataObject> old = std::move(m_template);
  m_template = std::move(reminder);
}

void TModel::SetPreviewReminder(std::unique_ptr<TDataObject> preview) {
  m_preview = std::move(preview);
}

TDataObject *PreviewReminder() { return TModel::Current().PreviewReminder(); }
void SetPreviewReminder(std::unique_ptr<TDataObject> preview) {
  TModel::Current().SetPreviewReminder(std::move(preview));
}
bool DemoMode() { return TModel::Current().DemoMode(); }
void SetDemoMode(bool on) { TModel::Current().SetDemoMode(on); }
