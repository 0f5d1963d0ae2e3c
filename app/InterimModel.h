#pragma once

#include "runtime/MasterModel.h"

// The model start-up, shut-down and reminder list are not in the tree yet. Until they are, the
// program starts with what is: the settings files, the user's name, the log ("Program start"),
// the store opened from its file at the master's creation and saved at the end, demo mode. No
// reminder object is loaded, so nothing fires and the "Add as" menu stays empty. Replace these by
// InitializeModel, FinalizeModel and a binding over Reminders when the model provides them.
void InterimInitializeModel();
void InterimFinalizeModel();

class TInterimMasterModel final : public IMasterModel {
public:
  void SetMasterWindowHandle(WindowHandle) override {}
  void OpenStore() override;
  void RefreshReminder(int) override {}
  [[nodiscard]] bool DeleteReminders(int) override { return false; }
  [[nodiscard]] std::vector<TemplateEntry> DefaultReminders() const override { return {}; }
  [[nodiscard]] bool CopyToNewReminderTemplate(const QString &, const QString &) override {
    return false;
  }
  void ResetNewReminderTemplate() override {}
  [[nodiscard]] bool DemoMode() const override;
};
