#pragma once

#include "imaging/Color.h"

#include <QFrame>

// A colour swatch: a framed area filled with one colour (system colours resolved), that emits
// clicked() when the user clicks it with the left button. The editor's sticker page shows the
// background and frame colours with it; Designer promotes a QFrame to it.
class ColorShape : public QFrame {
  Q_OBJECT
public:
  explicit ColorShape(QWidget *parent = nullptr);

  [[nodiscard]] TColor color() const { return m_color; }
  void setColor(TColor color);

signals:
  void clicked();

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  TColor m_color = clWhite;
  bool m_pressed = false;
};
