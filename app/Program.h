#pragma once

#include "app/ModelBinding.h"
#include "app/ModelReminderList.h"
#include "app/ProgramEntry.h"

#include <memory>

class TMasterReminderOutputs;
class TModel;

// The program's objects, each made here and owned here: the user interface, the model (started
// by Start, ended by Finish), the master window's view of the model,
// the master window and the reminder scheduler it owns, over the model's reminder list with the
// master's sticker windows, tray icons and sound players as outputs.
class TProgram final : public IProgram {
public:
  explicit TProgram(std::unique_ptr<IUserInterface> ui);
  ~TProgram() override;
  TProgram(const TProgram &) = delete;
  TProgram &operator=(const TProgram &) = delete;

  [[nodiscard]] IUserInterface &UserInterface() override { return *m_ui; }
  [[nodiscard]] TFormMaster &Start() override;
  void Finish() override;

private:
  std::unique_ptr<IUserInterface> m_ui;
  std::unique_ptr<TModel> m_state;
  TModelBinding m_model;
  TModelReminderList m_reminders;
  std::unique_ptr<TFormMaster> m_master;
  std::unique_ptr<TMasterReminderOutputs> m_outputs;
};
