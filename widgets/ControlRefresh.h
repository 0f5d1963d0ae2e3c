#pragma once

#include <QList>

class QWidget;

// Repaints a window's controls (the answer to WM_REFRESH_CONTROLS): the widget and, recursively,
// its children, except the containers (group boxes, tab bars and tab widgets, and plain panels:
// QFrame kinds that are not labels or scroll areas), which are passed through to their children.
// Gives the widgets it repainted, in the order it went through them.
QList<QWidget *> RefreshControlTree(QWidget *control);

// Whether RefreshControlTree repaints this widget itself.
[[nodiscard]] bool IsRefreshedControl(const QWidget *control);
