#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where a window of `size` goes beside `other` without covering it, wholly inside `area`: to its
// right, else to its left, else below, else above it, `gap` pixels away and as level with its
// top (or its left edge) as the area allows. None when no side has room.
[[nodiscard]] std::optional<QPoint> PlaceBeside(const QRect &other, QSize size, const QRect &area,
                                                int gap);
