#include "imaging/GIFImage.h"

#include "imaging/Bitmap.h"
#include "imaging/ByteIO.h"
#include "imaging/GIFReader.h"
#include "imaging/GIFWriter.h"
#include "imaging/Picture.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

bool LoadCorrupted = true;

TGIFImage::TGIFImage() { TGraphic::setTransparent(true); }

TGIFImage::~TGIFImage() = default;

TGIFImage::TGIFImage(const TGIFImage &other) : TGIFImage() { assign(&other); }

void TGIFImage::reset() {
  m_record = TGIFImageRecord{};
  m_frames.clear();
  m_frameIndex = -1;
}

void TGIFImage::read(std::span<const uint8_t> bytes, bool decodeNow) {
  reset();
  std::vector<TGIFFrameRecord> records;
  auto adopt = [&] {
    for (TGIFFrameRecord &r : records)
      m_frames.push_back(std::make_unique<TGIFFrame>(this, std::move(r)));
    records.clear();
    if (!m_frames.empty())
      m_frameIndex = 0;
  };
  try {
    ReadGIF(bytes, m_record, records, LoadCorrupted);
  } catch (...) {
    // What was read before the failure stays.
    adopt();
    throw;
  }
  adopt();
  if (!m_frames.empty() && decodeNow) {
    try {
      (void)m_frames.front()->bitmap();
    } catch (...) {
      m_frames.erase(m_frames.begin());
      throw;
    }
  }
  m_paletteModified = true;
  changed();
}

void TGIFImage::loadFromStream(QIODevice &stream) {
  const QByteArray bytes = stream.readAll();
  read(std::span(reinterpret_cast<const uint8_t *>(bytes.constData()),
                 static_cast<std::size_t>(bytes.size())));
}

void TGIFImage::readData(QIODevice &stream) {
  const int32_t count = byteio::readI32(stream);
  if (count < 0)
    throw EReadError();
  const QByteArray bytes = byteio::readExact(stream, count);
  read(std::span(reinterpret_cast<const uint8_t *>(bytes.constData()),
                 static_cast<std::size_t>(bytes.size())));
}

std::vector<uint8_t> TGIFImage::write() {
  if (m_frames.empty())
    throw EInvalidGraphicOperation(QStringLiteral("No GIF Data to write"));
  const GIFProgress *progress = onProgress ? &onProgress : nullptr;
  std::vector<TGIFFrameRecord *> records;
  for (auto &f : m_frames) {
    if (f->Item->Encoded.empty())
      f->compress(progress);
    UpdateGraphicControl(*f);
    records.push_back(f.get());
  }
  return WriteGIF(m_record, records);
}

void TGIFImage::writeTo(QIODevice &stream, bool sizePrefix) {
  const std::vector<uint8_t> bytes = write();
  QByteArray out;
  out.reserve(static_cast<qsizetype>(bytes.size()) + 4);
  if (sizePrefix)
    byteio::putI32(out, static_cast<int32_t>(bytes.size()));
  out.append(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  byteio::writeAll(stream, out);
}

// Writing compresses frames and updates extensions, version and screen size: work the image
// keeps. The stream interface takes the image as const; images are never const objects.
void TGIFImage::saveToStream(QIODevice &stream) const {
  const_cast<TGIFImage *>(this)->writeTo(stream, false);
}

void TGIFImage::writeData(QIODevice &stream) { writeTo(stream, true); }

bool TGIFImage::empty() const {
  if (m_frames.empty())
    return true;
  const auto index = static_cast<std::size_t>(std::max(m_frameIndex, 0));
  if (index >= m_frames.size())
    return true;
  const TGIFFrame &f = *m_frames[index];
  if (f.hasBitmap())
    return false;
  return f.Item->Encoded.empty();
}

int TGIFImage::width() const {
  if (empty() || m_frameIndex < 0 || m_frameIndex >= frameCount())
    return 0;
  return frame(m_frameIndex).width();
}

int TGIFImage::height() const {
  if (empty() || m_frameIndex < 0 || m_frameIndex >= frameCount())
    return 0;
  return frame(m_frameIndex).height();
}

void TGIFImage::draw(QPainter &painter, const QRect &rect) const {
  if (m_frameIndex >= 0 && m_frameIndex < frameCount())
    frame(m_frameIndex).draw(painter, rect, transparent());
}

QImage TGIFImage::renderScaled(const QSize &size, const QRect &part) const {
  if (m_frameIndex < 0 || m_frameIndex >= frameCount())
    return {};
  return frame(m_frameIndex).toImage(transparent(), size, part);
}

std::unique_ptr<TGraphic> TGIFImage::clone() const { return std::make_unique<TGIFImage>(*this); }

void TGIFImage::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    reset();
    changed();
    return;
  }
  if (const auto *other = dynamic_cast<const TGIFImage *>(source)) {
    m_record.Data = other->m_record.Data;
    m_record.Version = other->m_record.Version;
    m_record.BackgroundColor = other->m_record.BackgroundColor;
    m_record.RepeatCount = other->m_record.RepeatCount;
    m_record.Looping = other->m_record.Looping;
    m_frames.clear();
    for (const auto &sourceFrame : other->m_frames) {
      auto f = std::make_unique<TGIFFrame>(this);
      f->copyFrom(*sourceFrame, false);
      f->LocalColors = sourceFrame->LocalColors;
      m_frames.push_back(std::move(f));
    }
    m_record.ScreenWidth = other->m_record.ScreenWidth;
    m_record.ScreenHeight = other->m_record.ScreenHeight;
    m_frameIndex = other->m_frameIndex;
    changed();
    return;
  }
  if (const auto *bitmap = dynamic_cast<const TBitmap *>(source)) {
    reset();
    addFrame(bitmap);
    changed();
    return;
  }
  if (const auto *cursor = dynamic_cast<const TGIFCursorSource *>(source)) {
    reset();
    m_record.BackgroundColor = clWindow;
    for (int i = 0; i < cursor->gifIconCount(); ++i) {
      const int index = addFrame(&cursor->gifIcon(i));
      // Display rates are in sixtieths of a second; the delay saturates at 16 bits.
      const int64_t ms = int64_t{std::max(cursor->gifIconRate(i), 0)} * 100 / 6;
      frame(index).Delay = static_cast<uint16_t>(std::min<int64_t>(ms, 65535));
    }
    changed();
    return;
  }
  TGraphic::assign(source);
}

