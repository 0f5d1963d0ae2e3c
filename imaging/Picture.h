#pragma once

#include "imaging/Graphic.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPainter;

// A holder of one picture of any registered class, loaded from files by their extension (bmp,
// ico, jpg/jpeg, wmf/emf, and gif once the GIF class registers itself). It owns its graphic and
// reports every change of it through onChange.
class TPicture {
public:
  TPicture() = default;
  ~TPicture();
  TPicture(const TPicture &) = delete;
  TPicture &operator=(const TPicture &) = delete;

  // The picture held, or null.
  [[nodiscard]] TGraphic *graphic() const { return m_graphic.get(); }
  // Holds a copy of the graphic (null empties the picture).
  void setGraphic(const TGraphic *graphic);
  // Holds the graphic itself.
  void takeGraphic(std::unique_ptr<TGraphic> graphic);
  // Copies another picture's graphic (null empties the picture).
  void assign(const TPicture *source);

  [[nodiscard]] bool empty() const { return !m_graphic || m_graphic->empty(); }
  [[nodiscard]] int width() const { return m_graphic ? m_graphic->width() : 0; }
  [[nodiscard]] int height() const { return m_graphic ? m_graphic->height() : 0; }
  void draw(QPainter &painter, const QRect &rect) const;

  // Loads a file by its extension (any case). An extension nobody registered raises
  // EInvalidGraphic ("Unknown picture file extension (.xyz)"); a file that fails to load leaves
  // the picture as it was.
  void loadFromFile(const QString &fileName);
  // Writes the graphic's stream form; nothing for an empty picture.
  void saveToFile(const QString &fileName) const;

  std::function<void()> onChange;

  // Binds a file extension (without the dot) to a registered class name.
  static void registerFileFormat(const QString &extension, const QString &description,
                                 const QString &className);
  // The class for an extension, or empty.
  [[nodiscard]] static QString classForExtension(const QString &extension);
  // An open-dialog filter of every registered format ("Description (*.ext)" joined by ";;").
  [[nodiscard]] static QString fileFilter();

private:
  void bind();
  void changed();

  std::unique_ptr<TGraphic> m_graphic;
};
