#pragma once

#include "imaging/Color.h"

#include <QCursor>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class QPainter;
class TBitmap;
class TPalette;

// The shared drawing and utility routines of the picture classes and controls.

// A rectangle given by its edges, right and bottom exclusive (QRect's right() is inclusive).
struct TRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The two screen cursors the program adds to the standard ones, valid for its whole run.
enum : int { crHandCursor = 14000, crDragCursor = 14001 };
// The cursor of a cursor number: 14000 the pointing hand, 14001 the dragging (closed) hand; any
// other number the arrow.
[[nodiscard]] QCursor ScreenCursor(int cursor);

// Copies the source rectangle of an image, stretched to the destination rectangle, leaving the
// destination untouched wherever the source has the transparent colour (exact comparison of
// red, green and blue, before any stretching). Stretching picks the nearest pixel, never blends.
// The source rectangle is clamped to the image; the palette is accepted for the callers' sake
// (true-colour targets need none).
void TransparentStretchBlt(QPainter &dst, int dstX, int dstY, int dstW, int dstH, const QImage &src,
                           int srcX, int srcY, int srcW, int srcH, TColor transparentColor,
                           const TPalette *palette = nullptr);

// Stretches a bitmap onto a painter with one colour left out:
// - a destination width or height below 1 takes the bitmap's; a source width or height below 1
//   makes the source the whole bitmap;
// - clNone: a plain stretched copy in the painter's composition mode;
// - clDefault: the bitmap's bottom-left pixel is the transparent colour;
// - a monochrome bitmap always leaves white out; system colours are resolved.
// An empty bitmap draws nothing. The bitmap's canvas lock is held while it is read.
void TransparentStretchBitmap(QPainter &dst, const TBitmap &bitmap, TColor transparentColor,
                              int dstX, int dstY, int dstW, int dstH, int srcX, int srcY, int srcW,
                              int srcH);
// The colour TransparentStretchBitmap leaves out of the bitmap for `transparentColor` (which is
// neither clNone nor applied to an empty bitmap): clDefault gives the bottom-left pixel, a
// monochrome bitmap white; system colours are resolved.
[[nodiscard]] TColor TransparentKeyOf(const TBitmap &bitmap, TColor transparentColor);
// The same with the source given as a rectangle.
void TransparentStretchBitmapRect(QPainter &dst, int dstX, int dstY, int dstW, int dstH,
                                  const TRect &srcRect, const TBitmap &bitmap,
                                  TColor transparentColor);

// The larger and the smaller of two numbers (on a tie the second).
[[nodiscard]] constexpr int Max(int a, int b) { return a > b ? a : b; }
[[nodiscard]] constexpr int Min(int a, int b) { return a < b ? a : b; }
[[nodiscard]] constexpr int RectWidth(const TRect &r) { return r.right - r.left; }
[[nodiscard]] constexpr int RectHeight(const TRect &r) { return r.bottom - r.top; }

// A zero-filled block; none for a size of 0 or less.
[[nodiscard]] std::unique_ptr<std::uint8_t[]> AllocZeroedBlock(std::int64_t size);
// Frees a block made by AllocZeroedBlock and clears the pointer; nothing for none.
void FreeBlock(std::unique_ptr<std::uint8_t[]> &block);
// Whether the first `length` bytes of both blocks are equal.
[[nodiscard]] bool CompareMem(const void *a, const void *b, std::size_t length);
[[nodiscard]] inline void *OffsetPointer(void *p, std::ptrdiff_t offset) {
  return static_cast<std::uint8_t *>(p) + offset;
}
// Copies `count` bytes; the blocks may overlap (row converters write over what they read).
void MoveMemory(void *destination, const void *source, std::size_t count);
// The text of a resource identifier: the identifier itself.
[[nodiscard]] inline QString ResourceText(const QString &identifier) { return identifier; }

// Resets the screen cursor to the default, shows "Function not yet implemented" with an OK button
// (through the information reporter of the error module) and aborts silently (EAbort).
[[noreturn]] void ReportNotImplemented();
