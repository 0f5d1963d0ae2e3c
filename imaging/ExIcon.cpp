#include "imaging/ExIcon.h"

#include "imaging/Bitmap.h"
#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"
#include "imaging/IcoFile.h"
#include "imaging/RangeError.h"
#include "platform/Errors.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

namespace {

constexpr int SystemIconSize = 32;
constexpr int MaxImageSize = 256;
const QString BmpMime = QStringLiteral("image/bmp");
const QString UnsupportedClipboardText = QStringLiteral("Unsupported clipboard format");

const std::uint8_t *bytesOf(const QByteArray &a) {
  return reinterpret_cast<const std::uint8_t *>(a.constData());
}

// A directory's size byte: 0 stands for 256, nothing larger fits.
std::uint8_t directorySize(int value) {
  if (value < 0 || value > MaxImageSize)
    throw ERangeError();
  return std::uint8_t(value == MaxImageSize ? 0 : value);
}

// The size a directory's 0 stands for.
int effectiveSize(int value) { return value == 0 ? MaxImageSize : value; }

// Colour count and bit count a directory entry gives for a depth code.
std::pair<int, int> directoryCounts(std::uint8_t depthCode) {
  switch (depthCode) {
  case exicon::Depth1:
    return {2, 0};
  case exicon::Depth4:
    return {16, 0};
  case exicon::Depth8:
    return {0, 8};
  case exicon::Depth16BitFields:
    return {0, 16};
  case exicon::Depth24:
    return {0, 24};
  case exicon::Depth32:
    return {0, 32};
  default:
    throw EInvalidGraphic(icofile::InvalidText);
  }
}

void putEntry(QByteArray &out, int width, int height, int colors, int planes, int bits,
              std::uint32_t size, std::uint32_t offset) {
  out.append(char(width)).append(char(height)).append(char(colors)).append('\0');
  byteio::putU16(out, std::uint16_t(planes));
  byteio::putU16(out, std::uint16_t(bits));
  byteio::putU32(out, size);
  byteio::putU32(out, offset);
}

// Whether a cursor image's data looks like a header (or PNG) at `at` whose size agrees with
// the directory entry; `strict` also asks for that agreement.
bool headerAt(const QByteArray &body, qsizetype at, int width, int height, bool strict) {
  if (body.size() - at >= 8 && exicon::IsPng(body.mid(at, 8)))
    return true;
  if (body.size() - at < 40)
    return false;
  const std::uint8_t *p = bytesOf(body) + at;
  const std::uint32_t size = byteio::u32(p);
  if (size < 40 || size > 124)
    return false;
  return !strict || (byteio::i32(p + 4) == width && byteio::i32(p + 8) == 2 * height);
}

// Real cursor files keep the hot spot in the directory and start each image with its header;
// cursor resources (and some old writers) put the hot spot in front of the header instead.
bool hotSpotInFront(const QByteArray &body, int width, int height) {
  const bool standard = headerAt(body, 0, width, height, false);
  const bool resource = headerAt(body, 4, width, height, false);
  if (standard && resource)
    return !headerAt(body, 0, width, height, true) && headerAt(body, 4, width, height, true);
  return resource;
}

QByteArray hotSpotBytes(QPoint hotSpot) {
  QByteArray out;
  byteio::putU16(out, std::uint16_t(hotSpot.x()));
  byteio::putU16(out, std::uint16_t(hotSpot.y()));
  return out;
}

// A one-image ICO file of an image's data.
QByteArray oneImageFile(const TExIconImage &image) {
  const QByteArray data = image.ImageData();
  const int code = image.DepthCode();
  const int colors = code == exicon::Depth1 ? 2 : code == exicon::Depth4 ? 16 : 0;
  QByteArray out;
  byteio::putU16(out, 0);
  byteio::putU16(out, 1);
  byteio::putU16(out, 1);
  putEntry(out, image.Width() >= MaxImageSize ? 0 : image.Width(),
           image.Height() >= MaxImageSize ? 0 : image.Height(), colors, 1,
           exicon::BitCountOf(image.DepthCode()), std::uint32_t(data.size()), 6 + 16);
  return out + data;
}

} // namespace

TExIconCursor::TExIconCursor() : TExIconCursor(false) {}

TExIconCursor::TExIconCursor(bool isIcon) : m_isIcon(isIcon) {
  auto image = makeImage();
  if (isIcon) {
    // A new icon is an empty image of the system's icon size in 16 colours.
    image->m_width = SystemIconSize;
    image->m_height = SystemIconSize;
    image->m_depthCode = exicon::Depth4;
  }
  m_images.push_back(std::move(image));
}

