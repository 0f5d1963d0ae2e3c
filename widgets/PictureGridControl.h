#pragma once

#include "imaging/Color.h"
#include "imaging/Picture.h"

#include <QPen>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class TGraphic;

// A grid of equal cells, each holding an integer state shown as a small picture centred in its
// cell: the "on" picture for state 1, the "off" picture for any other state, the "disabled"
// picture for state 1 while the cells are disabled. The user toggles cells with the left mouse
// button, by a click or by dragging across cells; each cell a drag enters toggles once. Owners
// read and write the states with cell()/setCell(), which do not repaint.
//
// With three or more states (stateCount()) a Ctrl+click steps a cell through the states, each
// shown with its own picture (setStatePicture()).
class TPictureGridControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int columnCount READ columnCount WRITE setColumnCount)
  Q_PROPERTY(int rowCount READ rowCount WRITE setRowCount)
  Q_PROPERTY(bool gridEnabled READ gridEnabled WRITE setGridEnabled)
  Q_PROPERTY(bool gridBorderEnabled READ gridBorderEnabled WRITE setGridBorderEnabled)
  Q_PROPERTY(bool cellsEnabled READ cellsEnabled WRITE setCellsEnabled)
public:
  static constexpr int MaxCount = 129;
  static constexpr int MaxStateCount = 11;

  explicit TPictureGridControl(QWidget *parent = nullptr);
  ~TPictureGridControl() override;

  // The three pictures of the two-state mode; the setters copy (null empties).
  [[nodiscard]] const TPicture &pictureOn() const { return m_pictureOn; }
  void setPictureOn(const TPicture *picture) { m_pictureOn.assign(picture); }
  [[nodiscard]] const TPicture &pictureOff() const { return m_pictureOff; }
  void setPictureOff(const TPicture *picture) { m_pictureOff.assign(picture); }
  [[nodiscard]] const TPicture &pictureDisable() const { return m_pictureDisable; }
  void setPictureDisable(const TPicture *picture) { m_pictureDisable.assign(picture); }
  // Loads the program's own day pictures (chosen, not chosen, chosen but disabled).
  void useDayPictures();

  // Columns and rows, each 1..129. The control is kept at least one pixel per cell.
  [[nodiscard]] int columnCount() const { return m_columnCount; }
  void setColumnCount(int count);
  [[nodiscard]] int rowCount() const { return m_rowCount; }
  void setRowCount(int count);
  // 2..11; three or more turn on the multi-state mode.
  [[nodiscard]] int stateCount() const { return m_stateCount; }
  void setStateCount(int count);

  // The cell size: the control's size divided by the counts (also after every resize).
  void updateCellSize();
  [[nodiscard]] int cellWidth() const { return m_cellWidth; }
  [[nodiscard]] int cellHeight() const { return m_cellHeight; }

  // The state of a cell; 0 outside the 129 x 129 store.
  [[nodiscard]] int32_t cell(int column, int row) const;
  // Writes a state without repainting; nothing outside the 129 x 129 store.
  void setCell(int column, int row, int32_t state);

  [[nodiscard]] bool gridEnabled() const { return m_gridEnabled; }
  void setGridEnabled(bool value);
  // Draws the outer lines of the grid too.
  [[nodiscard]] bool gridBorderEnabled() const { return m_gridBorderEnabled; }
  void setGridBorderEnabled(bool value);
  // The pen of the grid lines; its colour also outlines the control.
  [[nodiscard]] QPen gridPen() const { return m_gridPen; }
  void setGridPen(const QPen &pen);
  // The background.
  [[nodiscard]] TColor color() const { return m_color; }
  void setColor(TColor color);
  // The cells' own enabled flag: off, nothing toggles and chosen cells show the disabled
  // picture. Unlike QWidget::setEnabled it leaves the mouse and the hints working.
  [[nodiscard]] bool cellsEnabled() const { return m_cellsEnabled; }
  void setCellsEnabled(bool value);

  // Multi-state mode: the picture of each state while enabled and while disabled (not owned;
  // they must outlive the control or be replaced). A row drawn enabled even while disabled.
  void setStatePicture(int state, TGraphic *graphic);
  void setDisabledStatePicture(int state, TGraphic *graphic);
  [[nodiscard]] int alwaysEnabledRow() const { return m_alwaysEnabledRow; }
  void setAlwaysEnabledRow(int row) { m_alwaysEnabledRow = row; }

  // Shows a hint for the cell under the pointer, refreshed when the cell or its state changes.
  [[nodiscard]] bool showHint() const { return m_showHint; }
  void setShowHint(bool value) { m_showHint = value; }
  // The hint text of a cell; without a handler the hint is the state as a number.
  std::function<QString(int column, int row, int32_t state)> onDataStateHint;

signals:
  // A cell was toggled with the mouse (never after setCell()).
  void changed();

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  // The cell under a point of the control; false outside the grid's real cells.
  [[nodiscard]] bool cellAt(QPointF pos, int &column, int &row) const;
  [[nodiscard]] int32_t nextCellState(int32_t state, bool simpleToggle) const;
  void toggleCellAt(QPointF pos, bool simpleToggle);
  [[nodiscard]] TGraphic *cellPicture(int column, int row) const;
  void drawGridLines(QPainter &painter, int columns, int rows) const;
  void pictureChanged(TPicture &picture);

  TPicture m_pictureOn;
  TPicture m_pictureOff;
  TPicture m_pictureDisable;
  bool m_gridEnabled = false;
  bool m_gridBorderEnabled = false;
  QPen m_gridPen{Qt::black, 1};
  int m_cellWidth = 10;
  int m_cellHeight = 10;
  TColor m_color = clWindow;
  int m_lastToggledX = -1;
  int m_lastToggledY = -1;
  int m_hintX = -1;
  int m_hintY = -1;
  int32_t m_hintState = -1;
  int m_columnCount = 5;
  int m_rowCount = 5;
  bool m_cellsEnabled = true;
  bool m_showHint = false;
  std::array<std::array<int32_t, MaxCount>, MaxCount> m_cells{};
  int m_stateCount = 2;
  std::array<TGraphic *, MaxStateCount> m_statePictures{};
  std::array<TGraphic *, MaxStateCount> m_disabledStatePictures{};
  int m_alwaysEnabledRow = -1;
};
