#include "model/NotifyWindows.h"

#include "model/Model.h"

#include <algorithm>

namespace {

std::vector<std::pair<QString, WindowHandle>> &windows() {
  return TModel::Current().NotifyWindows();
}

auto findHandle(WindowHandle window) {
  return std::find_if(windows().begin(), windows().end(),
                      [window](const auto &entry) { return entry.second == window; });
}

} // namespace

void RegisterNotifyWindow(WindowHandle window, const QString &name) {
  if (findHandle(window) == windows().end())
    windows().emplace_back(name, window);
}

void UnregisterNotifyWindow(WindowHandle window) {
  const auto it = findHandle(window);
  if (it != windows().end())
    windows().erase(it);
}

void BroadcastToWindows(uint message, uintptr_t wParam, intptr_t lParam) {
  // A copy: a receiver may register or unregister while we go.
  const auto list = windows();
  for (const auto &[name, handle] : list) {
    if (handle != 0)
      hub().post(handle, message, wParam, lParam);
  }
}

const std::vector<std::pair<QString, WindowHandle>> &NotifyWindows() { return windows(); }