TExIconCursor::TExIconCursor(const TExIconCursor &other)
    : TGraphic(), m_isIcon(other.m_isIcon), m_images(other.m_images), m_current(other.m_current),
      m_transparentColor(other.m_transparentColor) {}

std::shared_ptr<TExIconImage> TExIconCursor::makeImage() const {
  return std::make_shared<TExIconImage>(m_isIcon);
}

TExIconImage &TExIconCursor::current() const {
  if (m_current < 0 || m_current >= GetImageCount())
    throw ERangeError();
  return *m_images[std::size_t(m_current)];
}

const TExIconImage &TExIconCursor::GetImage(int index) const {
  if (index < 0 || index >= GetImageCount())
    throw ERangeError();
  return *m_images[std::size_t(index)];
}

void TExIconCursor::SetCurrent(int index) {
  if (index == m_current)
    return;
  m_current = index;
  changed();
}

std::unique_ptr<TIcon> TExIconCursor::ReleaseHandle() {
  TExIconImage &image = current();
  image.MakeHandle();
  auto icon = std::make_unique<TIcon>();
  if (!image.HasHandle())
    return icon;
  if (image.RawData().isEmpty())
    icon->setImage(image.Handle());
  else
    icon->loadFromBytes(oneImageFile(image));
  // The caller owns the handle now, unless another object still shows this image.
  if (m_images[std::size_t(m_current)].use_count() == 1)
    image.m_handle = QImage();
  return icon;
}

