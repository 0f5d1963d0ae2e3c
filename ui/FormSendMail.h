#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <memory>
#include <utility>

namespace Ui {
class FormSendMail;
}
class QLineEdit;
class QPlainTextEdit;
class THubForm;
class TModel;

// The fields of one mail as the compose dialog shows them and hands them back. To, CC and BCC
// are address lists: commas, semicolons or line breaks between the addresses.
struct TComposeFields {
  QString subject;
  QString text;
  QString from;
  QString to;
  QString cc;
  QString bcc;
};

// "Send mail": where the user addresses and words the mail that carries selected reminders to
// other people. It remembers every field in its section of MainSettings, so the next mail starts
// from the last one; Cancel remembers them too. Its captions are fixed: no language file applies
// to it.
//
// At most one exists, and only while ShowSendMailDialog runs. It has no owner and waits in a
// local event loop, modal to nothing, so the stickers stay usable while the user writes.
class TFormSendMail : public QDialog {
  Q_OBJECT
public:
  TFormSendMail(TModel &model, QWidget *parent = nullptr);
  ~TFormSendMail() override;

  // Opens the dialog with the caller's fields; a field the caller left empty shows its value
  // from the last mail. True when the user pressed "Send !" and every address field parsed (see
  // CheckAddresses; the dialog stays open until they do): the fields then hold what to send
  // (To, CC and BCC trimmed with ";" made ",", From trimmed). False after Cancel, and at once
  // when a compose dialog is open already (which is brought to the front).
  [[nodiscard]] static bool ShowSendMailDialog(TModel &model, TComposeFields &fields);
  // The open compose dialog, or null.
  [[nodiscard]] static TFormSendMail *Instance();

  // Puts the caller's fields in, then fills the empty ones from the settings and places the
  // dialog (its position is remembered, its size comes from its layout).
  void LoadFields(const TComposeFields &fields);
  // The fields as "Send !" hands them back.
  [[nodiscard]] TComposeFields Fields() const;
  // On "Send !": true when To, From, CC and BCC each parse as addresses; else the user is told
  // which entry is no address and why, the field gets the focus, and the dialog stays open.
  [[nodiscard]] bool CheckAddresses();
  // Writes the bounds and the six fields into the settings and saves MainSettings to its file.
  void SaveFields();

private:
  // The edits with their settings keys.
  [[nodiscard]] std::array<std::pair<QPlainTextEdit *, QLatin1String>, 4> textEdits() const;
  [[nodiscard]] std::array<std::pair<QLineEdit *, QLatin1String>, 2> lineEdits() const;

  std::unique_ptr<Ui::FormSendMail> ui;
  TModel &m_model;
  THubForm *m_hubForm;
};
