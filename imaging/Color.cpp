#include "imaging/Color.h"

#include "platform/Errors.h"

#include <QMutex>
#include <QPalette>

#include <array>

namespace {

constexpr int SystemColorCount = 31;

// Windows 7 defaults, so a fresh program draws and writes the same colours on every desktop.
constexpr std::array<TColor, SystemColorCount> DefaultSystemColors = {
    RGB(200, 200, 200), // scroll bar
    RGB(0, 0, 0),       // background (desktop)
    RGB(153, 180, 209), // active caption
    RGB(191, 205, 219), // inactive caption
    RGB(240, 240, 240), // menu
    RGB(255, 255, 255), // window
    RGB(100, 100, 100), // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(0, 0, 0),       // caption text
    RGB(180, 180, 180), // active border
    RGB(244, 247, 252), // inactive border
    RGB(171, 171, 171), // application workspace
    RGB(51, 153, 255),  // highlight
    RGB(255, 255, 255), // highlight text
    RGB(240, 240, 240), // button face
    RGB(160, 160, 160), // button shadow
    RGB(109, 109, 109), // grey text
    RGB(0, 0, 0),       // button text
    RGB(67, 78, 84),    // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(105, 105, 105), // 3D dark shadow
    RGB(227, 227, 227), // 3D light
    RGB(0, 0, 0),       // info text
    RGB(255, 255, 225), // info background
    RGB(0, 0, 0),       // (unused index 25)
    RGB(0, 102, 204),   // hot light
    RGB(185, 209, 234), // gradient active caption
    RGB(215, 228, 242), // gradient inactive caption
    RGB(51, 153, 255),  // menu highlight
    RGB(240, 240, 240), // menu bar
};

struct SystemColorTable {
  QMutex lock;
  std::array<TColor, SystemColorCount> colors = DefaultSystemColors;
};

SystemColorTable &table() {
  static SystemColorTable t;
  return t;
}

struct ColorIdent {
  TColor color;
  const char *name;
};

// The identifiers stored files use, in the order the class library lists them (the first name of
// a value wins when a colour is turned into text).
constexpr ColorIdent Idents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

std::optional<TColor> parseNumber(const QString &text) {
  const QString t = text.trimmed();
  QString digits = t;
  int base = 10;
  if (t.startsWith(QLatin1Char('$'))) {
    digits = t.mid(1);
    base = 16;
  } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    digits = t.mid(2);
    base = 16;
  }
  // Hex texts are bare digits ("$-5" is no colour); decimal ones may carry a sign.
  if (digits.isEmpty() || (base == 16 && !digits.front().isLetterOrNumber()))
    return std::nullopt;
  bool ok = false;
  const qint64 value = digits.toLongLong(&ok, base);
  // A colour is a 32-bit value: hex texts may use all 32 bits, decimal ones may be negative.
  if (!ok || value > 0xFFFFFFFFLL || value < -0x80000000LL)
    return std::nullopt;
  return TColor(std::uint32_t(value));
}

QRgb roleColor(const QPalette &palette, QPalette::ColorGroup group, QPalette::ColorRole role) {
  return palette.color(group, role).rgb();
}

} // namespace

TColor ColorToRGB(TColor color) {
  if (IsSystemColor(color))
    return systemcolors::get(int(color & 0xFF));
  if (color == clNone || color == clDefault)
    return color;
  return color & 0x00FFFFFF;
}

QRgb ColorToQRgb(TColor color) {
  const TColor c = ColorToRGB(color) & 0x00FFFFFF;
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

namespace systemcolors {

TColor get(int index) {
  if (index < 0 || index >= SystemColorCount)
    return clBlack;
  QMutexLocker l(&table().lock);
  return table().colors[std::size_t(index)];
}

void set(int index, TColor rgb) {
  if (index < 0 || index >= SystemColorCount)
    return;
  QMutexLocker l(&table().lock);
  table().colors[std::size_t(index)] = rgb & 0x00FFFFFF;
}

void resetToDefaults() {
  QMutexLocker l(&table().lock);
  table().colors = DefaultSystemColors;
}

void loadFromPalette(const QPalette &p) {
  const auto A = QPalette::Active;
  const auto I = QPalette::Inactive;
  const auto D = QPalette::Disabled;
  struct Entry {
    TColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
  };
  const Entry entries[] = {
      {clWindow, A, QPalette::Base},
      {clWindowText, A, QPalette::Text},
      {clBtnFace, A, QPalette::Button},
      {clBtnText, A, QPalette::ButtonText},
      {clBtnShadow, A, QPalette::Mid},
      {clBtnHighlight, A, QPalette::Light},
      {cl3DDkShadow, A, QPalette::Shadow},
      {cl3DLight, A, QPalette::Midlight},
      {clHighlight, A, QPalette::Highlight},
      {clHighlightText, A, QPalette::HighlightedText},
      {clMenuHighlight, A, QPalette::Highlight},
      {clInfoBk, A, QPalette::ToolTipBase},
      {clInfoText, A, QPalette::ToolTipText},
      {clMenu, A, QPalette::Window},
      {clMenuBar, A, QPalette::Window},
      {clMenuText, A, QPalette::WindowText},
      {clGrayText, D, QPalette::Text},
      {clHotLight, A, QPalette::Link},
      {clAppWorkSpace, A, QPalette::Dark},
      {clInactiveCaptionText, I, QPalette::WindowText},
  };
  for (const Entry &e : entries)
    set(int(e.color & 0xFF), QRgbToColor(roleColor(p, e.group, e.role)));
}

} // namespace systemcolors

QString ColorToIdent(TColor color) {
  for (const ColorIdent &i : Idents)
    if (i.color == color)
      return QString::fromLatin1(i.name);
  return {};
}

std::optional<TColor> IdentToColor(const QString &ident) {
  const QString t = ident.trimmed();
  // Every identifier begins with "cl": a number ("$00BBGGRR", as most stored colours are) needs
  // no comparison with each of them.
  if (!t.startsWith(QLatin1String("cl"), Qt::CaseInsensitive))
    return std::nullopt;
  for (const ColorIdent &i : Idents)
    if (t.compare(QLatin1String(i.name), Qt::CaseInsensitive) == 0)
      return i.color;
  return std::nullopt;
}

QString ColorToString(TColor color) {
  const QString ident = ColorToIdent(color);
  if (!ident.isEmpty())
    return ident;
  return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<TColor> TryStringToColor(const QString &text) {
  if (auto c = IdentToColor(text))
    return c;
  return parseNumber(text);
}

TColor StringToColor(const QString &text) {
  if (auto c = TryStringToColor(text))
    return *c;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}
