#include "app/Program.h"

#include "app/MasterReminderOutputs.h"
#include "model/Model.h"
#include "runtime/FormMaster.h"
#include "runtime/ReminderScheduler.h"
#include "ui/NoticeQueue.h"
#include "ui/UserInterface.h"

// The notices of the start wait until it is done (Started).
TProgram::TProgram() : m_notices(std::make_unique<TNoticeQueue>()) { m_notices->Hold(); }

// The master goes first: the scheduler it owns still refers to the outputs. A model still there
// (Finish not run) no longer tells it anything.
TProgram::~TProgram() {
  if (m_model)
    m_model->SetListener(nullptr);
  m_master.reset();
  m_outputs.reset();
  m_ui.reset();
}

// Before Start there is no user interface (it is made over the model): the settings read as the
// model starts tell their notices all the same, into the one queue.
void TProgram::ShowMessage(const QString &message) { m_notices->Add(message); }

void TProgram::Started() { m_notices->Release(); }

void TProgram::ShowWaitingNotices() { m_notices->ShowWaiting(); }

TFormMaster &TProgram::Start() {
  m_model = std::make_unique<TModel>();
  m_ui = std::make_unique<TUserInterface>(*m_model, *m_notices);
  m_master = std::make_unique<TFormMaster>(*m_model, *m_ui);
  // What the commands change reaches the windows and the reminder check through the master.
  m_model->SetListener(m_master.get());
  m_outputs = std::make_unique<TMasterReminderOutputs>(*m_model, *m_master, *m_ui);
  m_master->SetReminderRuntime(std::make_unique<TReminderScheduler>(*m_model, *m_outputs, *m_ui));
  return *m_master;
}

// Safe after a start-up that did not finish, and twice. The firings' outputs go first: a sticker's
// close writes its place into the store, which the model saves as it ends. The master window, the
// scheduler and the user interface outlive the model by a moment: they run nothing then.
void TProgram::Finish() {
  // Normally closed by "Exit" already; after an error nobody caught, its close steps run here,
  // while the model they write into still lives.
  if (m_ui)
    m_ui->CloseMainWindow();
  if (m_master)
    m_master->ReminderRuntime().ReleaseAllOutputs();
  if (m_model)
    m_model->SetListener(nullptr);
  m_model.reset();
}
