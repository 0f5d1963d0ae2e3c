#pragma once

#include "model/ReminderRecords.h"

#include <QFont>

// A stored font (TFontRec) as the sticker draws it, and back. The sticker and the editor's sticker
// page both go through these, so what the page shows is what the sticker shows.

// Font sizes from a file are kept within what a screen can show.
inline constexpr int MaxFontPoints = 500;

// A stored size within +-MaxFontPoints (a negative size is a character height in pixels, 0 the
// desktop font's size).
[[nodiscard]] int32_t ClampedFontSize(int32_t size);

// The font to draw with: "Default" (or no name) is the desktop's font; a positive size is in
// points, a negative one in pixels, both clamped; the style bits. Colour and character set have
// no part in a QFont.
[[nodiscard]] QFont FontFromRec(const TFontRec &rec);

// The record for a font the user picked, starting from the record it replaces: the colour and the
// character set stay (a QFont has neither); so does the name "Default" while the desktop's font
// is picked, and the whole record (its size clamped) while the font is the one the record gives.
[[nodiscard]] TFontRec FontToRec(const QFont &font, const TFontRec &previous);
