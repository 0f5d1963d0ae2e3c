#include "ui/SendSelected.h"

#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/Settings.h"
#include "model/SettingsCipher.h"
#include "model/SettingsKeys.h"
#include "model/StoreFileCommands.h"
#include "model/UserData.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "services/CommaText.h"
#include "services/Folders.h"
#include "services/MailQueue.h"
#include "services/MailSender.h"
#include "ui/FormSendMail.h"
#include "ui/UiPrompts.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace keys = settings_keys;

namespace {

const QString CrLf = QStringLiteral("\r\n");

// The mail settings are still empty, or still the placeholders of a system without a mail
// account: no server could take the mail.
bool badParameters(const QString &to, const QString &host) {
  return to.isEmpty() || host.isEmpty() || to == PlaceholderMailFrom || host == PlaceholderMailHost;
}

// The mail ready to go: the attachment lies in `folder`, which removes itself with everything in
// it when the last holder lets it go, so it lives exactly as long as the send needs it.
struct SelectedMail {
  std::shared_ptr<QTemporaryDir> folder;
  TMailMessage message;
  TSmtpServer server;
};

// Writes the reminders into a private folder and builds the mail with them attached. Raises when
// the folder cannot be made; EAbort when the file could not be written (the export told why).
SelectedMail prepareMail(TModel &model, const QStringList &ids, const TComposeFields &fields,
                         const QString &host) {
  SelectedMail mail;
  // The reminders' texts are nobody else's business: a folder of its own (mode 0700) rather than
  // a guessable name in the shared temporary folder.
  mail.folder = std::make_shared<QTemporaryDir>(GetTempFolder() + QStringLiteral("tolvane-XXXXXX"));
  if (!mail.folder->isValid())
    throw EFileError(
        QStringLiteral("Can't create a temporary folder: %1").arg(mail.folder->errorString()));
  const QString file =
      mail.folder->filePath(QStringLiteral("tolvane_data_%1.xml").arg(currentClock().tickCount()));
  // The file comes from the document in memory, so it is sent even when the store's own file
  // could not be written (which the store has told already).
  if (ExportReminders(model, ids, file) != TExportResult::Done)
    throw EAbort();

  const TMMemIniFile &settings = model.MainSettings();
  TMailMessage &message = mail.message;
  message.subject = fields.subject;
  message.body = fields.text + TranslateText(MailFooterText());
  message.from = fields.from;
  message.to = fields.to;
  message.cc = fields.cc;
  message.bcc = fields.bcc;
  message.files = ListToCommaText({file});
  TSmtpServer &server = mail.server;
  server.host = host;
  server.port = settings.readInteger(keys::Mail, keys::Port, model.DefaultUserData().port);
  server.user = settings.readString(keys::Mail, keys::UserName, QString());
  server.password = ReadMailPassword(settings);
  return mail;
}

// "Done!", or the error with its reason (the server's reply when the server refused).
void tellOutcome(const QString &error) {
  if (error.isEmpty())
    uiPrompts().notice(TranslateText(QStringLiteral("Done!")));
  else
    uiPrompts().error(TranslateText(QStringLiteral("Sorry, email was not sent!")),
                      TranslateText(QStringLiteral("Error")) + u':' + CrLf + error);
}

// The queue of the mails this command sends lives as long as the application object: its worker
// thread has ended before the program's own end, while the mail sender and the TLS library it
// uses still exist (a thread that outlived them would leave their per-thread state behind).
class SelectedMailQueue final : public QObject {
public:
  using QObject::QObject;
  TMailQueue queue;
};

TMailQueue &selectedMailQueue() {
  static QPointer<SelectedMailQueue> holder;
  if (!holder)
    holder = new SelectedMailQueue(QCoreApplication::instance());
  return holder->queue;
}

} // namespace

void SendSelectedByMail(TModel &model, const QStringList &ids) {
  if (ids.isEmpty()) {
    uiPrompts().notice(TranslateText(QStringLiteral("Nothing is selected!")));
    return;
  }
  const TMMemIniFile &settings = model.MainSettings();
  const TDefaultUserData &defaults = model.DefaultUserData();
  TComposeFields fields;
  fields.subject = QStringLiteral("Tolvane");
  fields.from = settings.readString(keys::Mail, keys::DefaultFromAddress, defaults.fromAddress);
  if (!TFormSendMail::ShowSendMailDialog(model, fields))
    return;
  const QString host = settings.readString(keys::Mail, keys::Host, defaults.host);
  if (badParameters(fields.to, host)) {
    uiPrompts().notice(TranslateText(QStringLiteral("Sorry, can't send mail! (bad parameters!)")));
    return;
  }
  std::optional<SelectedMail> mail;
  try {
    mail.emplace(prepareMail(model, ids, fields, host));
  } catch (const EAbort &) {
    return;
  } catch (const ETolvaneError &e) {
    tellOutcome(e.message());
    return;
  }
  // The same way out as a firing's mail: in the background, so a slow server holds up no sticker,
  // sound or tick; the outcome is told when it arrives. The attachment's folder goes with the
  // last holder, the outcome handler, once the send is over.
  selectedMailQueue().Send(mailSender(), std::move(mail->message), std::move(mail->server),
                           [folder = mail->folder](const QString &error, bool abandoned) {
                             if (!abandoned)
                               tellOutcome(error);
                           });
}

bool WaitForSelectedMail(std::chrono::milliseconds limit) {
  return selectedMailQueue().WaitIdle(limit);
}
