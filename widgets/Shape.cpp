#include "widgets/Shape.h"

#include <QPainter>

namespace {

Qt::PenStyle qtPenStyle(int style) {
  switch (style) {
  case 1:
    return Qt::DashLine;
  case 2:
    return Qt::DotLine;
  case 3:
    return Qt::DashDotLine;
  case 4:
    return Qt::DashDotDotLine;
  case TShape::psClear:
    return Qt::NoPen;
  default:
    return Qt::SolidLine;
  }
}

} // namespace

TShape::TShape(QWidget *parent) : QWidget(parent) {}

void TShape::setBrushColor(const QColor &color) {
  if (m_brush == color)
    return;
  m_brush = color;
  update();
}

void TShape::setPenColor(const QColor &color) {
  if (m_penColor == color)
    return;
  m_penColor = color;
  update();
}

void TShape::setPenStyle(int style) {
  if (m_penStyle == style)
    return;
  m_penStyle = style;
  update();
}

void TShape::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  if (m_brush.alpha() != 0)
    painter.fillRect(rect(), m_brush);
  const Qt::PenStyle style = qtPenStyle(m_penStyle);
  if (style == Qt::NoPen || width() < 1 || height() < 1)
    return;
  // A cosmetic pen without antialiasing puts the line exactly on the outermost pixels.
  QPen pen(m_penColor, 0, style);
  pen.setCosmetic(true);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
}
