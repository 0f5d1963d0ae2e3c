#include "runtime/StickerLayout.h"

#include "model/Paths.h"

#include <algorithm>

namespace {

int clampCoordinate(int v) { return std::clamp(v, -StickerMaxCoordinate, StickerMaxCoordinate); }
int clampLength(int v) { return std::clamp(v, 0, StickerMaxCoordinate); }

TPositionRec clamped(const TPositionRec &p) {
  return {clampCoordinate(p.left), clampCoordinate(p.top), clampLength(p.width),
          clampLength(p.height), p.autoSize};
}

QSize clamped(const QSize &s) { return {clampLength(s.width()), clampLength(s.height())}; }

TStickerLabelBox clamped(TStickerLabelBox box) {
  box.position = clamped(box.position);
  box.size = clamped(box.size);
  return box;
}

TStickerPictureBox clamped(TStickerPictureBox box) {
  box.position = clamped(box.position);
  box.size = clamped(box.size);
  return box;
}

bool automatic(const TPositionRec &p) { return IsEmptyPosition(p); }

QPoint storedAt(const TPositionRec &p) { return {p.left, p.top}; }

// A label keeps its own size; only its place is stored.
QRect labelAt(const TStickerLabelBox &box, QPoint automaticAt) {
  return QRect(automatic(box.position) ? automaticAt : storedAt(box.position), box.size);
}

QRect pictureAt(const TStickerPictureBox &box, QPoint automaticAt) {
  if (automatic(box.position))
    return QRect(automaticAt, box.size);
  return QRect(box.position.left, box.position.top, box.position.width, box.position.height);
}

int alignedLeft(TStickerTextAlignment alignment, int windowWidth, int labelWidth) {
  switch (alignment) {
  case TStickerTextAlignment::Right:
    return windowWidth - labelWidth - 2;
  case TStickerTextAlignment::Centre:
    return (windowWidth - labelWidth) / 2;
  default:
    return 2;
  }
}

void autoSize(const TStickerLayoutInput &in, TStickerLayout &out) {
  int width = 0;
  int height = 0;
  for (const auto &[box, rect] : {std::pair{&in.date, &out.date},
                                  {&in.time, &out.time},
                                  {&in.subject, &out.subject},
                                  {&in.text, &out.text}}) {
    if (!box->visible)
      continue;
    width = std::max(width, rect->left() + rect->width() + 2);
    height = std::max(height, rect->top() + rect->height());
  }
  if (in.image.visible) {
    width = std::max(width, out.image.left() + out.image.width());
    height = std::max(height, out.image.top() + out.image.height());
  }
  if (in.movingImage.visible) {
    width = std::max(width, out.movingImage.left() + out.movingImage.width());
    height = std::max(height, out.movingImage.top() + out.movingImage.height() + 1);
  }
  const int w = width + 1;
  const int h = height + 1;
  out.window = QSize(w, h);

  if (automatic(in.time.position))
    out.time.moveLeft(w - out.time.width() - 2);
  if (automatic(in.subject.position))
    out.subject.moveLeft(alignedLeft(in.subject.alignment, w, out.subject.width()));
  if (automatic(in.text.position))
    out.text.moveLeft(alignedLeft(in.text.alignment, w, out.text.width()));
  if (automatic(in.image.position))
    out.image.moveTopLeft(QPoint((w - out.image.width()) / 2, (h - out.image.height()) / 2));
  if (automatic(in.movingImage.position)) {
    const int top = out.movingImage.top();
    out.movingImage.moveTopLeft(
        QPoint((w - out.movingImage.width()) / 2, top + (h - top - out.movingImage.height()) / 2));
  }
}

// The size scaled down, proportions kept, to fit the room; a size that fits stays.
QSize fitted(QSize size, QSize room) {
  room = room.expandedTo(QSize(1, 1));
  if (size.width() <= room.width() && size.height() <= room.height())
    return size;
  return size.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace

TStickerLayout LayoutSticker(const TStickerLayoutInput &raw) {
  TStickerLayoutInput in = raw;
  in.date = clamped(raw.date);
  in.time = clamped(raw.time);
  in.subject = clamped(raw.subject);
  in.text = clamped(raw.text);
  in.image = clamped(raw.image);
  in.movingImage = clamped(raw.movingImage);
  in.window = clamped(raw.window);

  TStickerLayout out;
  int next = 1;
  int h = 1;
  out.date = labelAt(in.date, {2, 1});
  if (automatic(in.date.position) && in.date.visible) {
    next = in.date.size.width() + 10;
    h = in.date.size.height();
  }
  out.time = labelAt(in.time, {next, 1});
  if (automatic(in.time.position) && in.time.visible)
    h = std::max(h, in.time.size.height());
  out.subject = labelAt(in.subject, {2, h});
  if (automatic(in.subject.position) && in.subject.visible)
    h += in.subject.size.height();
  // The margins of the flow: 1 left and right of a picture plus the window's 1; the moving
  // picture also keeps what lies above it and 1 below.
  if (!raw.workArea.isEmpty()) {
    if (automatic(in.image.position))
      in.image.size = fitted(in.image.size, raw.workArea - QSize(2, 2));
    if (automatic(in.movingImage.position))
      in.movingImage.size = fitted(in.movingImage.size, raw.workArea - QSize(2, h + 2));
  }
  out.movingImage = pictureAt(in.movingImage, {1, h});
  if (!automatic(in.text.position))
    h = in.text.position.top;
  out.text = QRect(automatic(in.text.position) ? 2 : in.text.position.left, h, in.text.size.width(),
                   in.text.size.height());
  out.image = pictureAt(in.image, {1, 1});

  // Without auto-size the window keeps its stored size; a record without one (both must be
  // positive) would give a window nobody can see or reach, so it is sized to its content.
  const bool storedSize = in.window.width > 0 && in.window.height > 0;
  if (in.window.autoSize || !storedSize)
    autoSize(in, out);
  else
    out.window = QSize(in.window.width, in.window.height);
  QSize limit(StickerMaxLength, StickerMaxLength);
  if (!raw.workArea.isEmpty())
    limit = limit.boundedTo(raw.workArea);
  out.window = out.window.boundedTo(limit);
  return out;
}

int StickerAlpha(int opacity) {
  if (opacity <= 0)
    return 255;
  // Integer arithmetic, and a stored value above 100 counts as 100, so the alpha never wraps.
  return (100 - std::min(opacity, 100)) * 255 / 100;
}
