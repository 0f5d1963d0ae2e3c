#include "ui/FormSendMail.h"

#include "model/Model.h"
#include "ui_FormSendMail.h"

#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "services/DelayWithMessages.h"
#include "ui/HubForm.h"
#include "ui/IconLibrary.h"
#include "ui/MailAddressCheck.h"
#include "ui/QtPrompts.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"

#include <QPointer>

namespace keys = settings_keys;

namespace {

// The size the dialog was designed at; fonts differ between desktops, so its layout may make it
// larger, never smaller.
constexpr int DesignWidth = 427;
constexpr int DesignHeight = 367;

QPointer<TFormSendMail> &openForm() {
  static QPointer<TFormSendMail> form;
  return form;
}

// Settings give CR LF; the edit keeps lines with LF alone.
void setLines(QPlainTextEdit *edit, const QString &text) {
  QString lines = text;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  edit->setPlainText(lines);
}

QString addressList(const QPlainTextEdit *edit) {
  return edit->toPlainText().trimmed().replace(u';', u',');
}

} // namespace

TFormSendMail::TFormSendMail(TModel &model, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::FormSendMail>()), m_model(model),
      m_hubForm(new THubForm(this, m_model)) {
  ui->setupUi(this);
  // The captions are the dialog's own, in every language.
  m_hubForm->setTranslateOnShow(false);
  ui->Image1->setPixmap(iconlibrary::icon(TImageList::Common, 23).pixmap(32, 32));
  // Neither button may be pressed by Return: that would send the mail from the From or Subject
  // line while the user is still writing.
  for (QPushButton *button : {ui->ButtonOk, ui->ButtonCancel}) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  connect(ui->ButtonOk, &QPushButton::clicked, this, [this] {
    if (CheckAddresses())
      accept();
  });
  connect(ui->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormSendMail::~TFormSendMail() = default;

TFormSendMail *TFormSendMail::Instance() { return openForm().data(); }

bool TFormSendMail::ShowSendMailDialog(TModel &model, TComposeFields &fields) {
  if (TFormSendMail *open = Instance()) {
    open->raise();
    open->activateWindow();
    return false;
  }
  TFormSendMail form(model);
  openForm() = &form;
  form.LoadFields(fields);
  // A local loop, not exec(): a parentless exec() would block every sticker on the desktop.
  const bool send = RunDialog(&form) == Accepted;
  DelayWithMessages(5);
  if (send)
    fields = form.Fields();
  RunReported([&form] { form.SaveFields(); });
  openForm() = nullptr;
  return send;
}

void TFormSendMail::LoadFields(const TComposeFields &fields) {
  setLines(ui->RichEditTo, fields.to);
  ui->EditFrom->setText(fields.from);
  setLines(ui->RichEditCC, fields.cc);
  setLines(ui->RichEditBCC, fields.bcc);
  ui->EditSubject->setText(fields.subject);
  setLines(ui->RichEditText, fields.text);

  setMinimumSize(DesignWidth, DesignHeight);
  // Polished first: the style's metrics are part of the size the layout needs.
  ensurePolished();
  resize(minimumSizeHint().expandedTo(minimumSize()));
  m_hubForm->RestoreBounds(TBoundsKeys::Position);

  const TMMemIniFile &settings = m_model.MainSettings();
  for (const auto &[edit, key] : textEdits())
    if (edit->toPlainText().isEmpty())
      setLines(edit, UnescapeLineBreaks(settings.readString(keys::FormSendMail, key, QString())));
  for (const auto &[edit, key] : lineEdits())
    if (edit->text().isEmpty())
      edit->setText(settings.readString(keys::FormSendMail, key, QString()));
}

std::array<std::pair<QPlainTextEdit *, QLatin1String>, 4> TFormSendMail::textEdits() const {
  return {{{ui->RichEditTo, keys::RichEditTo},
           {ui->RichEditCC, keys::RichEditCC},
           {ui->RichEditBCC, keys::RichEditBCC},
           {ui->RichEditText, keys::RichEditText}}};
}

std::array<std::pair<QLineEdit *, QLatin1String>, 2> TFormSendMail::lineEdits() const {
  return {{{ui->EditFrom, keys::EditFrom}, {ui->EditSubject, keys::EditSubject}}};
}

bool TFormSendMail::CheckAddresses() {
  const std::pair<QWidget *, QString> fields[] = {
      {ui->RichEditTo, AddressFieldProblem(ui->GroupBoxTo->title(), ui->RichEditTo->toPlainText())},
      {ui->EditFrom, AddressFieldProblem(ui->GroupBoxFrom->title(), ui->EditFrom->text(), true)},
      {ui->RichEditCC, AddressFieldProblem(ui->GroupBoxCC->title(), ui->RichEditCC->toPlainText())},
      {ui->RichEditBCC,
       AddressFieldProblem(ui->GroupBoxBCC->title(), ui->RichEditBCC->toPlainText())}};
  for (const auto &[field, problem] : fields) {
    if (problem.isEmpty())
      continue;
    uiPrompts().notice(problem);
    field->setFocus();
    return false;
  }
  return true;
}

TComposeFields TFormSendMail::Fields() const {
  TComposeFields f;
  f.to = addressList(ui->RichEditTo);
  f.cc = addressList(ui->RichEditCC);
  f.bcc = addressList(ui->RichEditBCC);
  f.from = ui->EditFrom->text().trimmed();
  f.subject = ui->EditSubject->text();
  f.text = ui->RichEditText->toPlainText();
  return f;
}

void TFormSendMail::SaveFields() {
  m_hubForm->SaveBounds();
  TMMemIniFile &settings = m_model.MainSettings();
  for (const auto &[edit, key] : textEdits())
    settings.writeString(keys::FormSendMail, key, EscapeLineBreaks(edit->toPlainText().trimmed()));
  for (const auto &[edit, key] : lineEdits())
    settings.writeString(keys::FormSendMail, key, edit->text().trimmed());
  (void)SaveMainSettings(m_model);
}
