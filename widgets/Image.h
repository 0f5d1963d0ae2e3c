#pragma once

#include "imaging/Picture.h"
#include "widgets/ImageControl.h"

// A control that shows one still picture of any registered class: at its own size in the
// top-left corner, or centred in the control. Transparent passes on to the picture (a bitmap then
// leaves out its transparent colour); icons and metafiles keep their own transparency.
//
// The picture is converted for showing once, at the size it is shown and only as far as it can
// be seen (the control and its window cut it), and kept until the picture, its size or the part
// seen changes; a paint only copies it.
class TImage : public TImageControl {
  Q_OBJECT
public:
  explicit TImage(QWidget *parent = nullptr);
  ~TImage() override;

  // The picture, owned by the control; every change of it repaints the control.
  [[nodiscard]] TPicture &picture() { return m_picture; }
  [[nodiscard]] const TPicture &picture() const { return m_picture; }

  [[nodiscard]] bool center() const { return m_center; }
  void setCenter(bool value);
  [[nodiscard]] bool transparent() const { return m_transparent; }
  void setTransparent(bool value);
  // A picture wider or higher than the control is drawn scaled down to fit, keeping its
  // proportions; a smaller one stays at its own size.
  [[nodiscard]] bool shrinkToFit() const { return m_shrinkToFit; }
  void setShrinkToFit(bool value);

  // The picture's own size (0 x 0 when empty).
  [[nodiscard]] QSize pictureSize() const;
  // Where the picture is drawn in the control (empty when there is none).
  [[nodiscard]] QRect pictureRect() const;

  // Test hooks (conversions are counted, never timed): how many times the picture was converted
  // for showing, and the bytes the converted picture holds.
  [[nodiscard]] int conversions() const { return m_conversions; }
  [[nodiscard]] qsizetype heldBytes() const { return m_shown.sizeInBytes(); }

protected:
  void drawImage(QPainter &painter) override;

private:
  void pictureChanged();

  TPicture m_picture;
  // The picture as shown: the part m_shownPart of it drawn at m_shownSize.
  QImage m_shown;
  QSize m_shownSize;
  QRect m_shownPart;
  int m_conversions = 0;
  bool m_center = false;
  bool m_transparent = false;
  bool m_shrinkToFit = false;
};
