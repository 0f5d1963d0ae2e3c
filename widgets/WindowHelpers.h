#pragma once

class QPainter;
class QWidget;

// Window helpers shared by the controls and forms.

// Paints what lies behind a control. Qt paints the parent and the siblings below a widget before
// the widget itself, so there is nothing left to do; kept so callers read as before.
void ParentImageCopy(QWidget *control, QPainter &painter);

// Brings a window to the front: nothing when it is disabled; with `restore` and a visible window
// also restores it unless it is maximised and gives it the keyboard focus. The window manager
// may refuse the activation.
void BringWindowForward(QWidget *window, bool restore);
