#include "ui/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) { setUp(); }

LinkLabel::LinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent) { setUp(); }

void LinkLabel::setUp() {
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  setForegroundRole(QPalette::Link);
  setCursor(Qt::PointingHandCursor);
  // A label's text is not selectable by the keyboard here: Space and Enter belong to the link.
  setTextInteractionFlags(Qt::NoTextInteraction);
  // After the flags: setting them takes a label's focus away again.
  setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::mousePressEvent(QMouseEvent *event) {
  m_pressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event) {
  const bool click = m_pressed && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  m_pressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click)
    emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Space:
  case Qt::Key_Return:
  case Qt::Key_Enter:
    event->accept();
    emit clicked();
    return;
  default:
    QLabel::keyPressEvent(event);
  }
}

void LinkLabel::paintEvent(QPaintEvent *event) {
  QLabel::paintEvent(event);
  if (!hasFocus())
    return;
  // The label draws no focus mark of its own; without one the keyboard user cannot see it.
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(QPalette::Window);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
