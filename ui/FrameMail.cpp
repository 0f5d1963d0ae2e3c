#include "ui/FrameMail.h"

#include "model/Model.h"
#include "ui_FrameMail.h"

#include "model/DataObject.h"
#include "model/LanguageTable.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/UserData.h"
#include "services/CommaText.h"
#include "ui/ActionButton.h"
#include "ui/FormEditReminder.h"
#include "ui/MailAddressCheck.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"
#include "widgets/FormLanguageFile.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>

namespace keys = settings_keys;

namespace {

void markModified() {
  if (TFormEditReminder *editor = TFormEditReminder::Current())
    editor->SetModified();
}

// The store keeps the address lists' line breaks as CR LF; the boxes work with "\n".
QString fromStored(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Trimmed, ";" turned into "," and nothing else changed (a blank after it stays).
QString toStoredList(const QString &text) {
  QString out = text.trimmed();
  out.replace(u';', u',');
  return out.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

} // namespace

TFrameMail::TFrameMail(TModel &model, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameMail>()), m_model(model),
      m_addressProblem(new QLabel(this)) {
  ui->setupUi(this);
  // Its text is made when shown, translated then: no caption of the language file.
  m_addressProblem->setObjectName(QStringLiteral("qt_addressProblem"));
  m_addressProblem->setWordWrap(true);
  m_addressProblem->setTextFormat(Qt::PlainText);
  QPalette warning = m_addressProblem->palette();
  warning.setColor(QPalette::WindowText, Qt::red);
  m_addressProblem->setPalette(warning);
  m_addressProblem->hide();
  ui->qt_layoutMail->addWidget(m_addressProblem, 3, 0, 1, 2);
  for (QWidget *box :
       {static_cast<QWidget *>(ui->RichEditTo), static_cast<QWidget *>(ui->EditFrom),
        static_cast<QWidget *>(ui->RichEditCC), static_cast<QWidget *>(ui->RichEditBCC)})
    box->installEventFilter(this);
  MarkAsLanguageFrame(this);
  ui->ListViewFiles->setColumnWidth(0, 250);
  BindButtonToAction(ui->ButtonFileAdd, ui->FileAdd);
  BindButtonToAction(ui->ButtonFileDelete, ui->ActionFileDelete);
  BindButtonToAction(ui->ButtonFileDeleteAll, ui->ActionFileDeleteAll);
  connect(ui->FileAdd, &QAction::triggered, this, Reported([this] { fileAddExecute(); }));
  connect(ui->ActionFileDelete, &QAction::triggered, this, [this] { fileDeleteExecute(); });
  connect(ui->ActionFileDeleteAll, &QAction::triggered, this, [this] { fileDeleteAllExecute(); });
  for (QPlainTextEdit *box : {ui->RichEditTo, ui->RichEditCC, ui->RichEditBCC})
    connect(box, &QPlainTextEdit::textChanged, this, markModified);
  connect(ui->EditFrom, &QLineEdit::textChanged, this, markModified);
}

TFrameMail::~TFrameMail() = default;

void TFrameMail::LoadOptions() {
  QTreeWidget *list = ui->ListViewFiles;
  for (int i = 0; i < list->columnCount(); ++i)
    list->setColumnWidth(i, m_model.MainSettings().readInteger(
                                keys::FrameMail, keys::ListViewFilesColumn + QString::number(i),
                                list->columnWidth(i)));
}

void TFrameMail::SaveOptions() {
  QTreeWidget *list = ui->ListViewFiles;
  for (int i = 0; i < list->columnCount(); ++i)
    m_model.MainSettings().writeInteger(
        keys::FrameMail, keys::ListViewFilesColumn + QString::number(i), list->columnWidth(i));
}

void TFrameMail::LoadFromReminder(const QString &id) {
  const TDataObject *reminder =
      id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(id);
  if (!reminder)
    return;
  ui->RichEditTo->setPlainText(fromStored(reminder->mail.to));
  ui->EditFrom->setText(reminder->mail.from);
  if (ui->EditFrom->text().isEmpty())
    ui->EditFrom->setText(m_model.MainSettings().readString(keys::Mail, keys::DefaultFromAddress,
                                                            m_model.DefaultUserData().fromAddress));
  ui->RichEditCC->setPlainText(fromStored(reminder->mail.cc));
  ui->RichEditBCC->setPlainText(fromStored(reminder->mail.bcc));
  ui->ListViewFiles->clear();
  for (const QString &name : CommaTextToList(reminder->mail.files))
    AddFile(name);
  showAddressProblem();
}

void TFrameMail::SaveToReminder(TDataObject &reminder) {
  reminder.mail.to = toStoredList(ui->RichEditTo->toPlainText());
  reminder.mail.from = ui->EditFrom->text().trimmed();
  reminder.mail.cc = toStoredList(ui->RichEditCC->toPlainText());
  reminder.mail.bcc = toStoredList(ui->RichEditBCC->toPlainText());
  reminder.mail.files = ListToCommaText(Files());
}

std::pair<QString, QWidget *> TFrameMail::AddressProblem() const {
  const std::pair<QString, QWidget *> fields[] = {
      {AddressFieldProblem(ui->GroupBoxTo->title(), ui->RichEditTo->toPlainText()), ui->RichEditTo},
      {AddressFieldProblem(ui->GroupBoxFrom->title(), ui->EditFrom->text(), true), ui->EditFrom},
      {AddressFieldProblem(ui->GroupBoxCC->title(), ui->RichEditCC->toPlainText()), ui->RichEditCC},
      {AddressFieldProblem(ui->GroupBoxBCC->title(), ui->RichEditBCC->toPlainText()),
       ui->RichEditBCC}};
  for (const auto &field : fields)
    if (!field.first.isEmpty())
      return field;
  return {};
}

// A firing's mail to a list that does not parse is not sent at all, so the page says so as soon
// as the field is left, not only when the reminder fires. The text stays as typed.
void TFrameMail::showAddressProblem() {
  const QString problem = AddressProblem().first;
  m_addressProblem->setText(problem);
  m_addressProblem->setVisible(!problem.isEmpty());
}

bool TFrameMail::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::FocusOut)
    showAddressProblem();
  return QWidget::eventFilter(watched, event);
}

bool TFrameMail::CheckBeforeSave() {
  const auto [problem, field] = AddressProblem();
  showAddressProblem();
  if (problem.isEmpty())
    return true;
  uiPrompts().notice(problem);
  field->setFocus();
  return false;
}

void TFrameMail::AddFile(const QString &name) {
  if (name.trimmed().isEmpty() || Files().contains(name))
    return;
  auto *item = new QTreeWidgetItem(ui->ListViewFiles, {name});
  if (!QFileInfo(name).isFile()) {
    item->setForeground(0, QBrush(Qt::red));
    item->setToolTip(0, TranslateText(QStringLiteral("File not found")));
  }
}

QStringList TFrameMail::Files() const {
  QStringList names;
  for (int i = 0; i < ui->ListViewFiles->topLevelItemCount(); ++i)
    names << ui->ListViewFiles->topLevelItem(i)->text(0);
  return names;
}

void TFrameMail::fileAddExecute() {
  TFileChoice choice;
  choice.title = ui->FileAdd->text().remove(u'&');
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  AddFile(file);
  markModified();
}

void TFrameMail::fileDeleteExecute() {
  const QList<QTreeWidgetItem *> selected = ui->ListViewFiles->selectedItems();
  if (selected.isEmpty())
    return;
  qDeleteAll(selected);
  markModified();
}

void TFrameMail::fileDeleteAllExecute() {
  ui->ListViewFiles->clear();
  markModified();
}
