#pragma once

#include <QRgb>
#include <QString>

#include <cstdint>
#include <optional>

class QPalette;

// A colour as the program stores and passes it: 0x00BBGGRR for a plain colour (red in the low
// byte), a system colour as 0xFF0000nn (nn = the system colour index; any value with the top bit
// set is taken as one), plus the two special values below. Four byte orders meet in the picture
// code (TColor, the RGB triples of GIF tables, the B,G,R,0 quads of DIB palettes, Qt's 0xAARRGGBB),
// so every conversion between them lives here.
using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF; // no colour (nothing transparent, no background)
inline constexpr TColor clDefault =
    0x20000000; // "the default": for a bitmap, its bottom-left pixel
inline constexpr TColor clSystemColor = 0xFF000000;
inline constexpr TColor PaletteRelativeFlag = 0x02000000;

// The standard colours.
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// The system colours (clSystemColor | the system colour index).
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;
inline constexpr TColor clHotLight = clSystemColor | 26;
inline constexpr TColor clGradientActiveCaption = clSystemColor | 27;
inline constexpr TColor clGradientInactiveCaption = clSystemColor | 28;
inline constexpr TColor clMenuHighlight = clSystemColor | 29;
inline constexpr TColor clMenuBar = clSystemColor | 30;

// Builds a plain colour from its channels.
[[nodiscard]] constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
[[nodiscard]] constexpr std::uint8_t GetRValue(TColor c) { return std::uint8_t(c & 0xFF); }
[[nodiscard]] constexpr std::uint8_t GetGValue(TColor c) { return std::uint8_t((c >> 8) & 0xFF); }
[[nodiscard]] constexpr std::uint8_t GetBValue(TColor c) { return std::uint8_t((c >> 16) & 0xFF); }
[[nodiscard]] constexpr bool IsSystemColor(TColor c) { return (c & 0x80000000u) != 0; }

// A plain 0x00BBGGRR colour for any colour: system colours resolve through the system colour
// table below; clNone and clDefault keep their values (callers test for them first); the
// palette-relative flag and any other high byte are dropped.
[[nodiscard]] TColor ColorToRGB(TColor color);
// The colour with the palette-relative flag set (the "palette colour" of the drawing routines).
[[nodiscard]] constexpr TColor PaletteColor(TColor color) {
  return (color & 0x00FFFFFF) | PaletteRelativeFlag;
}

// Qt's 0xAARRGGBB form: opaque, system colours resolved.
[[nodiscard]] QRgb ColorToQRgb(TColor color);
[[nodiscard]] constexpr TColor QRgbToColor(QRgb rgb) {
  return RGB(std::uint8_t(qRed(rgb)), std::uint8_t(qGreen(rgb)), std::uint8_t(qBlue(rgb)));
}

// The system colour table. It starts with fixed Windows defaults (clWindow white, clInfoBk
// pale yellow, clBtnFace light grey ...), so files and tests do not depend on the desktop theme.
// The program may take the desktop's colours from the application palette at start-up.
namespace systemcolors {
[[nodiscard]] TColor get(int index);
void set(int index, TColor rgb);
// Puts back the fixed defaults.
void resetToDefaults();
// Takes the colours of the palette's roles (Base for clWindow, ToolTipBase for clInfoBk ...).
void loadFromPalette(const QPalette &palette);
} // namespace systemcolors

// The colour identifiers of stored files: "clInfoBk" for a named colour, else "$" followed by
// eight upper-case hexadecimal digits ("$00BBGGRR").
[[nodiscard]] QString ColorToString(TColor color);
// Accepts an identifier (any case), "$" + hex digits, "0x" + hex digits or a decimal number.
// Anything else raises EConvertError ("'%s' is not a valid integer value").
[[nodiscard]] TColor StringToColor(const QString &text);
[[nodiscard]] std::optional<TColor> TryStringToColor(const QString &text);
// The identifier of a named colour, or empty.
[[nodiscard]] QString ColorToIdent(TColor color);
[[nodiscard]] std::optional<TColor> IdentToColor(const QString &ident);
