#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;
class TPictureGridControl;

// The captions along one side of a picture grid, each kept over or beside the cell it names:
// horizontal labels stand over the columns (the day numbers), vertical ones left of the rows (the
// names of months and week days). The grid's cells do not fill it exactly (the cell size is the
// control's size divided by the count), so labels spread over the control would drift away from
// their cells; these follow the cells whenever the grid or the labels move or change size.
//
// Put the widget beside the grid (above it for columns, left of it for rows) in the same layout.
// The labels have no object names: they carry no language-file key.
class TGridLabels : public QWidget {
  Q_OBJECT
public:
  TGridLabels(TPictureGridControl *grid, Qt::Orientation orientation, QWidget *parent = nullptr);
  ~TGridLabels() override;

  // One text a cell, from the first column (row) on; cells beyond the texts stay unlabelled.
  void setTexts(const QStringList &texts);
  [[nodiscard]] const QList<QLabel *> &labels() const { return m_labels; }

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  void place();

  // The grid, and a guard that is cleared when it goes. The guard is of the base class: the
  // grid's events still arrive while its QWidget part is being destroyed.
  TPictureGridControl *m_grid;
  QPointer<QWidget> m_gridAlive;
  Qt::Orientation m_orientation;
  QList<QLabel *> m_labels;
};
