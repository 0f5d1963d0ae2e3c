#include "imaging/Icon.h"

#include "imaging/ByteIO.h"
#include "imaging/IcoFile.h"
#include "platform/Errors.h"

#include <QPainter>

TIcon::TIcon(const TIcon &other)
    : TGraphic(), m_bytes(other.m_bytes), m_image(other.m_image), m_bitCount(other.m_bitCount) {}

void TIcon::loadFromStream(QIODevice &stream) {
  const QByteArray bytes = stream.readAll();
  const icofile::Directory dir = icofile::parse(bytes, 1);
  const icofile::Image shown =
      icofile::decode(bytes, dir.entries[std::size_t(icofile::preferredEntry(bytes, dir))]);
  m_bytes = bytes;
  m_image = shown.image;
  m_bitCount = shown.bitCount;
  changed();
}

void TIcon::saveToStream(QIODevice &stream) const {
  if (empty())
    return;
  byteio::writeAll(stream, icoBytes());
}

QByteArray TIcon::icoBytes() const {
  if (!m_bytes.isEmpty() || m_image.isNull())
    return m_bytes;
  return icofile::build(m_image);
}

void TIcon::draw(QPainter &painter, const QRect &rect) const {
  if (m_image.isNull() || rect.isEmpty())
    return;
  painter.drawImage(rect, m_image);
}

std::unique_ptr<TGraphic> TIcon::clone() const { return std::make_unique<TIcon>(*this); }

void TIcon::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    m_bytes.clear();
    m_image = QImage();
    m_bitCount = 0;
    changed();
    return;
  }
  if (const auto *icon = dynamic_cast<const TIcon *>(source)) {
    m_bytes = icon->m_bytes;
    m_image = icon->m_image;
    m_bitCount = icon->m_bitCount;
    changed();
    return;
  }
  TGraphic::assign(source);
}

void TIcon::setWidth(int) {
  throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of an icon"));
}

void TIcon::setImage(const QImage &image) {
  if (!image.isNull() && (image.width() > 256 || image.height() > 256))
    throw EInvalidGraphic(icofile::InvalidText);
  m_bytes.clear();
  m_image = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
  m_bitCount = m_image.isNull() ? 0 : 32;
  changed();
}

std::vector<QImage> TIcon::images() const {
  std::vector<QImage> out;
  if (m_bytes.isEmpty()) {
    if (!m_image.isNull())
      out.push_back(m_image);
    return out;
  }
  try {
    const icofile::Directory dir = icofile::parse(m_bytes, 1);
    for (const icofile::Entry &e : dir.entries) {
      try {
        out.push_back(icofile::decode(m_bytes, e).image);
      } catch (const EInvalidGraphic &) {
        // An image that does not decode is left out; the shown one decoded at load.
      }
    }
  } catch (const EInvalidGraphic &) {
    out.push_back(m_image);
  }
  return out;
}
