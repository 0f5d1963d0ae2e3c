#include "imaging/Picture.h"

#include "platform/Errors.h"

#include <QFileInfo>
#include <QMutex>
#include <QStringList>

#include <vector>

namespace {

struct Format {
  QString extension;
  QString description;
  QString className;
};

QMutex &formatLock() {
  static QMutex m;
  return m;
}

std::vector<Format> &formats() {
  static std::vector<Format> f;
  return f;
}

} // namespace

TPicture::~TPicture() {
  if (m_graphic)
    m_graphic->onChange = nullptr;
}

void TPicture::setGraphic(const TGraphic *graphic) {
  takeGraphic(graphic ? graphic->clone() : nullptr);
}

void TPicture::takeGraphic(std::unique_ptr<TGraphic> graphic) {
  if (m_graphic)
    m_graphic->onChange = nullptr;
  m_graphic = std::move(graphic);
  bind();
  changed();
}

void TPicture::assign(const TPicture *source) {
  if (source == this)
    return;
  setGraphic(source ? source->graphic() : nullptr);
}

void TPicture::draw(QPainter &painter, const QRect &rect) const {
  if (m_graphic && !m_graphic->empty())
    m_graphic->draw(painter, rect);
}

void TPicture::loadFromFile(const QString &fileName) {
  const QString ext = QFileInfo(fileName).suffix();
  const QString className = classForExtension(ext);
  if (className.isEmpty())
    throw EInvalidGraphic(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
  std::unique_ptr<TGraphic> g = graphics::create(className);
  g->loadFromFile(fileName);
  takeGraphic(std::move(g));
}

void TPicture::saveToFile(const QString &fileName) const {
  if (m_graphic && !m_graphic->empty())
    m_graphic->saveToFile(fileName);
}

void TPicture::bind() {
  if (m_graphic)
    m_graphic->onChange = [this] { changed(); };
}

void TPicture::changed() {
  if (onChange)
    onChange();
}

void TPicture::registerFileFormat(const QString &extension, const QString &description,
                                  const QString &className) {
  QMutexLocker l(&formatLock());
  for (Format &f : formats())
    if (f.extension.compare(extension, Qt::CaseInsensitive) == 0) {
      f = {extension.toLower(), description, className};
      return;
    }
  formats().push_back({extension.toLower(), description, className});
}

QString TPicture::classForExtension(const QString &extension) {
  QMutexLocker l(&formatLock());
  for (const Format &f : formats())
    if (f.extension.compare(extension, Qt::CaseInsensitive) == 0)
      return f.className;
  return {};
}

QString TPicture::fileFilter() {
  QMutexLocker l(&formatLock());
  QStringList parts;
  for (const Format &f : formats())
    parts << QStringLiteral("%1 (*.%2)").arg(f.description, f.extension);
  return parts.join(QStringLiteral(";;"));
}
