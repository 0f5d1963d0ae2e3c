#pragma once

#include "imaging/Dib.h"
#include "imaging/Graphic.h"

#include <QByteArray>

// A JPEG picture. It keeps the JPEG file it was loaded from and writes it back unchanged; the
// pixels come from libjpeg-turbo. A file of more than Dib::MaxShownPixels pixels is decoded at the
// largest scale of 1/8 steps that fits, and the picture has that size. A JPEG made from a bitmap is
// compressed when it is written (quality 90).
class TJPEGImage : public TGraphic {
public:
  static constexpr int DefaultQuality = 90;

  TJPEGImage() = default;
  TJPEGImage(const TJPEGImage &other);
  TJPEGImage &operator=(const TJPEGImage &) = delete;

  [[nodiscard]] QString className() const override { return QStringLiteral("JPEGImage"); }
  // Reads a JPEG file from the stream's position to its end and decodes it. Bad data raises
  // EInvalidGraphic ("JPEG error #<code>"); the picture then keeps its previous content.
  void loadFromStream(QIODevice &stream) override;
  void saveToStream(QIODevice &stream) const override;
  [[nodiscard]] bool empty() const override { return m_pixels.empty(); }
  [[nodiscard]] int width() const override { return m_pixels.width(); }
  [[nodiscard]] int height() const override { return m_pixels.height(); }
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] QImage renderScaled(const QSize &size, const QRect &part) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  // From another JPEG: its file. From a bitmap: its pixels, compressed when written. Null: empty.
  void assign(const TGraphic *source) override;
  // A bitmap target takes the decoded pixels.
  bool assignTo(TGraphic &target) const override;
  [[nodiscard]] QImage toImage() const override;

  // The decoded pixels (24 bits per pixel).
  [[nodiscard]] const Dib &pixels() const { return m_pixels; }
  // The JPEG file (compressing the pixels first when the picture came from a bitmap).
  [[nodiscard]] QByteArray jpegBytes() const;

  int compressionQuality = DefaultQuality;

  // The codec itself, usable without a picture object.
  // Decodes a JPEG file into a 24-bit Dib (of at most Dib::MaxShownPixels, scaled down as
  // above); raises EInvalidGraphic ("JPEG error #<code>") on bad data and for files declaring a
  // size beyond the Dib limits.
  [[nodiscard]] static Dib decode(const QByteArray &jpeg);
  // Compresses a picture (any depth) at a quality of 1 to 100.
  [[nodiscard]] static QByteArray encode(const Dib &pixels, int quality);

private:
  QByteArray m_bytes; // the JPEG file; empty while a picture assigned from a bitmap is unwritten
  Dib m_pixels;
};
