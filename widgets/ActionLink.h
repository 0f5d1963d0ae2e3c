#pragma once

#include <functional>

class QAction;
class QObject;

// The one link between an action and what stands for it (menu items, buttons).

// Records that the target stands for the action, calls show() now and after every change of the
// action, for as long as both live. show() copies what the target displays from the action.
void FollowAction(QObject *target, QAction *action, std::function<void()> show);

// The action an item or button stands for, or null.
[[nodiscard]] QAction *LinkedAction(const QObject *item);

// A menu item that stands for an action: it shows the action's picture, enabled and visible state,
// and its caption for as long as the item's caption is the action's (an item given a caption of its
// own keeps it; an item without one takes the action's). Triggering the item triggers the action.
void LinkToAction(QAction *item, QAction *action);
