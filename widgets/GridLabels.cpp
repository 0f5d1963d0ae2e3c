#include "widgets/GridLabels.h"

#include "widgets/PictureGridControl.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

TGridLabels::TGridLabels(TPictureGridControl *grid, Qt::Orientation orientation, QWidget *parent)
    : QWidget(parent), m_grid(grid), m_gridAlive(grid), m_orientation(orientation) {
  if (grid)
    grid->installEventFilter(this);
  setSizePolicy(orientation == Qt::Horizontal
                    ? QSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed)
                    : QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored));
}

TGridLabels::~TGridLabels() = default;

void TGridLabels::setTexts(const QStringList &texts) {
  while (m_labels.size() < texts.size()) {
    auto *label = new QLabel(this);
    label->setAlignment(m_orientation == Qt::Horizontal ? Qt::AlignCenter
                                                        : Qt::AlignRight | Qt::AlignVCenter);
    label->show();
    m_labels << label;
  }
  while (m_labels.size() > texts.size())
    delete m_labels.takeLast();
  for (qsizetype i = 0; i < texts.size(); ++i)
    m_labels[i]->setText(texts[i]);
  updateGeometry();
  place();
}

QSize TGridLabels::sizeHint() const {
  int across = 0;
  for (const QLabel *label : m_labels)
    across = std::max(across, m_orientation == Qt::Horizontal ? label->sizeHint().height()
                                                              : label->sizeHint().width());
  return m_orientation == Qt::Horizontal ? QSize(0, across) : QSize(across + 4, 0);
}

QSize TGridLabels::minimumSizeHint() const { return sizeHint(); }

bool TGridLabels::eventFilter(QObject *watched, QEvent *event) {
  if (watched == m_gridAlive.data() &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
       event->type() == QEvent::Show))
    place();
  return QWidget::eventFilter(watched, event);
}

void TGridLabels::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  place();
}

void TGridLabels::moveEvent(QMoveEvent *event) {
  QWidget::moveEvent(event);
  place();
}

void TGridLabels::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  place();
}

// Each label takes exactly its cell's extent along the grid, wherever the grid lies relative to
// this widget (they share a window, so the window's coordinates relate the two).
void TGridLabels::place() {
  // Until both sit in one window there is nothing to line up with.
  if (!m_gridAlive || m_grid->window() != window())
    return;
  // The grid works out its cells on its own resize; that event may come after ours.
  m_grid->updateCellSize();
  const QPoint origin = mapFrom(window(), m_grid->mapTo(window(), QPoint(0, 0)));
  for (qsizetype i = 0; i < m_labels.size(); ++i) {
    const int n = int(i);
    if (m_orientation == Qt::Horizontal)
      m_labels[i]->setGeometry(origin.x() + n * m_grid->cellWidth(), 0, m_grid->cellWidth(),
                               height());
    else
      m_labels[i]->setGeometry(0, origin.y() + n * m_grid->cellHeight(), width() - 4,
                               m_grid->cellHeight());
  }
}
