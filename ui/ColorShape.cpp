#include "ui/ColorShape.h"

#include <QMouseEvent>
#include <QPainter>

ColorShape::ColorShape(QWidget *parent) : QFrame(parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMinimumSize(16, 16);
}

void ColorShape::setColor(TColor color) {
  if (color == m_color)
    return;
  m_color = color;
  update();
}

void ColorShape::paintEvent(QPaintEvent *event) {
  {
    QPainter painter(this);
    // clNone and clDefault name no colour: the swatch stays empty rather than showing a guess.
    if (m_color != clNone && m_color != clDefault)
      painter.fillRect(contentsRect(), QColor::fromRgb(ColorToQRgb(m_color)));
  }
  QFrame::paintEvent(event);
}

void ColorShape::mousePressEvent(QMouseEvent *event) {
  m_pressed = event->button() == Qt::LeftButton;
  QFrame::mousePressEvent(event);
}

void ColorShape::mouseReleaseEvent(QMouseEvent *event) {
  // A click is a press and a release of the left button, both on the swatch.
  const bool click = m_pressed && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  m_pressed = false;
  QFrame::mouseReleaseEvent(event);
  if (click)
    emit clicked();
}
