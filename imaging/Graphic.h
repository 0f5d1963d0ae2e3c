#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class TPalette;

// The base of every picture class: something that loads from and saves to its own stream form,
// knows its size and draws itself. Worker threads may draw, so implementations paint into the
// QPainter they are given and keep no QPixmap.
class TGraphic {
public:
  virtual ~TGraphic() = default;

  // The class name as the store writes it: the class name without its leading "T"
  // ("Bitmap", "Icon", "JPEGImage", "GIFImage", "Metafile", "IconList").
  [[nodiscard]] virtual QString className() const = 0;

  // Replaces the picture with the one the stream holds from its current position.
  // Raises the format's own error on bad data.
  virtual void loadFromStream(QIODevice &stream) = 0;
  // Writes the picture's stream form at the stream's position.
  virtual void saveToStream(QIODevice &stream) const = 0;

  [[nodiscard]] virtual bool empty() const = 0;
  [[nodiscard]] virtual int width() const = 0;
  [[nodiscard]] virtual int height() const = 0;
  virtual void draw(QPainter &painter, const QRect &rect) const = 0;
  [[nodiscard]] virtual std::unique_ptr<TGraphic> clone() const = 0;

  [[nodiscard]] virtual bool transparent() const { return m_transparent; }
  virtual void setTransparent(bool value);

  // Takes a copy of another picture. A null source empties the picture. The default asks the
  // source to give itself (assignTo) and otherwise raises "Cannot assign a %s to a %s".
  virtual void assign(const TGraphic *source);
  // Gives this picture to a graphic of another class; false when it cannot.
  virtual bool assignTo(TGraphic &target) const;
  // The colour table of a paletted picture, or null.
  [[nodiscard]] virtual const TPalette *palette() const { return nullptr; }
  // Resizing; the default refuses with EInvalidGraphicOperation.
  virtual void setWidth(int value);
  virtual void setHeight(int value);
  // The picture drawn at its own size on a transparent Format_ARGB32 image (null when empty).
  [[nodiscard]] virtual QImage toImage() const;
  // What draw() paints into the rectangle (0, 0, size), cut to `part` of it: an image of part's
  // size (within size), transparent wherever the picture leaves the background; null when there
  // is nothing to draw. The default paints through draw(); the raster classes convert only the
  // pixels that land in `part`, so a huge picture shown small costs what is shown.
  [[nodiscard]] virtual QImage renderScaled(const QSize &size, const QRect &part) const;
  // The same class and the same stream form.
  [[nodiscard]] virtual bool equals(const TGraphic &other) const;
  // The class name as the class library writes it ("TBitmap"), for error texts.
  [[nodiscard]] QString typeName() const { return QStringLiteral("T") + className(); }

  // Called after every change of the picture.
  std::function<void()> onChange;

  // Convenience forms over the stream operations.
  void loadFromBytes(const QByteArray &data);
  [[nodiscard]] QByteArray saveToBytes() const;
  void loadFromFile(const QString &fileName);
  void saveToFile(const QString &fileName) const;

protected:
  void changed();

private:
  bool m_transparent = false;
};

// A picture of a class this program cannot show (or does not know): its bytes are kept exactly,
// so a stored picture is never lost; it draws nothing.
class TOpaqueGraphic final : public TGraphic {
public:
  TOpaqueGraphic(QString className, QByteArray data = {})
      : m_className(std::move(className)), m_data(std::move(data)) {}

  [[nodiscard]] QString className() const override { return m_className; }
  void loadFromStream(QIODevice &stream) override;
  void saveToStream(QIODevice &stream) const override;
  [[nodiscard]] bool empty() const override { return m_data.isEmpty(); }
  [[nodiscard]] int width() const override { return 0; }
  [[nodiscard]] int height() const override { return 0; }
  void draw(QPainter &, const QRect &) const override {}
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override;
  [[nodiscard]] const QByteArray &data() const { return m_data; }

private:
  QString m_className;
  QByteArray m_data;
};

// Picture classes by stored class name. Each picture class registers a factory at start-up;
// a name nobody registered gives a TOpaqueGraphic of that name.
// Raises EConvertError "Cannot assign a <source> to a <target>" (class names with their "T";
// "nil" for no source).
[[noreturn]] void RaiseAssignError(const QString &sourceType, const QString &targetType);

namespace graphics {

using Factory = std::function<std::unique_ptr<TGraphic>()>;

void registerClass(const QString &className, Factory factory);
[[nodiscard]] bool isRegistered(const QString &className);
// A new empty picture of the class; a TOpaqueGraphic when the class is not registered.
[[nodiscard]] std::unique_ptr<TGraphic> create(const QString &className);

} // namespace graphics
