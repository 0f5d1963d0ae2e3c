#pragma once

class QAbstractButton;
class QAction;

// Binds a button to an action: the button shows the action's caption, picture, enabled, visible,
// checkable and checked state and tooltip, and follows every later change; a click triggers the
// action once. A QToolButton takes the action as its default action. A speed button (a
// QToolButton whose int property "tag" is 1) shows its picture only: its caption stays empty and
// the action's caption is its tooltip.
void BindButtonToAction(QAbstractButton *button, QAction *action);
