#include "widgets/PictureGridControl.h"

#include "imaging/Bitmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

// Resources of a static library are registered by hand.
static void initControlResources() { Q_INIT_RESOURCE(controls); }

namespace {

// A picture of the program's resources as a bitmap whose bottom-left colour is see-through.
void loadResourcePicture(TPicture &picture, const QString &path) {
  auto bitmap = std::make_unique<TBitmap>(Dib::fromQImage(QImage(path)));
  bitmap->setTransparent(true);
  picture.takeGraphic(std::move(bitmap));
}

} // namespace

TPictureGridControl::TPictureGridControl(QWidget *parent) : QWidget(parent) {
  setMouseTracking(true);
  for (TPicture *p : {&m_pictureOn, &m_pictureOff, &m_pictureDisable})
    p->onChange = [this, p] { pictureChanged(*p); };
  setMinimumSize(m_columnCount, m_rowCount);
}

TPictureGridControl::~TPictureGridControl() {
  for (TPicture *p : {&m_pictureOn, &m_pictureOff, &m_pictureDisable})
    p->onChange = nullptr;
}

void TPictureGridControl::useDayPictures() {
  initControlResources();
  loadResourcePicture(m_pictureOn, QStringLiteral(":/controls/grid/on.png"));
  loadResourcePicture(m_pictureOff, QStringLiteral(":/controls/grid/off.png"));
  loadResourcePicture(m_pictureDisable, QStringLiteral(":/controls/grid/disabled.png"));
}

// Every picture is drawn see-through; marking it when it changes, rather than while painting,
// keeps a paint from scheduling another one.
void TPictureGridControl::pictureChanged(TPicture &picture) {
  if (TGraphic *g = picture.graphic(); g && !g->transparent())
    g->setTransparent(true);
  update();
}

void TPictureGridControl::setColumnCount(int count) {
  m_columnCount = std::clamp(count, 1, MaxCount);
  setMinimumSize(m_columnCount, m_rowCount);
  updateCellSize();
  update();
}

void TPictureGridControl::setRowCount(int count) {
  m_rowCount = std::clamp(count, 1, MaxCount);
  setMinimumSize(m_columnCount, m_rowCount);
  updateCellSize();
  update();
}

void TPictureGridControl::setStateCount(int count) {
  m_stateCount = std::clamp(count, 2, MaxStateCount);
  update();
}

void TPictureGridControl::updateCellSize() {
  m_cellWidth = width() / m_columnCount;
  m_cellHeight = height() / m_rowCount;
}

int32_t TPictureGridControl::cell(int column, int row) const {
  if (column < 0 || column >= MaxCount || row < 0 || row >= MaxCount)
    return 0;
  return m_cells[size_t(column)][size_t(row)];
}

void TPictureGridControl::setCell(int column, int row, int32_t state) {
  if (column < 0 || column >= MaxCount || row < 0 || row >= MaxCount)
    return;
  m_cells[size_t(column)][size_t(row)] = state;
}

void TPictureGridControl::setGridEnabled(bool value) {
  m_gridEnabled = value;
  update();
}

void TPictureGridControl::setGridBorderEnabled(bool value) {
  m_gridBorderEnabled = value;
  update();
}

void TPictureGridControl::setGridPen(const QPen &pen) {
  m_gridPen = pen;
  update();
}

void TPictureGridControl::setColor(TColor color) {
  m_color = color;
  update();
}

void TPictureGridControl::setCellsEnabled(bool value) {
  m_cellsEnabled = value;
  update();
}

void TPictureGridControl::setStatePicture(int state, TGraphic *graphic) {
  if (state < 0 || state >= MaxStateCount)
    return;
  if (graphic)
    graphic->setTransparent(true);
  m_statePictures[size_t(state)] = graphic;
  update();
}

void TPictureGridControl::setDisabledStatePicture(int state, TGraphic *graphic) {
  if (state < 0 || state >= MaxStateCount)
    return;
  if (graphic)
    graphic->setTransparent(true);
  m_disabledStatePictures[size_t(state)] = graphic;
  update();
}

void TPictureGridControl::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  updateCellSize();
}

bool TPictureGridControl::cellAt(QPointF pos, int &column, int &row) const {
  // While the button is held the pointer may leave the control; division toward zero would
  // fold the points just left of or above it into column or row 0. A control made smaller
  // than its counts has cells of size 0 and no cell at all.
  if (pos.x() < 0 || pos.y() < 0 || m_cellWidth <= 0 || m_cellHeight <= 0)
    return false;
  column = int(pos.x()) / m_cellWidth;
  row = int(pos.y()) / m_cellHeight;
  return column < m_columnCount && row < m_rowCount;
}

