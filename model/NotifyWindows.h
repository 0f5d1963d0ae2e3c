#pragma once

#include "model/CurrentModel.h"
#include "platform/MessageHub.h"

#include <QString>

#include <utility>
#include <vector>

class TModel;

// The windows that want WM_REFRESH_CONTROLS when the application becomes active: each dialog
// registers while it is shown and answers the message by refreshing its controls. The list is the
// model's; the forms without a model work on the current model (model/Model.h).

// Adds the window under the name unless its handle is listed already.
void RegisterNotifyWindow(TModel &model, WindowHandle window, const QString &name);
TOLVANE_CURRENT_MODEL void RegisterNotifyWindow(WindowHandle window, const QString &name);
// Removes the window's entry when it is listed.
void UnregisterNotifyWindow(TModel &model, WindowHandle window);
TOLVANE_CURRENT_MODEL void UnregisterNotifyWindow(WindowHandle window);
// Posts the message to every listed window with a non-zero handle, in list order. A window that
// is gone by now has a handle that no longer works, so nothing reaches it.
void BroadcastToWindows(TModel &model, uint message, uintptr_t wParam, intptr_t lParam);
TOLVANE_CURRENT_MODEL void BroadcastToWindows(uint message, uintptr_t wParam, intptr_t lParam);

// The list as it stands: (name, handle) in registration order.
TOLVANE_CURRENT_MODEL [[nodiscard]] const std::vector<std::pair<QString, WindowHandle>> &
NotifyWindows();
