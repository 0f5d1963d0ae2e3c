#pragma once

#include "model/Model.h"
#include "model/ModelListener.h"

#include <QStringList>

#include <functional>

// The model's listener in tests: set on the model while it lives, it records what the commands
// tell it, in order ("reloaded", "changed", "updated <number>"), and may do what the master and
// the main window would (refresh a page).
class RecordingListener final : public IModelListener {
public:
  explicit RecordingListener(TModel &model) : m_model(model) { m_model.SetListener(this); }
  ~RecordingListener() override { m_model.SetListener(nullptr); }
  RecordingListener(const RecordingListener &) = delete;
  RecordingListener &operator=(const RecordingListener &) = delete;

  QStringList calls;
  std::function<void()> onRefresh;               // after "reloaded" and "changed"
  std::function<void(int32_t number)> onUpdated; // after "updated"

  void StoreReloaded() override {
    calls << QStringLiteral("reloaded");
    if (onRefresh)
      onRefresh();
  }
  void RemindersChanged() override {
    calls << QStringLiteral("changed");
    if (onRefresh)
      onRefresh();
  }
  void ReminderUpdated(int32_t number) override {
    calls << QStringLiteral("updated %1").arg(number);
    if (onUpdated)
      onUpdated(number);
  }

private:
  TModel &m_model;
};
