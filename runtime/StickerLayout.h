#pragma once

#include "model/ReminderRecords.h"

#include <QRect>
#include <QSize>

// Where the elements of a sticker window go and how large the window is, as a pure function of
// the elements' own sizes and their stored positions, so it can be checked without a display.
//
// An element is automatic when its stored position is empty (left, top, width and height all 0).
// Automatic elements follow the flow below; stored ones sit where they were put. Hidden elements
// are placed too, but do not count towards the window's size. Every halving is an integer division
// that rounds toward zero.

// A text label: its size comes from its text and font.
struct TStickerLabelBox {
  bool visible = false;
  TPositionRec position; // empty: automatic
  TStickerTextAlignment alignment = TStickerTextAlignment::Left;
  QSize size;
};

// A picture: automatic ones take the picture's own size, stored ones their stored size.
struct TStickerPictureBox {
  bool visible = false;
  TPositionRec position;
  QSize size;
};

struct TStickerLayoutInput {
  TStickerLabelBox date, time, subject, text;
  TStickerPictureBox image, movingImage;
  TPositionRec window; // the window's stored position and its autoSize flag
  QSize workArea;      // the work area of the screen the window shows on; empty when unknown
};

struct TStickerLayout {
  QRect date, time, subject, text, image, movingImage;
  QSize window;
};

// Positions and sizes from a file are clamped to this range first, so no sum can overflow and no
// window is larger than the display system allows.
inline constexpr int StickerMaxCoordinate = 32767;
// No side of a sticker window is longer than its screen's work area, nor than this: a window's
// backing store takes four bytes a pixel, so a stored 32767 x 32767 would allocate 4 GB.
inline constexpr int StickerMaxLength = 16384;

// The flow:
//   date (2,1); next := date width + 10, h := date height (a hidden date: next := 1, h := 1;
//   a stored date: next := 1, h := 1); time (next,1), h := max(h, time height) when shown;
//   subject (2,h), h += its height when shown; moving picture (1,h); text left 2, top h (a stored
//   text: its own left and top); picture (1,1).
// Auto-size (the window's autoSize flag, or no stored width and height) takes the largest right
// edge (labels + 2) and bottom edge (moving picture + 1), adds 1 to each, then places automatic
// elements: the time at the right edge - 2, subject and text by alignment, the picture centred,
// the moving picture centred across and in the space below its top. Without auto-size the window
// takes its stored width and height.
// An automatic picture or moving picture too large for the work area (with the margins the flow
// gives it) is scaled down to fit, keeping its proportions; the window never exceeds the work
// area, so no sticker covers the whole screen.
[[nodiscard]] TStickerLayout LayoutSticker(const TStickerLayoutInput &input);

// The window's alpha for a stored opacity (percent of transparency): 255 (no blending) for 0 or
// less, else (100 - opacity) * 255 / 100 with the opacity clamped to 100.
[[nodiscard]] int StickerAlpha(int opacity);
