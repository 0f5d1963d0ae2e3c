#include "widgets/Image.h"

#include <QPainter>

namespace {

// Icons are transparent by nature and a metafile draws only its own strokes, so the switch
// means something only for the raster classes.
bool keepsOwnTransparency(const TGraphic &g) {
  const QString name = g.className();
  return name == QLatin1String("Icon") || name == QLatin1String("Metafile");
}

} // namespace

TImage::TImage(QWidget *parent) : TImageControl(parent) {
  m_picture.onChange = [this] { pictureChanged(); };
}

TImage::~TImage() {
  m_destroying = true;
  m_picture.onChange = nullptr;
  m_graphic = nullptr;
}

void TImage::setCenter(bool value) {
  if (m_center == value)
    return;
  m_center = value;
  update();
}

void TImage::setTransparent(bool value) {
  if (m_transparent == value)
    return;
  m_transparent = value;
  pictureChanged();
}

void TImage::setShrinkToFit(bool value) {
  if (m_shrinkToFit == value)
    return;
  m_shrinkToFit = value;
  update();
}

QSize TImage::pictureSize() const {
  if (m_picture.empty())
    return {0, 0};
  return {m_picture.width(), m_picture.height()};
}

void TImage::pictureChanged() {
  if (m_destroying)
    return;
  m_graphic = m_picture.graphic();
  m_shown = QImage();
  m_shownSize = QSize();
  m_shownPart = QRect();
  // Setting the flag reports a change only when it differs, so this comes back here at most once.
  if (m_graphic && !keepsOwnTransparency(*m_graphic))
    m_graphic->setTransparent(m_transparent);
  graphicChanged();
}

QRect TImage::pictureRect() const {
  if (m_picture.empty())
    return {};
  QSize size = pictureSize();
  if (m_shrinkToFit && (size.width() > width() || size.height() > height()))
    size = size.scaled(this->size(), Qt::KeepAspectRatio);
  QPoint at(0, 0);
  if (m_center)
    at = QPoint((width() - size.width()) / 2, (height() - size.height()) / 2);
  return {at, size};
}

// Every paint once converted the whole picture (a file of 84 bytes declaring 8000 x 8000 pixels
// took a second), however little of it showed. Now the part that can be seen is converted once.
void TImage::drawImage(QPainter &painter) {
  if (m_picture.empty())
    return;
  const QRect target = pictureRect();
  const QRect seen = (visibleRegion().boundingRect() | paintedRect()) & rect();
  const QRect wanted = (seen & target).translated(-target.topLeft());
  if (wanted.isEmpty())
    return;
  if (m_shownSize != target.size() || !m_shownPart.contains(wanted)) {
    m_shown = QImage(); // before the new one is made, so the two are never held at once
    m_shown = m_picture.graphic()->renderScaled(target.size(), wanted);
    m_shownSize = target.size();
    m_shownPart = wanted;
    ++m_conversions;
  }
  if (!m_shown.isNull())
    painter.drawImage(target.topLeft() + m_shownPart.topLeft(), m_shown);
}