int32_t TPictureGridControl::nextCellState(int32_t state, bool simpleToggle) const {
  if (m_stateCount < 3 || simpleToggle)
    return state == 1 ? 0 : 1;
  return state + 1 < m_stateCount ? state + 1 : 0;
}

void TPictureGridControl::toggleCellAt(QPointF pos, bool simpleToggle) {
  int column = 0, row = 0;
  if (!isVisible() || !m_cellsEnabled || !cellAt(pos, column, row))
    return;
  if (column == m_lastToggledX && row == m_lastToggledY)
    return;
  int32_t &state = m_cells[size_t(column)][size_t(row)];
  state = nextCellState(state, simpleToggle);
  update(column * m_cellWidth, row * m_cellHeight, m_cellWidth, m_cellHeight);
  m_lastToggledX = column;
  m_lastToggledY = row;
  emit changed();
}

void TPictureGridControl::mousePressEvent(QMouseEvent *event) {
  // Taken, so that the moves and the release of this press come here. A click toggles at the
  // release (or at the first move inside the cell).
  event->accept();
}

void TPictureGridControl::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton)
    return;
  toggleCellAt(event->position(), !(event->modifiers() & Qt::ControlModifier));
  m_lastToggledX = -1;
  m_lastToggledY = -1;
}

void TPictureGridControl::mouseMoveEvent(QMouseEvent *event) {
  int column = 0, row = 0;
  if (m_showHint && cellAt(event->position(), column, row)) {
    const int32_t state = m_cells[size_t(column)][size_t(row)];
    if (column != m_hintX || row != m_hintY || state != m_hintState) {
      const QString text =
          onDataStateHint ? onDataStateHint(column, row, state) : QString::number(state);
      QToolTip::hideText();
      setToolTip(text);
      QToolTip::showText(event->globalPosition().toPoint(), text, this);
      m_hintX = column;
      m_hintY = row;
      m_hintState = state;
    }
  }
  if (event->buttons() & Qt::LeftButton)
    toggleCellAt(event->position(), true);
}

TGraphic *TPictureGridControl::cellPicture(int column, int row) const {
  int32_t state = m_cells[size_t(column)][size_t(row)];
  if (m_stateCount < 3) {
    if (state != 1)
      return m_pictureOff.graphic();
    return m_cellsEnabled ? m_pictureOn.graphic() : m_pictureDisable.graphic();
  }
  // A state the mode does not have (negative ones included) shows as state 0.
  if (state < 0 || state >= m_stateCount)
    state = 0;
  const bool enabled = m_cellsEnabled || row == m_alwaysEnabledRow;
  return enabled ? m_statePictures[size_t(state)] : m_disabledStatePictures[size_t(state)];
}

// Lines one cell apart over the cells that are painted, the outer ones only with the border;
// at least one line each way. Each line ends one pixel short, as on the classic canvas.
void TPictureGridControl::drawGridLines(QPainter &painter, int columns, int rows) const {
  const int w = m_cellWidth * columns, h = m_cellHeight * rows;
  const int firstX = m_gridBorderEnabled ? 0 : m_cellWidth;
  const int lastX = m_gridBorderEnabled ? w : w - m_cellWidth;
  const int firstY = m_gridBorderEnabled ? 0 : m_cellHeight;
  const int lastY = m_gridBorderEnabled ? h : h - m_cellHeight;
  painter.setPen(m_gridPen);
  int x = firstX;
  do {
    painter.drawLine(x, 0, x, h - 1);
    x += m_cellWidth;
  } while (x <= lastX);
  int y = firstY;
  do {
    painter.drawLine(0, y, w - 1, y);
    y += m_cellHeight;
  } while (y <= lastY);
}

void TPictureGridControl::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(ColorToQRgb(m_color)));
  painter.setPen(m_gridPen.color());
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 0, width() - 1, height() - 1);
  if (m_pictureOn.empty() || m_cellWidth <= 0 || m_cellHeight <= 0)
    return;
  // Only the real cells: a width that is not a multiple of the cell width leaves room for more
  // columns than the grid has, and those would read states beyond the counts.
  const int columns = std::min(m_columnCount, width() / m_cellWidth);
  const int rows = std::min(m_rowCount, height() / m_cellHeight);
  if (m_gridEnabled)
    drawGridLines(painter, columns, rows);
  for (int column = 0; column < columns; ++column) {
    for (int row = 0; row < rows; ++row) {
      const TGraphic *g = cellPicture(column, row);
      if (!g || g->empty())
        continue;
      const int x = column * m_cellWidth + (m_cellWidth - g->width()) / 2;
      const int y = row * m_cellHeight + (m_cellHeight - g->height()) / 2;
      g->draw(painter, QRect(x, y, g->width(), g->height()));
    }
  }
}
