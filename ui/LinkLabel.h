#pragma once

#include <QLabel>

// A label that acts like a link: underlined, in the palette's link colour, with a pointing hand,
// reachable with the Tab key, and emitting clicked() for a left click or for Space or Enter while
// it has the focus. Designer promotes a QLabel to it.
class LinkLabel : public QLabel {
  Q_OBJECT
public:
  explicit LinkLabel(QWidget *parent = nullptr);
  explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

signals:
  void clicked();

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

private:
  void setUp();
  bool m_pressed = false;
};
