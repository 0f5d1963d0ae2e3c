#include "model/NotifyWindows.h"

#include "model/Model.h"

#include <algorithm>

namespace {

auto findHandle(std::vector<std::pair<QString, WindowHandle>> &windows, WindowHandle window) {
  return std::find_if(windows.begin(), windows.end(),
                      [window](const auto &entry) { return entry.second == window; });
}

} // namespace

void RegisterNotifyWindow(TModel &model, WindowHandle window, const QString &name) {
  auto &windows = model.NotifyWindows();
  if (findHandle(windows, window) == windows.end())
    windows.emplace_back(name, window);
}

void RegisterNotifyWindow(WindowHandle window, const QString &name) {
  RegisterNotifyWindow(TModel::Current(), window, name);
}

void UnregisterNotifyWindow(TModel &model, WindowHandle window) {
  auto &windows = model.NotifyWindows();
  const auto it = findHandle(windows, window);
  if (it != windows.end())
    windows.erase(it);
}

void UnregisterNotifyWindow(WindowHandle window) {
  UnregisterNotifyWindow(TModel::Current(), window);
}

void BroadcastToWindows(TModel &model, uint message, uintptr_t wParam, intptr_t lParam) {
  // A copy: a receiver may register or unregister while we go.
  const auto list = model.NotifyWindows();
  for (const auto &[name, handle] : list) {
    if (handle != 0)
      hub().post(handle, message, wParam, lParam);
  }
}

void BroadcastToWindows(uint message, uintptr_t wParam, intptr_t lParam) {
  BroadcastToWindows(TModel::Current(), message, wParam, lParam);
}

const std::vector<std::pair<QString, WindowHandle>> &NotifyWindows() {
  return TModel::Current().NotifyWindows();
}
