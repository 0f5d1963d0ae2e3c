#pragma once

#include "app/ProgramEntry.h"

#include <memory>

class IUserInterface;
class TMasterReminderOutputs;
class TModel;
class TNoticeQueue;

// The program's objects, each made here and owned here, in this order by Start: the model, the
// user interface over it, the master window with the reminder scheduler it owns (over the model,
// with the master's sticker windows, tray icons and sound players as outputs). Each is handed
// the model it works on; nothing reaches for one. Finish ends the model; the rest goes when the
// program object does.
class TProgram final : public IProgram {
public:
  TProgram();
  ~TProgram() override;
  TProgram(const TProgram &) = delete;
  TProgram &operator=(const TProgram &) = delete;

  void ShowMessage(const QString &message) override;
  void Started() override;
  void ShowWaitingNotices() override;
  [[nodiscard]] TFormMaster &Start() override;
  void Finish() override;

private:
  // First, so that it goes last: the model's end may still tell something.
  std::unique_ptr<TNoticeQueue> m_notices;
  std::unique_ptr<TModel> m_model;
  std::unique_ptr<IUserInterface> m_ui;
  std::unique_ptr<TFormMaster> m_master;
  std::unique_ptr<TMasterReminderOutputs> m_outputs;
};
