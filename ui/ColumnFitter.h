#pragma once

#include <QObject>
#include <QSet>

class QTreeView;

// Sizes the columns of a report list to what they show until the user sizes them: a column
// without a saved width is fitted to its header and to the rows on show, each time rows come,
// until rows were there to measure; a column the user drags, or one with a saved width, keeps its
// width. The last column takes what the others leave of the list's width.
class TColumnFitter : public QObject {
public:
  explicit TColumnFitter(QTreeView *view);

  // Sets a column's width from the settings (saved = true) or its default, which is fitted.
  void SetWidth(int column, int width, bool saved);
  // Fits the columns still to fit to the header and the rows on show.
  void Fit();
  // Fits again every column the user has not sized: the captions changed (another language).
  void Refit();
  // The list's width that shows every column whole, the last one's contents and caption included.
  [[nodiscard]] int NeededWidth() const;

private:
  QTreeView *m_view;
  QSet<int> m_toFit;
  QSet<int> m_userSized; // saved or dragged widths
  bool m_fitting = false;
};
