#include "ui/FrameShellExec.h"

#include "model/Model.h"
#include "ui_FrameShellExec.h"

#include "model/DataObject.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "services/DelayWithMessages.h"
#include "services/ShellExecute.h"
#include "services/UrlText.h"
#include "ui/ActionButton.h"
#include "ui/FormEditReminder.h"
#include "ui/ReportErrors.h"
#include "ui/UiPrompts.h"
#include "widgets/DropTarget.h"
#include "widgets/FormLanguageFile.h"

#include <QDir>
#include <QFileInfo>

namespace keys = settings_keys;

namespace {

void markModified() {
  if (TFormEditReminder *editor = TFormEditReminder::Current())
    editor->SetModified();
}

} // namespace

TFrameShellExec::TFrameShellExec(TModel &model, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrameShellExec>()), m_model(model),
      m_drop(new TIDropTarget(this)), m_handle(hub().registerWindow(this)) {
  ui->setupUi(this);
  MarkAsLanguageFrame(this);
  BindButtonToAction(ui->ButtonFileSelect, ui->FileSelect);
  BindButtonToAction(ui->ButtonTest, ui->ActionTest);
  connect(ui->FileSelect, &QAction::triggered, this, Reported([this] { fileSelectExecute(); }));
  connect(ui->ActionTest, &QAction::triggered, this, [this] { ActionTestExecute(); });
  for (QLineEdit *box : {ui->EditFileName, ui->EditParams, ui->EditFolder})
    connect(box, &QLineEdit::textChanged, this, markModified);
  for (QRadioButton *button :
       {ui->RadioButtonMinimize, ui->RadioButtonNormal, ui->RadioButtonMaximize})
    connect(button, &QRadioButton::toggled, this, markModified);
}

// The handle goes before the widget does: a drop notice must never reach a half-destroyed page.
TFrameShellExec::~TFrameShellExec() { hub().unregisterWindow(m_handle); }

bool TFrameShellExec::event(QEvent *e) {
  if (HubEvent *message = HubEvent::cast(e)) {
    if (message->message() == msg::WM_DROP_TEXT)
      RunReported([this] { WMDropText(); });
    return true;
  }
  return QWidget::event(e);
}

void TFrameShellExec::LoadOptions() {
  m_drop->Init(m_handle, msg::WM_DROP_TEXT);
  m_drop->Attach(ui->EditFileName);
  m_currentDir =
      m_model.MainSettings().readString(keys::FrameShellExec, keys::CurrentDir, QDir::homePath());
}

void TFrameShellExec::SaveOptions() {
  m_model.MainSettings().writeString(keys::FrameShellExec, keys::CurrentDir, m_currentDir);
}

void TFrameShellExec::LoadFromReminder(const QString &id) {
  const TDataObject *reminder =
      id == NewReminderId ? m_model.NewReminderTemplate() : m_model.Reminders().FindById(id);
  if (!reminder)
    return;
  ui->EditFileName->setText(reminder->shellExec.fileName);
  ui->EditParams->setText(reminder->shellExec.params);
  ui->EditFolder->setText(reminder->shellExec.folder);
  setFlag(static_cast<int>(reminder->shellExec.flag));
}

void TFrameShellExec::SaveToReminder(TDataObject &reminder) {
  reminder.shellExec.fileName = ui->EditFileName->text().trimmed();
  reminder.shellExec.params = ui->EditParams->text().trimmed();
  reminder.shellExec.folder = ui->EditFolder->text().trimmed();
  if (const int flag = showCommand())
    reminder.shellExec.flag = TShowFlag(flag);
}

int TFrameShellExec::showCommand() const {
  if (ui->RadioButtonMaximize->isChecked())
    return SW_SHOWMAXIMIZED;
  if (ui->RadioButtonNormal->isChecked())
    return SW_SHOWNORMAL;
  if (ui->RadioButtonMinimize->isChecked())
    return SW_SHOWMINIMIZED;
  return 0;
}

void TFrameShellExec::setFlag(int flag) {
  // An exclusive group cannot untick its last button: for a flag no button stands for, every
  // button is unticked with the exclusion off.
  const QList<QRadioButton *> buttons = {ui->RadioButtonMinimize, ui->RadioButtonNormal,
                                         ui->RadioButtonMaximize};
  for (QRadioButton *button : buttons) {
    button->setAutoExclusive(false);
    button->setChecked(false);
  }
  if (flag == SW_SHOWMINIMIZED)
    ui->RadioButtonMinimize->setChecked(true);
  else if (flag == SW_SHOWNORMAL)
    ui->RadioButtonNormal->setChecked(true);
  else if (flag == SW_SHOWMAXIMIZED)
    ui->RadioButtonMaximize->setChecked(true);
  for (QRadioButton *button : buttons)
    button->setAutoExclusive(true);
}

void TFrameShellExec::ActionTestExecute() {
  const QString file = ui->EditFileName->text().trimmed();
  if (file.isEmpty())
    return;
  // The same call a firing makes (parameters quoted, as one argument), so the test starts exactly
  // what the reminder will start. A file that cannot be opened shows nothing.
  try {
    (void)ShellExecuteFile(file, ui->EditParams->text().trimmed(), ui->EditFolder->text().trimmed(),
                           showCommand(), false, false);
    DelayWithMessages(5);
  } catch (...) {
  }
}

void TFrameShellExec::WMDropText() {
  if (const std::optional<QString> text = ResolveDroppedText(m_drop->Text()))
    ui->EditFileName->setText(*text);
}

void TFrameShellExec::fileSelectExecute() {
  TFileChoice choice;
  choice.title = ui->FileSelect->text().remove(u'&');
  const QString current = ui->EditFileName->text().trimmed();
  if (current.isEmpty())
    choice.folder = m_currentDir;
  else
    choice.fileName = current;
  const QString file = uiPrompts().openFile(choice);
  if (file.isEmpty())
    return;
  ui->EditFileName->setText(file);
  m_currentDir = QFileInfo(file).absolutePath();
}
