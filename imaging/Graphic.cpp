#include "imaging/Graphic.h"

#include "platform/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QPainter>

void TGraphic::setTransparent(bool value) {
  if (m_transparent == value)
    return;
  m_transparent = value;
  changed();
}

void TGraphic::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source || !source->assignTo(*this))
    RaiseAssignError(source ? source->typeName() : QStringLiteral("nil"), typeName());
}

bool TGraphic::assignTo(TGraphic &) const { return false; }

void TGraphic::setWidth(int) {
  throw EInvalidGraphicOperation(QStringLiteral("Cannot change the size of a %1").arg(typeName()));
}

void TGraphic::setHeight(int value) { setWidth(value); }

QImage TGraphic::toImage() const {
  if (empty() || width() <= 0 || height() <= 0)
    return {};
  QImage image(width(), height(), QImage::Format_ARGB32);
  if (image.isNull())
    return {};
  image.fill(Qt::transparent);
  QPainter p(&image);
  draw(p, QRect(0, 0, width(), height()));
  return image;
}

QImage TGraphic::renderScaled(const QSize &size, const QRect &part) const {
  const QRect cut = part & QRect(QPoint(0, 0), size);
  if (empty() || cut.isEmpty())
    return {};
  QImage image(cut.size(), QImage::Format_ARGB32_Premultiplied);
  if (image.isNull())
    return {};
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.translate(-cut.topLeft());
  draw(p, QRect(QPoint(0, 0), size));
  return image;
}

bool TGraphic::equals(const TGraphic &other) const {
  if (&other == this)
    return true;
  return other.className() == className() && other.empty() == empty() &&
         other.saveToBytes() == saveToBytes();
}

void RaiseAssignError(const QString &sourceType, const QString &targetType) {
  throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(sourceType, targetType));
}

void TGraphic::changed() {
  if (onChange)
    onChange();
}

void TGraphic::loadFromBytes(const QByteArray &data) {
  QByteArray copy = data;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  loadFromStream(buffer);
}

QByteArray TGraphic::saveToBytes() const {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  saveToStream(buffer);
  return out;
}

void TGraphic::loadFromFile(const QString &fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString()));
  loadFromStream(f);
}

void TGraphic::saveToFile(const QString &fileName) const {
  QFile f(fileName);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EFileError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, f.errorString()));
  saveToStream(f);
  if (!f.flush())
    throw EFileError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, f.errorString()));
}

void TOpaqueGraphic::loadFromStream(QIODevice &stream) {
  m_data = stream.readAll();
  changed();
}

void TOpaqueGraphic::saveToStream(QIODevice &stream) const {
  if (stream.write(m_data) != m_data.size())
    throw EFileError(QStringLiteral("Cannot write picture data. %1").arg(stream.errorString()));
}

std::unique_ptr<TGraphic> TOpaqueGraphic::clone() const {
  auto copy = std::make_unique<TOpaqueGraphic>(m_className, m_data);
  copy->setTransparent(transparent());
  return copy;
}

namespace graphics {
namespace {

QMutex &lock() {
  static QMutex m;
  return m;
}

QHash<QString, Factory> &factories() {
  static QHash<QString, Factory> f;
  return f;
}

} // namespace

void registerClass(const QString &className, Factory factory) {
  QMutexLocker l(&lock());
  factories()[className] = std::move(factory); // QHash::insert would copy it
}

bool isRegistered(const QString &className) {
  QMutexLocker l(&lock());
  return factories().contains(className);
}

std::unique_ptr<TGraphic> create(const QString &className) {
  Factory f;
  {
    QMutexLocker l(&lock());
    f = factories().value(className);
  }
  if (f)
    return f();
  return std::make_unique<TOpaqueGraphic>(className);
}

} // namespace graphics