void TGIFImage::assign(const TGIFFrame &source) {
  // The frame may be one of this image's own: take all of it before the frames go.
  TGIFFrame snapshot(nullptr);
  snapshot.copyFrom(source, true);
  const bool sameImage = source.owner() == this;
  TGIFData data;
  if (const TGIFImage *owner = source.owner()) {
    data.AspectRatio = owner->data().AspectRatio;
    data.BitsPerPixel = owner->data().BitsPerPixel;
    data.ColorResolution = owner->data().ColorResolution;
    data.GlobalColors = owner->data().GlobalColors;
  }
  reset();
  *m_record.Data = std::move(data);
  auto f = std::make_unique<TGIFFrame>(this);
  f->copyFrom(snapshot, sameImage);
  m_frames.push_back(std::move(f));
  m_frameIndex = 0;
  if (m_record.Version == 0)
    m_record.Version = 1;
  updateScreenSize();
  changed();
}

bool TGIFImage::assignTo(TGraphic &target) const {
  if (auto *image = dynamic_cast<TGIFImage *>(&target)) {
    image->assign(this);
    return true;
  }
  if (m_frames.empty())
    return true;
  if (m_frameIndex < 0 || m_frameIndex >= frameCount()) {
    target.assign(&frame(0).bitmap());
    return true;
  }
  frame(m_frameIndex).assignTo(target);
  return true;
}

const TPalette *TGIFImage::palette() const {
  if (m_frames.empty())
    return nullptr;
  const int index = m_frameIndex >= 0 && m_frameIndex < frameCount() ? m_frameIndex : 0;
  try {
    return frame(index).bitmap().palette();
  } catch (const std::exception &) {
    return nullptr;
  }
}

void TGIFImage::setWidth(int) {
  throw EInvalidGraphicOperation(QStringLiteral("Cannot change the Size of a GIF image"));
}

void TGIFImage::setHeight(int value) { setWidth(value); }

bool TGIFImage::transparent() const {
  return TGraphic::transparent() &&
         std::any_of(m_frames.begin(), m_frames.end(),
                     [](const auto &f) { return f->TransparentColor != clNone; });
}

bool TGIFImage::equals(const TGraphic &other) const {
  const auto *image = dynamic_cast<const TGIFImage *>(&other);
  return image && image->m_record.Data == m_record.Data;
}

void TGIFImage::clear() { assign(static_cast<const TGraphic *>(nullptr)); }

int TGIFImage::addFrame(const TGraphic *graphic) {
  const int previousIndex = m_frameIndex;
  m_frames.push_back(std::make_unique<TGIFFrame>(this));
  m_frameIndex = frameCount() - 1;
  try {
    m_frames.back()->assign(graphic);
  } catch (...) {
    m_frames.pop_back();
    m_frameIndex = previousIndex;
    throw;
  }
  if (m_record.Version == 0)
    m_record.Version = 1;
  if (frameCount() > 1)
    m_record.Version = 2;
  return m_frameIndex;
}

