#pragma once

#include "imaging/Graphic.h"

#include <QByteArray>

// A Windows metafile (WMF, placeable WMF or EMF). Linux has no renderer for these, so the
// picture keeps its bytes exactly (a stored metafile survives every save) and draws only an empty
// frame of its size. The size comes from the file's own header where it has one.
class TMetafile : public TGraphic {
public:
  TMetafile() = default;
  TMetafile(const TMetafile &other);
  TMetafile &operator=(const TMetafile &) = delete;

  [[nodiscard]] QString className() const override { return QStringLiteral("Metafile"); }
  // Reads the metafile from the stream's position to its end. Bytes whose header is not
  // recognised are kept as they are (with size 0).
  void loadFromStream(QIODevice &stream) override;
  void saveToStream(QIODevice &stream) const override;
  [[nodiscard]] bool empty() const override { return m_bytes.isEmpty(); }
  [[nodiscard]] int width() const override { return m_width; }
  [[nodiscard]] int height() const override { return m_height; }
  [[nodiscard]] bool transparent() const override { return true; }
  // An empty grey frame: the contents cannot be rendered here.
  void draw(QPainter &painter, const QRect &rect) const override;
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  void assign(const TGraphic *source) override;

  // Whether the bytes are an enhanced metafile (EMF) rather than a WMF.
  [[nodiscard]] bool enhanced() const { return m_enhanced; }
  [[nodiscard]] const QByteArray &bytes() const { return m_bytes; }

private:
  QByteArray m_bytes;
  int m_width = 0;
  int m_height = 0;
  bool m_enhanced = false;
};
