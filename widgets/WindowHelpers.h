#pragma once

#include <QList>

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

// The program's shown windows, found from the window system's short list of top-level windows:
// QApplication::topLevelWidgets() walks every widget of the program, which a thousand stickers
// made long, for each sticker shown.
[[nodiscard]] QList<QWidget *> ShownTopLevelWidgets();

// Raises every shown dialog of the program that is kept above other windows (the program's
// dialogs and message boxes are, while they are shown), without activating it. Called after a
// window of the same layer was raised (a sticker kept on top), so that the dialog the user
// answers stays in front of it. Gives whether there was such a dialog.
bool RaiseDialogsKeptAbove();
