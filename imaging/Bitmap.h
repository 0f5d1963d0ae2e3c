#pragma once

#include "imaging/Dib.h"
#include "imaging/Graphic.h"

#include <QByteArray>

#include <functional>
#include <mutex>

// A bitmap picture over a Dib. Its stream form is a BMP file: a bitmap read from a file writes
// the very bytes it was read from until it is changed; otherwise the writer lays out a standard
// file of the Dib (14-byte file header, 40-byte header, colour table, rows bottom-up).
class TBitmap : public TGraphic {
public:
  enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
  // Automatic: the transparent colour is the bottom-left pixel. Fixed: the colour set.
  enum class TTransparentMode { tmAuto, tmFixed };

  TBitmap() = default;
  explicit TBitmap(Dib dib);
  TBitmap(const TBitmap &other);
  TBitmap &operator=(const TBitmap &) = delete;

  [[nodiscard]] QString className() const override { return QStringLiteral("Bitmap"); }
  // Reads a BMP file from the stream's position to its end.
  void loadFromStream(QIODevice &stream) override;
  void saveToStream(QIODevice &stream) const override;
  [[nodiscard]] bool empty() const override { return m_dib.empty(); }
  [[nodiscard]] int width() const override { return m_dib.width(); }
  [[nodiscard]] int height() const override { return m_dib.height(); }
  // Stretches the picture into the rectangle (nearest neighbour); a transparent bitmap leaves
  // its transparent colour out.
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  void assign(const TGraphic *source) override;
  [[nodiscard]] const TPalette *palette() const override;
  // Resizing keeps the picture's top-left part; new pixels are black (index 0).
  void setWidth(int value) override;
  void setHeight(int value) override;
  void setSize(int width, int height);
  // Both give the picture's alpha when its file declared an alpha mask, else opaque pixels.
  [[nodiscard]] QImage toImage() const override;
  [[nodiscard]] QImage renderScaled(const QSize &size, const QRect &part) const override;

  [[nodiscard]] const Dib &dib() const { return m_dib; }
  void setDib(Dib dib);

  [[nodiscard]] TPixelFormat pixelFormat() const;
  // Converts the pixels (pfDevice means 32 bits here; pf15bit is 16-bit 5-5-5, pf16bit 5-6-5).
  void setPixelFormat(TPixelFormat format);
  [[nodiscard]] bool monochrome() const { return m_dib.bitCount() == 1; }
  // true converts to a black-and-white 1-bit picture; false to 24 bits.
  void setMonochrome(bool value);

  // clDefault when empty; in automatic mode the bottom-left pixel; else the colour set.
  [[nodiscard]] TColor transparentColor() const;
  // clDefault switches to automatic mode, any other colour to fixed mode.
  void setTransparentColor(TColor color);
  [[nodiscard]] TTransparentMode transparentMode() const { return m_transparentMode; }
  void setTransparentMode(TTransparentMode mode);

  // Draws on the picture through a QPainter on a 32-bit copy, then converts back to the
  // bitmap's own depth (nearest palette entries at 8 bits or less). An empty bitmap gets no
  // call. Holds the canvas lock throughout.
  void paint(const std::function<void(QPainter &)> &painter);

  // The canvas lock: held while the picture is drawn or changed by a thread that shares it.
  [[nodiscard]] std::recursive_mutex &canvasLock() const { return m_canvasLock; }

  // The BMP file bytes the bitmap was read from (empty once it has changed).
  [[nodiscard]] const QByteArray &originalBytes() const { return m_original; }

private:
  void replaceDib(Dib dib);

  Dib m_dib;
  QByteArray m_original;
  TColor m_transparentColor = clDefault;
  TTransparentMode m_transparentMode = TTransparentMode::tmAuto;
  mutable std::recursive_mutex m_canvasLock;
};