int TGIFImage::addFrame(const TGIFFrame &source) {
  TGIFFrame snapshot(nullptr);
  snapshot.copyFrom(source, true);
  const bool sameImage = source.owner() == this;
  m_frames.push_back(std::make_unique<TGIFFrame>(this));
  m_frameIndex = frameCount() - 1;
  m_frames.back()->copyFrom(snapshot, sameImage);
  updateScreenSize();
  if (m_record.Version == 0)
    m_record.Version = 1;
  if (frameCount() > 1)
    m_record.Version = 2;
  return m_frameIndex;
}

TBitmap &TGIFImage::bitmap() {
  if (m_frames.empty()) {
    const TBitmap empty;
    assign(&empty);
    m_frameIndex = 0;
  }
  const int index = m_frameIndex >= 0 && m_frameIndex < frameCount() ? m_frameIndex : 0;
  return frame(index).bitmap();
}

void TGIFImage::updateScreenSize() {
  int w = 0;
  int h = 0;
  for (const auto &f : m_frames) {
    w = std::max(w, f->Left + f->width());
    h = std::max(h, f->Top + f->height());
  }
  m_record.ScreenWidth = w;
  m_record.ScreenHeight = h;
}

void TGIFImage::growScreen(int right, int bottom) {
  m_record.ScreenWidth = std::max(m_record.ScreenWidth, right);
  m_record.ScreenHeight = std::max(m_record.ScreenHeight, bottom);
}

void TGIFImage::makeRoomFor(std::int64_t pixels, const TGIFFrame *decoding) {
  std::int64_t held = 0;
  std::size_t at = 0;
  for (std::size_t i = 0; i < m_frames.size(); ++i) {
    if (m_frames[i].get() == decoding)
      at = i;
    else
      held += m_frames[i]->decodedPixels();
  }
  // The frames just before the one being decoded go first: an animation playing in order needs
  // them again last. Pictures that were given to the image, not decoded, always stay.
  const std::size_t n = m_frames.size();
  for (std::size_t k = 1; k < n && held + pixels > GIFMaxPixels; ++k) {
    TGIFFrame &f = *m_frames[(at + n - k) % n];
    if (const std::int64_t decoded = f.decodedPixels(); decoded > 0) {
      held -= decoded;
      f.dropDecoded();
    }
  }
}

void TGIFImage::adoptGlobalTable(const TGIFColorTable &table, int bits) {
  m_record.Data->GlobalColors = table;
  m_record.Data->BitsPerPixel = static_cast<uint8_t>(bits);
}

void TGIFImage::saveToClipboard() const {
  if (m_frames.empty() || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
    return;
  auto mime = std::make_unique<QMimeData>();
  mime->setImageData(frame(0).toImage(false));
  const bool allEncoded = std::all_of(m_frames.begin(), m_frames.end(),
                                      [](const auto &f) { return !f->Item->Encoded.empty(); });
  if (allEncoded) {
    try {
      QBuffer buffer;
      buffer.open(QIODevice::WriteOnly);
      const_cast<TGIFImage *>(this)->writeData(buffer);
      mime->setData(GIFClipboardMimeType, buffer.data());
    } catch (const ETolvaneError &) {
      // The picture still goes on the clipboard as an image.
    }
  }
  QGuiApplication::clipboard()->setMimeData(mime.release());
}

bool TGIFImage::loadFromClipboard() {
  if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
    return false;
  const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
  if (!mime)
    return false;
  const QImage image = mime->hasImage() ? qvariant_cast<QImage>(mime->imageData()) : QImage();
  if (mime->hasFormat(GIFClipboardMimeType)) {
    QByteArray data = mime->data(GIFClipboardMimeType);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const int32_t count = byteio::readI32(buffer);
    if (count < 0)
      throw EReadError();
    const QByteArray bytes = byteio::readExact(buffer, count);
    read(std::span(reinterpret_cast<const uint8_t *>(bytes.constData()),
                   static_cast<std::size_t>(bytes.size())),
         false);
    if (!m_frames.empty()) {
      m_frameIndex = 0;
      if (!image.isNull())
        m_frames.front()->setBitmap(TBitmap(Dib::fromQImage(image)));
    }
    return true;
  }
  if (image.isNull())
    return false;
  const TBitmap bitmap(Dib::fromQImage(image));
  assign(&bitmap);
  return true;
}

void RegisterGIFImage() {
  graphics::registerClass(QStringLiteral("GIFImage"), [] { return std::make_unique<TGIFImage>(); });
  TPicture::registerFileFormat(QStringLiteral("gif"), QStringLiteral("CompuServe GIF Image"),
                               QStringLiteral("GIFImage"));
}
