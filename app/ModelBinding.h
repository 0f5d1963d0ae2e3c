#pragma once

#include "runtime/MasterModel.h"

// The master window's view of the model: the store, the reminder list Reminders, the new-reminder
// template and demo mode, as the model's process-wide objects hold them.
class TModelBinding final : public IMasterModel {
public:
  void OpenStore() override;
  void RefreshReminder(int number) override;
  [[nodiscard]] bool DeleteReminders(int number) override;
  [[nodiscard]] std::vector<TemplateEntry> DefaultReminders() const override;
  [[nodiscard]] bool CopyToNewReminderTemplate(const QString &id,
                                               const QString &subjectPrefix) override;
  void ResetNewReminderTemplate() override;
  [[nodiscard]] bool DemoMode() const override;
};
