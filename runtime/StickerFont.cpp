#include "runtime/StickerFont.h"

#include <QApplication>

#include <algorithm>

namespace {

bool isDefaultName(const QString &name) {
  return name.isEmpty() || name.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0;
}

} // namespace

int32_t ClampedFontSize(int32_t size) { return std::clamp(size, -MaxFontPoints, MaxFontPoints); }

QFont FontFromRec(const TFontRec &rec) {
  QFont font = QApplication::font();
  if (!isDefaultName(rec.name))
    font.setFamily(rec.name);
  const int32_t size = ClampedFontSize(rec.size);
  if (size > 0)
    font.setPointSize(size);
  else if (size < 0)
    font.setPixelSize(-size);
  font.setBold((rec.style & FontStyleBold) != 0);
  font.setItalic((rec.style & FontStyleItalic) != 0);
  font.setUnderline((rec.style & FontStyleUnderline) != 0);
  font.setStrikeOut((rec.style & FontStyleStrikeout) != 0);
  return font;
}

TFontRec FontToRec(const QFont &font, const TFontRec &previous) {
  TFontRec rec = previous;
  rec.size = ClampedFontSize(previous.size);
  if (font == FontFromRec(rec))
    return rec;
  if (!isDefaultName(previous.name) || font.family() != QApplication::font().family())
    rec.name = font.family();
  rec.size = ClampedFontSize(font.pointSize() > 0 ? font.pointSize() : -font.pixelSize());
  rec.style = (font.bold() ? FontStyleBold : 0) | (font.italic() ? FontStyleItalic : 0) |
              (font.underline() ? FontStyleUnderline : 0) |
              (font.strikeOut() ? FontStyleStrikeout : 0);
  return rec;
}