void TExIconCursor::loadFromStream(QIODevice &stream) {
  const QByteArray file = stream.readAll();
  const std::uint8_t *data = bytesOf(file);
  if (file.size() < 6)
    throw EReadError();
  const int type = byteio::u16(data + 2);
  const int count = byteio::u16(data + 4);
  if (m_isIcon ? type != 1 : type == 1)
    throw EInvalidGraphic(icofile::InvalidText);
  if (6 + qint64(count) * 16 > file.size())
    throw EReadError();

  // Everything is read and checked before the object changes.
  std::vector<std::shared_ptr<TExIconImage>> images;
  images.reserve(std::size_t(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t *p = data + 6 + i * 16;
    const std::uint32_t size = byteio::u32(p + 8);
    const std::uint32_t offset = byteio::u32(p + 12);
    if (qint64(offset) + qint64(size) > file.size())
      throw EReadError();
    const QByteArray body = file.mid(offset, size);
    auto image = makeImage();
    image->m_width = p[0];
    image->m_height = p[1];
    if (m_isIcon) {
      image->m_raw = body;
    } else if (hotSpotInFront(body, effectiveSize(p[0]), effectiveSize(p[1]))) {
      image->m_raw = body;
    } else {
      image->m_raw = hotSpotBytes({byteio::u16(p + 4), byteio::u16(p + 6)}) + body;
    }
    image->m_depthCode = exicon::PrepareReadImage(image->m_raw, m_isIcon ? 0 : 4);
    images.push_back(std::move(image));
  }
  m_images = std::move(images);
  m_current = 0;
  changed();
}

void TExIconCursor::saveToStream(QIODevice &stream) const {
  if (m_images.size() > 0xFFFF)
    throw ERangeError();
  const auto count = std::uint16_t(m_images.size());
  QByteArray head;
  QByteArray body;
  byteio::putU16(head, 0);
  byteio::putU16(head, m_isIcon ? 1 : 2);
  byteio::putU16(head, count);
  std::uint32_t offset = 6 + 16 * std::uint32_t(count);
  for (const auto &image : m_images) {
    image->MakeRawData();
    const auto [colors, bits] = directoryCounts(image->DepthCode());
    const QByteArray data = image->ImageData();
    // A cursor file keeps the hot spot where an icon file has planes and bit count.
    const QPoint hotSpot = image->HotSpot();
    putEntry(head, directorySize(image->Width()), directorySize(image->Height()), colors,
             m_isIcon ? 1 : hotSpot.x(), m_isIcon ? bits : hotSpot.y(), std::uint32_t(data.size()),
             offset);
    offset += std::uint32_t(data.size());
    body += data;
  }
  byteio::writeAll(stream, head + body);
}

bool TExIconCursor::empty() const {
  if (m_current < 0 || m_current >= GetImageCount())
    return true;
  const TExIconImage &image = current();
  return !image.HasHandle() && image.RawData().isEmpty();
}

int TExIconCursor::width() const { return current().Width(); }

int TExIconCursor::height() const { return current().Height(); }

void TExIconCursor::draw(QPainter &painter, const QRect &rect) const {
  if (rect.isEmpty() || empty())
    return;
  // Every depth is drawn through its transparency: the alpha channel of a 32-bit image (its
  // mask when the channel is empty), the mask for the others.
  const QImage picture = current().Decode();
  if (!picture.isNull())
    painter.drawImage(rect, picture);
}

std::unique_ptr<TGraphic> TExIconCursor::clone() const {
  return std::unique_ptr<TGraphic>(new TExIconCursor(*this));
}

QImage TExIconCursor::render(const TGraphic &source, int width, int height) const {
  QImage picture(width, height, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  source.draw(painter, QRect(0, 0, width, height));
  return picture;
}

void TExIconCursor::assign(const TGraphic *source) {
  if (source == this)
    return;
  if (!source) {
    const TExIconImage &old = current();
    auto fresh = makeImage();
    fresh->m_width = old.Width();
    fresh->m_height = old.Height();
    fresh->m_depthCode = old.DepthCode();
    m_images[std::size_t(m_current)] = std::move(fresh);
    changed();
    return;
  }
  if (const auto *other = dynamic_cast<const TExIconCursor *>(source)) {
    m_images = other->m_images;
    m_current = other->m_current;
    m_transparentColor = other->m_transparentColor;
    changed();
    return;
  }
  const int w = effectiveSize(current().Width());
  const int h = effectiveSize(current().Height());
  if (source->empty() || source->width() <= 0 || source->height() <= 0)
    throw EInvalidGraphic(exicon::InvalidBitmapText);
  // The colour that marks transparent pixels: a bitmap's own, else black. Icons bring their
  // transparency in their alpha channel, so black stays in them.
  TColor key = clBlack;
  if (const auto *bitmap = dynamic_cast<const TBitmap *>(source))
    key = bitmap->transparentColor();
  else if (dynamic_cast<const TIcon *>(source))
    key = clNone;
  rebuild(render(*source, w, h), w, h, key, nullptr);
}

// Building the current image from a picture:
// 1. the picture arrives drawn at the image's size on a transparent background;
// 2. the depth is the palette's (2, 16 or 256 entries give 1, 4 or 8 bits), else the image's
//    depth code (code 0: 32 bits);
// 3. the colour part is made at that depth, the mask from the alpha channel and the key colour,
//    masked pixels black (exicon::EncodeImage);
// 4. a new image of this object's kind, with the current image's hot spot, replaces the
//    current one; objects that shared the old image keep it.
void TExIconCursor::rebuild(const QImage &picture, int width, int height, TColor keyColor,
                            const TPalette *palette) {
  TExIconImage &old = current();
  const TPalette *table = palette ? palette : old.Palette();
  int bits = 32;
  bool bitFields = false;
  if (table) {
    const int n = table->size();
    bits = n <= 2 ? 1 : n <= 16 ? 4 : 8;
  } else if (old.DepthCode() != exicon::DepthDevice) {
    bits = exicon::BitCountOf(old.DepthCode());
    bitFields = old.DepthCode() == exicon::Depth16BitFields;
  }
  auto image = makeImage();
  if (!m_isIcon)
    image->m_raw = hotSpotBytes(old.HotSpot());
  image->m_raw +=
      exicon::EncodeImage(picture, bits, bitFields, table ? *table : TPalette(), keyColor);
  image->m_width = width;
  image->m_height = height;
  image->m_depthCode = exicon::DepthCodeOf(bits, bitFields ? Dib::BI_BITFIELDS : Dib::BI_RGB);
  m_images[std::size_t(m_current)] = std::move(image);
  changed();
}

bool TExIconCursor::assignTo(TGraphic &target) const {
  auto *bitmap = dynamic_cast<TBitmap *>(&target);
  if (!bitmap)
    return false;
  const int w = effectiveSize(width());
  const int h = effectiveSize(height());
  Dib dib(w, h, 24);
  dib.fill(m_transparentColor);
  bitmap->setDib(std::move(dib));
  bitmap->setTransparentColor(m_transparentColor);
  bitmap->setTransparent(true);
  bitmap->paint([&](QPainter &painter) { draw(painter, QRect(0, 0, w, h)); });
  return true;
}

const TPalette *TExIconCursor::palette() const { return current().Palette(); }

void TExIconCursor::setWidth(int value) {
  if (value < 1 || value > MaxImageSize)
    throw ERangeError();
  const int h = effectiveSize(height());
  rebuild(render(*this, value, h), value, h, m_transparentColor, nullptr);
}

void TExIconCursor::setHeight(int value) {
  if (value < 1 || value > MaxImageSize)
    throw ERangeError();
  const int w = effectiveSize(width());
  rebuild(render(*this, w, value), w, value, m_transparentColor, nullptr);
}

void TExIconCursor::SetPalette(const TPalette &palette) {
  TExIconImage &image = current();
  const int n = palette.size();
  if (n < 1 || n > 256) {
    image.m_palette = TPalette();
    image.m_paletteMade = true;
    changed();
    return;
  }
  const int w = effectiveSize(image.Width());
  const int h = effectiveSize(image.Height());
  rebuild(render(*this, w, h), w, h, m_transparentColor, &palette);
}

void TExIconCursor::LoadFromClipboardFormat(int format, const QByteArray &data) {
  if (format != CF_DIB || data.isEmpty())
    throw EInvalidGraphic(UnsupportedClipboardText);
  const DibHeader h = bmpfile::parseHeader(bytesOf(data), data.size(), icofile::InvalidText);
  if (h.headerSize < 40 || h.width <= 0 || h.height <= 0 || h.width > MaxImageSize ||
      h.height > MaxImageSize)
    throw EInvalidGraphic(icofile::InvalidText);
  const std::uint8_t code = exicon::DepthCodeOf(h.bitCount, h.compression);
  const qsizetype colorEnd = h.end + Dib::rowSize(h.width, h.bitCount) * h.height;
  const qsizetype maskSize = Dib::rowSize(h.width, 1) * h.height;
  if (colorEnd > data.size())
    throw EInvalidGraphic(icofile::InvalidText);
  QByteArray dib = data.left(colorEnd);
  QByteArray heightField;
  byteio::putI32(heightField, h.height * 2);
  dib.replace(8, 4, heightField);
  // A block with exactly a mask after the colour bits brings its own; else all opaque.
  dib += data.size() == colorEnd + maskSize ? data.mid(colorEnd) : QByteArray(maskSize, '\0');

  TExIconImage &old = current();
  auto image = makeImage();
  if (!m_isIcon)
    image->m_raw = hotSpotBytes(old.HotSpot());
  image->m_raw += dib;
  image->m_width = h.width;
  image->m_height = h.height;
  image->m_depthCode = code;
  m_images[std::size_t(m_current)] = std::move(image);
  changed();
}

void TExIconCursor::SaveToClipboardFormat(int &format, QByteArray &data) const {
  TExIconImage &image = current();
  image.MakeRawData();
  QByteArray dib = image.ImageData();
  if (exicon::IsPng(dib)) {
    // The clipboard form has no PNG variant: the picture goes as 32 bits with its mask.
    const QImage picture = image.Decode();
    if (picture.isNull())
      throw EInvalidGraphic(icofile::InvalidText);
    dib = exicon::EncodeImage(picture, 32, false, TPalette(), clNone);
  }
  const DibHeader h = bmpfile::parseHeader(bytesOf(dib), dib.size(), icofile::InvalidText);
  const int rows = h.height / 2;
  const qsizetype length = h.end + (Dib::rowSize(h.width, h.bitCount) + Dib::rowSize(h.width, 1)) *
                                       qsizetype(std::max(rows, 0));
  dib = dib.left(std::min(length, dib.size()));
  QByteArray heightField;
  byteio::putI32(heightField, rows);
  dib.replace(8, 4, heightField);
  format = CF_DIB;
  data = dib;
}

void TExIconCursor::CopyToClipboard() const {
  int format = 0;
  QByteArray dib;
  SaveToClipboardFormat(format, dib);
  const DibHeader h = bmpfile::parseHeader(bytesOf(dib), dib.size(), icofile::InvalidText);
  QByteArray file("BM");
  byteio::putU32(file, std::uint32_t(14 + dib.size()));
  byteio::putU32(file, 0);
  byteio::putU32(file, std::uint32_t(14 + h.end));
  auto *mime = new QMimeData;
  mime->setData(BmpMime, file + dib);
  QGuiApplication::clipboard()->setMimeData(mime);
}

void TExIconCursor::PasteFromClipboard() {
  const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
  if (mime && mime->hasFormat(BmpMime)) {
    const QByteArray file = mime->data(BmpMime);
    if (file.size() > 14 && file.startsWith("BM")) {
      LoadFromClipboardFormat(CF_DIB, file.mid(14));
      return;
    }
  }
  if (mime && mime->hasImage()) {
    const QImage picture = qvariant_cast<QImage>(mime->imageData());
    const Dib dib = Dib::fromQImage(picture);
    if (!dib.empty()) {
      LoadFromClipboardFormat(CF_DIB, bmpfile::writePacked(dib));
      return;
    }
  }
  throw EInvalidGraphic(UnsupportedClipboardText);
}

TExIcon::TExIcon() : TExIconCursor(true) {}

std::unique_ptr<TGraphic> TExIcon::clone() const { return std::make_unique<TExIcon>(*this); }
