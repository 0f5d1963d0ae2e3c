#pragma once

#include "runtime/ReminderPorts.h"

// The reminder list of the running program for the scheduler: the model's Reminders() and its
// store.
class TModelReminderList final : public IReminderList {
public:
  [[nodiscard]] std::vector<int32_t> Numbers() const override;
  [[nodiscard]] std::vector<TDataObject *> Objects() const override;
  [[nodiscard]] uint64_t Generation() const override;
  [[nodiscard]] TDataObject *FindByNumber(int32_t number) const override;
  [[nodiscard]] TDataObject *FindById(const QString &id) const override;
  void SaveToStore(TDataObject &reminder, bool flush) override;
  void RecordFiring(TDataObject &reminder) override;
};
