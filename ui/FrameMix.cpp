#include "ui/FrameMix.h"

#include "ui_FrameMix.h"

#include "model/LanguageTable.h"
#include "model/LogFile.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsCipher.h"
#include "model/SettingsKeys.h"
#include "model/StartUpEntry.h"
#include "model/StoreFileCommands.h"
#include "model/UserData.h"
#include "platform/Errors.h"
#include "platform/MessageHub.h"
#include "services/Folders.h"
#include "services/MailAccount.h"
#include "services/ShellExecute.h"
#include "ui/ActionButton.h"
#include "ui/IconLibrary.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"
#include "widgets/FormLanguageFile.h"
#include "widgets/SpeedButtons.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>

namespace keys = settings_keys;

namespace {

constexpr int kMailParamsImage = 27;
constexpr int kSpeedButtonTag = 1;
const QLatin1String kLanguageMask("*.lng");
const QLatin1String kDefaultLanguageFile("tolvane_default.lng");
const QLatin1String kLanguagesPage("https://www.tolvane.example/languages/");

QString trimmed(const QLineEdit *edit) { return TMMemIniFile::trimText(edit->text()); }

} // namespace

TFrameMix::TFrameMix(TModel &model, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameMix>()), m_model(model) {
  ui->setupUi(this);
  MarkAsLanguageFrame(this);
  ui->ActionGetMailParamsFormSystem->setIcon(
      iconlibrary::icon(TImageList::Common, kMailParamsImage));
  BindButtonToAction(ui->SpeedButton1, ui->ActionGetMailParamsFormSystem);
  BindButtonToAction(ui->Button5, ui->ActionClearLogFile);
  BindButtonToAction(ui->Button1, ui->ActionApply);
  connect(ui->ActionGetMailParamsFormSystem, &QAction::triggered, this,
          [this] { GetMailParamsFromSystem(); });
  connect(ui->ActionClearLogFile, &QAction::triggered, this, [this] { ClearLogFile(); });
  connect(ui->ActionApply, &QAction::triggered, this, Reported([this] { Apply(); }));
  // Only the user's choice: filling the list must not switch the language.
  connect(ui->ComboBoxLng, &QComboBox::activated, this, [this](int row) { SelectLanguage(row); });
  connect(ui->LabelDowloadLng, &LinkLabel::clicked, this, [] {
    (void)ShellExecuteFile(kLanguagesPage, QString(), QString(), SW_SHOWNORMAL, false, false);
  });
}

TFrameMix::~TFrameMix() = default;

void TFrameMix::LoadOptions() {
  translate();
  const TMMemIniFile &main = m_model.MainSettings();
  const TDefaultUserData &defaults = m_model.DefaultUserData();
  ui->EditHost->setText(main.readString(keys::Mail, keys::Host, defaults.host));
  ui->SpinEditPort->setValue(main.readInteger(keys::Mail, keys::Port, defaults.port));
  ui->EditUserName->setText(main.readString(keys::Mail, keys::UserName, QString()));
  ui->EditFromAddress->setText(
      main.readString(keys::Mail, keys::DefaultFromAddress, defaults.fromAddress));
  ui->EditPassword->setText(ReadMailPassword(main));

  ui->CheckBoxStartup->setChecked(main.readBool(keys::Main, keys::RunAtStartUp, GetStartUpEntry()));
  ui->CheckBoxHideTrayIcon->setChecked(main.readBool(keys::Main, keys::HideTrayIcon, false));
  m_appliedLocalFolder = m_model.UseLocalFolder();
  ui->CheckBoxLocal->setChecked(m_appliedLocalFolder);

  fillLanguageList();
  // The period the purge goes by: a stored value it would not accept shows as the 30 days it
  // counts as.
  ui->EditLogClearPeriod->setText(QString::number(LogClearPeriodDays(m_model)));
}

