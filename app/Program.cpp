#include "app/Program.h"

#include "app/MasterReminderOutputs.h"
#include "model/Model.h"
#include "runtime/FormMaster.h"
#include "runtime/ReminderScheduler.h"
#include "runtime/UserInterface.h"

TProgram::TProgram(std::unique_ptr<IUserInterface> ui) : m_ui(std::move(ui)) {}

// The master goes first: the scheduler it owns still refers to the outputs. A model still there
// (Finish not run) no longer tells it anything.
TProgram::~TProgram() {
  if (m_state)
    m_state->SetListener(nullptr);
  m_master.reset();
  m_outputs.reset();
}

TFormMaster &TProgram::Start() {
  m_state = std::make_unique<TModel>();
  m_master = std::make_unique<TFormMaster>(m_model, *m_ui);
  // What the commands change reaches the windows and the reminder check through the master.
  m_state->SetListener(m_master.get());
  m_outputs = std::make_unique<TMasterReminderOutputs>(*m_master, *m_ui);
  m_master->SetReminderRuntime(
      std::make_unique<TReminderScheduler>(m_reminders, *m_outputs, *m_ui));
  return *m_master;
}

// Safe after a start-up that did not finish, and twice. The firings' outputs go first: a sticker's
// close writes its place into the store, which the model saves as it ends.
void TProgram::Finish() {
  if (m_master)
    m_master->ReminderRuntime().ReleaseAllOutputs();
  m_state.reset();
}
