#pragma once

#include "imaging/Graphic.h"
#include "platform/Errors.h"

// A picture class for the store tests: its stream form must begin with "PIC", otherwise it
// refuses the data like a real picture class refuses a broken file.
class TStrictTestPicture final : public TGraphic {
public:
  [[nodiscard]] QString className() const override { return QStringLiteral("StrictTestPicture"); }
  void loadFromStream(QIODevice &stream) override {
    const QByteArray data = stream.readAll();
    if (!data.startsWith("PIC"))
      throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    m_data = data;
  }
  void saveToStream(QIODevice &stream) const override { stream.write(m_data); }
  [[nodiscard]] bool empty() const override { return m_data.isEmpty(); }
  [[nodiscard]] int width() const override { return 1; }
  [[nodiscard]] int height() const override { return 1; }
  void draw(QPainter &, const QRect &) const override {}
  [[nodiscard]] std::unique_ptr<TGraphic> clone() const override {
    auto c = std::make_unique<TStrictTestPicture>();
    c->m_data = m_data;
    return c;
  }
  QByteArray m_data;

  static void registerClass() {
    graphics::registerClass(QStringLiteral("StrictTestPicture"),
                            [] { return std::make_unique<TStrictTestPicture>(); });
  }
};
