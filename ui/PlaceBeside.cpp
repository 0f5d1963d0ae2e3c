#include "ui/PlaceBeside.h"

#include <algorithm>

namespace {

int clampInto(int at, int length, int low, int high) {
  return std::clamp(at, low, std::max(low, high + 1 - length));
}

} // namespace

std::optional<QPoint> PlaceBeside(const QRect &other, QSize size, const QRect &area, int gap) {
  if (size.width() > area.width() || size.height() > area.height())
    return std::nullopt;
  const int level = clampInto(other.top(), size.height(), area.top(), area.bottom());
  const int aligned = clampInto(other.left(), size.width(), area.left(), area.right());
  const QPoint sides[] = {{other.right() + 1 + gap, level},
                          {other.left() - gap - size.width(), level},
                          {aligned, other.bottom() + 1 + gap},
                          {aligned, other.top() - gap - size.height()}};
  for (const QPoint &at : sides)
    if (area.contains(QRect(at, size)))
      return at;
  return std::nullopt;
}
