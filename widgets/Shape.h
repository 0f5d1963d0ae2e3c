#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle with an optional one-pixel outline: the frame and background behind a
// sticker's content, and the colour swatches of the editor. Pen styles are the classic codes:
// 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 no line; any other code draws solid.
class TShape : public QWidget {
  Q_OBJECT
public:
  static constexpr int psSolid = 0;
  static constexpr int psClear = 5;

  explicit TShape(QWidget *parent = nullptr);

  [[nodiscard]] QColor brushColor() const { return m_brush; }
  // A fully transparent colour leaves the inside unpainted.
  void setBrushColor(const QColor &color);
  [[nodiscard]] QColor penColor() const { return m_penColor; }
  void setPenColor(const QColor &color);
  [[nodiscard]] int penStyle() const { return m_penStyle; }
  void setPenStyle(int style);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QColor m_brush = Qt::white;
  QColor m_penColor = Qt::black;
  int m_penStyle = psSolid;
};