void TFrameMix::Apply() {
  TMMemIniFile &main = m_model.MainSettings();
  main.writeString(keys::Mail, keys::Host, trimmed(ui->EditHost));
  main.writeInteger(keys::Mail, keys::Port,
                    int(std::clamp(ui->SpinEditPort->value(), double(INT_MIN), double(INT_MAX))));
  main.writeString(keys::Mail, keys::DefaultFromAddress, trimmed(ui->EditFromAddress));
  main.writeString(keys::Mail, keys::UserName, trimmed(ui->EditUserName));
  WriteMailPassword(main, ui->EditPassword->text());

  const bool startUp = ui->CheckBoxStartup->isChecked();
  if (startUp != GetStartUpEntry())
    (void)SetStartUpEntry(startUp);
  main.writeBool(keys::Main, keys::RunAtStartUp, startUp);
  main.writeBool(keys::Main, keys::HideTrayIcon, ui->CheckBoxHideTrayIcon->isChecked());

  TMMemIniFile &local = m_model.LocalSettings();
  local.writeBool(keys::Main, keys::UseLocalFolder, ui->CheckBoxLocal->isChecked());
  // Stored as the purge will read it: a negative or non-numeric entry becomes 30 here, not a
  // period that would empty the log at the next start.
  local.writeString(keys::Config, keys::LogClearPeriod, ui->EditLogClearPeriod->text());
  local.writeString(keys::Config, keys::LogClearPeriod,
                    QString::number(LogClearPeriodDays(m_model)));

  moveDataFolder();
  (void)hub().send(MasterWindowHandle(), msg::WM_SETTINGS_CHANGED);
}

// msmtp keeps no display name: the account's user goes into the login field, which would
// otherwise be emptied.
void TFrameMix::GetMailParamsFromSystem() {
  const std::optional<TMailAccount> account = FindDefaultMailAccount();
  if (!account) {
    uiPrompts().notice(TranslateText(QStringLiteral("Sorry, can't find parameters!")));
    return;
  }
  ui->EditHost->setText(account->host);
  ui->EditFromAddress->setText(account->from);
  ui->EditUserName->setText(account->user);
}

void TFrameMix::ClearLogFile() {
  if (!uiPrompts().askYesNo(
          TranslateText(QStringLiteral("You are really want to clear all from log file?"))))
    return;
  const QString file = GetLogFileName(m_model);
  // A log that cannot be read or written is reported; the program goes on.
  try {
    (void)PurgeLog(file, true, TDateTime());
  } catch (const ETolvaneError &e) {
    uiPrompts().error(TranslateText(QStringLiteral("Sorry, can't save file!")) +
                          QStringLiteral("\r\n") + file,
                      e.message());
  }
}

void TFrameMix::SelectLanguage(int row) {
  if (row < 0 || row >= ui->ComboBoxLng->count())
    return;
  const QString file = GetProgramFolder() + ui->ComboBoxLng->itemText(row);
  // Before, any file was taken without a word and the captions silently stayed as they were.
  if (!IsLanguageFile(file)) {
    uiPrompts().notice(TranslateText(QStringLiteral("The file is not a language file!")) +
                       QStringLiteral("\r\n") + file);
    fillLanguageList(); // shows the language in use again
    return;
  }
  m_model.MainSettings().writeString(keys::Config, keys::Lng, file);
  translate();
  (void)hub().send(MasterWindowHandle(), msg::WM_LANGUAGE_CHANGED);
  // The windows that translated themselves meanwhile gave the switch its designed caption back.
  showLocalFolder();
}

void TFrameMix::translate() {
  RunReported([this] { LoadFormLanguageFile(this, GetLanguageFileName(m_model)); });
  ClearSpeedButtonCaptions(this, kSpeedButtonTag);
  SpeedButtonHintsFromActions(this);
  showLocalFolder();
}

// Where the program folder cannot be written, the "local" data goes to the user's settings
// folder instead; the switch must not claim the program's folder then.
void TFrameMix::showLocalFolder() {
  const QString folder = GetLocalFolder();
  if (folder != GetProgramFolder())
    ui->CheckBoxLocal->setText(TranslateText(QStringLiteral("Save all data in settings folder")));
  ui->CheckBoxLocal->setToolTip(QDir::toNativeSeparators(folder));
}

void TFrameMix::fillLanguageList() {
  QStringList files;
  ListFiles(GetProgramFolder(), kLanguageMask, files);
  QString chosen =
      QFileInfo(m_model.MainSettings().readString(keys::Config, keys::Lng, QString())).fileName();
  if (chosen.isEmpty())
    chosen = kDefaultLanguageFile;
  ui->ComboBoxLng->clear();
  ui->ComboBoxLng->addItems(files);
  ui->ComboBoxLng->setCurrentIndex(int(files.indexOf(chosen)));
}

// When the switch changed since the page was loaded or last applied, the data moves to the other
// folder (SwitchDataFolder: the store saved first, the settings copied, control2.dat written, the
// store opened from there).
void TFrameMix::moveDataFolder() {
  const bool local = m_model.UseLocalFolder();
  if (local == m_appliedLocalFolder)
    return;
  m_appliedLocalFolder = local;
  SwitchDataFolder(m_model, local);
}
