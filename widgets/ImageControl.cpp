#include "widgets/ImageControl.h"

#include "imaging/Graphic.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QThread>

TImageControl::TImageControl(QWidget *parent) : QWidget(parent) {
  // No opaque-paint attribute and no background fill: a transparent picture lets the parent and
  // the controls below show through, which is what painting the parent's image first did.
  resize(105, 105);
}

TImageControl::~TImageControl() = default;

void TImageControl::redrawNow() { redrawNow(rect()); }

void TImageControl::redrawNow(const QRect &part) {
  if (part.isEmpty())
    return;
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, part] { update(part); }, Qt::QueuedConnection);
    return;
  }
  // A repaint from inside a paint would recurse; the paint under way shows the change.
  if (m_drawing)
    update(part);
  else
    repaint(part);
}

void TImageControl::graphicChanged() {
  if (m_destroying)
    return;
  adjustControlSize();
  if (!m_drawing)
    update();
}

bool TImageControl::applyPaletteChange() { return false; }

void TImageControl::setAlign(TAlign value) {
  if (m_align == value)
    return;
  m_align = value;
  adjustControlSize();
}

void TImageControl::paintBackground(QPainter &) {}

void TImageControl::drawImage(QPainter &painter) {
  if (m_graphic == nullptr || m_graphic->empty())
    return;
  m_graphic->draw(painter, QRect(0, 0, m_graphic->width(), m_graphic->height()));
}

void TImageControl::paintEvent(QPaintEvent *event) {
  m_paintedRect = event->rect();
  QPainter painter(this);
  paintBackground(painter);
  m_drawing = true;
  try {
    drawImage(painter);
  } catch (...) {
    // Nothing may leave a paint; subclasses report their own failures.
  }
  m_drawing = false;
  m_paintedRect = QRect();
}
