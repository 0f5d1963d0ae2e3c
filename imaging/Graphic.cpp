#include "imaging/Graphic.h"

#include "platform/Errors.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QMutex>

void TGraphic::setTransparent(bool value) {
  if (m_transparent == value)
    return;
  m_transparent = value;
  changed();
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
  factories().insert(className, std::move(factory));
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
