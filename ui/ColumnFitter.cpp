#include "ui/ColumnFitter.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

TColumnFitter::TColumnFitter(QTreeView *view) : QObject(view), m_view(view) {
  QHeaderView *header = view->header();
  header->setStretchLastSection(true);
  // A width the user gives a column is his: it is no longer fitted to its contents.
  connect(header, &QHeaderView::sectionResized, this, [this](int column) {
    if (!m_fitting) {
      m_toFit.remove(column);
      m_userSized.insert(column);
    }
  });
}

void TColumnFitter::SetWidth(int column, int width, bool saved) {
  const QScopedValueRollback<bool> fitting(m_fitting, true);
  m_view->setColumnWidth(column, std::max(0, width));
  if (saved) {
    m_toFit.remove(column);
    m_userSized.insert(column);
  } else {
    m_toFit.insert(column);
    m_userSized.remove(column);
  }
}

void TColumnFitter::Refit() {
  for (int c = 0; c < m_view->header()->count(); ++c)
    if (!m_userSized.contains(c))
      m_toFit.insert(c);
  Fit();
}

void TColumnFitter::Fit() {
  if (m_toFit.isEmpty())
    return;
  const QScopedValueRollback<bool> fitting(m_fitting, true);
  const int last = m_view->header()->count() - 1;
  // The view measures the rows on show and the header's caption.
  for (const int c : std::as_const(m_toFit))
    if (c != last) // the last one stretches
      m_view->resizeColumnToContents(c);
  if (m_view->model() && m_view->model()->rowCount() > 0)
    m_toFit.clear();
}

int TColumnFitter::NeededWidth() const {
  const QHeaderView *header = m_view->header();
  const int last = header->count() - 1;
  int width = 0;
  for (int c = 0; c < last; ++c)
    width += header->sectionSize(c);
  // The tree view's own measure of the rows (public on the item view it is).
  const QAbstractItemView *rows = m_view;
  if (last >= 0)
    width += std::max(header->sectionSizeHint(last), rows->sizeHintForColumn(last));
  const int scrollBar = m_view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_view);
  return width + 2 * m_view->frameWidth() + scrollBar;
}
