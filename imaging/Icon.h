#pragma once

#include "imaging/Graphic.h"

#include <QByteArray>
#include <QImage>

#include <vector>

// An icon picture. It keeps the ICO bytes it was loaded from and writes them back unchanged, so
// icons stored by other programs survive a save byte for byte. It shows one image of the file:
// the one nearest to 32 x 32 (the system's icon size). An icon made from an image (setImage)
// writes a one-image ICO file built from it.
class TIcon : public TGraphic {
public:
  TIcon() = default;
  TIcon(const TIcon &other);
  TIcon &operator=(const TIcon &) = delete;

  [[nodiscard]] QString className() const override { return QStringLiteral("Icon"); }
  // Reads an ICO file from the stream's position to its end. Raises EInvalidGraphic ("Invalid
  // Icon or Cursor") for anything but an icon file whose images lie inside the data, and when
  // the shown image cannot be decoded. On failure the icon keeps its previous content.
  void loadFromStream(QIODevice &stream) override;
  void saveToStream(QIODevice &stream) const override;
  [[nodiscard]] bool empty() const override { return m_bytes.isEmpty() && m_image.isNull(); }
  [[nodiscard]] int width() const override { return m_image.width(); }
  [[nodiscard]] int height() const override { return m_image.height(); }
  // Icons are drawn with their own transparency.
  [[nodiscard]] bool transparent() const override { return true; }
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  // From another icon: shares its bytes and image. From null: empty.
  void assign(const TGraphic *source) override;
  void setWidth(int value) override;
  [[nodiscard]] QImage toImage() const override { return m_image; }

  // The bytes of the ICO file: those loaded, or a one-image file of the image set.
  [[nodiscard]] QByteArray icoBytes() const;
  // The image shown (Format_ARGB32), null when empty.
  [[nodiscard]] const QImage &image() const { return m_image; }
  // Replaces the icon by one image (at most 256 x 256).
  void setImage(const QImage &image);
  // Bits per pixel of the image shown, from its own header.
  [[nodiscard]] int bitCount() const { return m_bitCount; }
  // Every image of the file that decodes, in file order (the shown one for a set image), so a
  // caller building a QIcon on the GUI thread can offer the shell every size.
  [[nodiscard]] std::vector<QImage> images() const;

private:
  QByteArray m_bytes; // the ICO file as loaded; empty for an icon made from an image
  QImage m_image;
  int m_bitCount = 0;
};
