#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a small dialog opened at the mouse pointer goes: its top-left corner at the point, moved
// left and up as far as it takes for the whole dialog, and below it room for two heights of its
// label, to lie on the screen; a dialog larger than the screen keeps its top-left corner on it.

// The top-left corner for a dialog of that size on that screen area.
[[nodiscard]] QPoint NearPointer(QPoint at, QSize size, int labelHeight, const QRect &screen);

// Moves the dialog there, on the screen under the point (the primary screen when the point lies
// on none).
void PlaceNearPointer(QWidget *dialog, QPoint at, int labelHeight);
