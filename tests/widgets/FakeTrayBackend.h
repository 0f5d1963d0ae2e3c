#pragma once

#include "widgets/TrayBackend.h"

#include <QString>

#include <memory>
#include <vector>

// A notification area that records what it is asked to do.
struct TrayCall {
  enum Kind { Add, Modify, Remove } kind;
  const TIcon *source = nullptr;
  QString tip;
};

struct FakeTrayState {
  std::vector<TrayCall> calls;
  bool refuseAdd = false;
  bool shown = false;
  const TIcon *shownIcon = nullptr;
  QString shownTip;

  [[nodiscard]] int count(TrayCall::Kind kind) const {
    int n = 0;
    for (const TrayCall &c : calls)
      n += c.kind == kind;
    return n;
  }
  // The pictures the area showed, one per add or modify, in order.
  [[nodiscard]] std::vector<const TIcon *> shownPictures() const {
    std::vector<const TIcon *> out;
    for (const TrayCall &c : calls)
      if (c.kind != TrayCall::Remove)
        out.push_back(c.source);
    return out;
  }
};

class FakeTrayBackend final : public TTrayBackend {
public:
  explicit FakeTrayBackend(std::shared_ptr<FakeTrayState> state) : m_state(std::move(state)) {}

  bool add(const TNotifyData &data) override {
    m_state->calls.push_back({TrayCall::Add, data.source, data.tip});
    if (m_state->refuseAdd)
      return false;
    show(data);
    return true;
  }
  bool modify(const TNotifyData &data) override {
    m_state->calls.push_back({TrayCall::Modify, data.source, data.tip});
    if (!m_state->shown)
      return false;
    show(data);
    return true;
  }
  void remove() override {
    m_state->calls.push_back({TrayCall::Remove, nullptr, {}});
    m_state->shown = false;
    m_state->shownIcon = nullptr;
  }
  // The desktop reports a mouse notification.
  void mouse(int message) {
    if (onMouse)
      onMouse(message);
  }

private:
  void show(const TNotifyData &data) {
    m_state->shown = true;
    m_state->shownIcon = data.source;
    m_state->shownTip = data.tip;
  }
  std::shared_ptr<FakeTrayState> m_state;
};
