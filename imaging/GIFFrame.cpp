#include "imaging/GIFFrame.h"

#include "imaging/Bitmap.h"
#include "imaging/ColorReduce.h"
#include "imaging/GIFDecoder.h"
#include "imaging/GIFEncoder.h"
#include "imaging/GIFImage.h"
#include "platform/Errors.h"

#include <QPainter>

#include <algorithm>

TGIFFrame::TGIFFrame(TGIFImage *owner) : m_owner(owner) {}

TGIFFrame::TGIFFrame(TGIFImage *owner, TGIFFrameRecord record)
    : TGIFFrameRecord(std::move(record)), m_owner(owner) {}

TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::reset() {
  static_cast<TGIFFrameRecord &>(*this) = TGIFFrameRecord{};
  Grayscale = false;
  m_bitmap.reset();
  m_decoded = false;
  m_fromData = false;
  m_drawFailed = false;
}

void TGIFFrame::dropDecoded() {
  m_bitmap.reset();
  m_decoded = false;
  m_fromData = false;
}

std::int64_t TGIFFrame::decodedPixels() const {
  return m_fromData && m_bitmap ? std::int64_t{m_bitmap->width()} * m_bitmap->height() : 0;
}

void TGIFFrame::notifyOwner() {
  if (m_owner)
    m_owner->updateScreenSize();
}

// Frames decode on first use, also through the const accessors (drawing); the frame is never
// itself a const object, only seen through const references.
TBitmap &TGIFFrame::bitmap() {
  if (!(m_bitmap && (m_decoded || !m_bitmap->empty())))
    decode();
  return *m_bitmap;
}

const TBitmap &TGIFFrame::bitmap() const { return const_cast<TGIFFrame *>(this)->bitmap(); }

bool TGIFFrame::hasBitmap() const { return m_bitmap && !m_bitmap->empty(); }

void TGIFFrame::setBitmap(const TBitmap &bitmap) {
  m_bitmap = std::make_unique<TBitmap>(bitmap);
  m_decoded = true;
  m_fromData = false;
  m_drawFailed = false;
}

void TGIFFrame::decode() {
  m_bitmap = std::make_unique<TBitmap>();
  m_decoded = false;
  m_fromData = true;
  const TGIFItem &item = *Item;
  if (item.Encoded.empty()) {
    m_decoded = true;
    return;
  }
  const int tableBits = item.BitsPerPixel;
  const int outBits = tableBits == 1                     ? 1
                      : tableBits >= 2 && tableBits <= 4 ? 4
                      : tableBits >= 5 && tableBits <= 8 ? 8
                                                         : 0;
  if (outBits == 0)
    throw EInvalidGraphicOperation(QStringLiteral("Wrong number of colors; must be a power of 2"));
  // Only the part of the frame that the logical screen shows is kept: a descriptor may ask for
  // 65535 x 65535 pixels on a screen of 16 x 16. An image without a screen keeps whole frames.
  int width = item.Width;
  int height = item.Height;
  const int screenWidth = m_owner ? m_owner->screenWidth() : 0;
  const int screenHeight = m_owner ? m_owner->screenHeight() : 0;
  if (screenWidth > 0 && screenHeight > 0) {
    width = std::max(0, std::min(width, screenWidth - Left));
    height = std::max(0, std::min(height, screenHeight - Top));
  }
  // Refuse before allocating what could never be held.
  if (!Dib::sizeAllowed(width, height) || int64_t{width} * height > GIFMaxPixels)
    throw EReadError();
  if (width > 0 && height > 0) {
    if (m_owner)
      m_owner->makeRoomFor(int64_t{width} * height, this);
    Dib dib(width, height, outBits);
    std::vector<TRgbQuad> palette(static_cast<std::size_t>(1) << outBits,
                                  TRgbQuad{128, 128, 128, 128});
    for (int i = 0; i < std::min(item.Colors.Count, 1 << outBits); ++i) {
      const auto &e = item.Colors.Entries[static_cast<std::size_t>(i)];
      palette[static_cast<std::size_t>(i)] = TRgbQuad::fromRgb(e.red, e.green, e.blue);
    }
    dib.setPalette(TPalette(std::move(palette)));
    const GIFRaster raster{dib.bits(), dib.width(), dib.height(), dib.stride(), outBits, false};
    const GIFProgress *progress = m_owner && m_owner->onProgress ? &m_owner->onProgress : nullptr;
    if (DecodeGIFFramePart(item.Encoded, tableBits, Interlaced, item.Width, item.Height, raster,
                           LoadCorrupted, progress))
      Corrupted = true;
    m_bitmap->setDib(std::move(dib));
  }
  m_decoded = true;
}

int TGIFFrame::width() const {
  if (hasBitmap())
    return m_bitmap->width();
  return Item->Encoded.empty() ? 0 : Item->Width;
}

int TGIFFrame::height() const {
  if (hasBitmap())
    return m_bitmap->height();
  return Item->Encoded.empty() ? 0 : Item->Height;
}

const Dib *TGIFFrame::drawable() const {
  auto *self = const_cast<TGIFFrame *>(this);
  if (m_drawFailed)
    return nullptr;
  const TBitmap *bmp = nullptr;
  try {
    bmp = &self->bitmap();
  } catch (const std::exception &) {
    // Painting and animation must go on; the load already reported what it could.
    self->Corrupted = true;
    self->m_drawFailed = true;
    return nullptr;
  }
  return bmp->empty() ? nullptr : &bmp->dib();
}

TDibRowConverter TGIFFrame::rowsOf(const Dib &dib, bool transparent) const {
  TDibRowConverter rows(dib);
  if (!transparent || TransparentColor == clNone)
    return rows;
  const TColor key = ColorToRGB(TransparentColor);
  // The index the transparency was read with decides, when it still names the colour: another
  // entry of the same colour stays opaque.
  const bool byIndex = dib.bitCount() <= 8 && TransparentIndex >= 0 &&
                       TransparentIndex < dib.palette().size() &&
                       dib.palette().entry(TransparentIndex).toColor() == key;
  if (byIndex)
    rows.setTransparentIndex(TransparentIndex);
  else
    rows.setTransparentColor(key);
  return rows;
}

QImage TGIFFrame::toImage(bool transparent) const {
  const Dib *dib = drawable();
  return dib ? rowsOf(*dib, transparent).image() : QImage();
}

QImage TGIFFrame::toImage(bool transparent, const QSize &size, const QRect &part) const {
  const Dib *dib = drawable();
  return dib ? rowsOf(*dib, transparent).stretched(size, part) : QImage();
}

void TGIFFrame::draw(QPainter &painter, const QRect &rect, bool transparent) const {
  if (rect.isEmpty())
    return;
  const QImage image = toImage(transparent);
  if (image.isNull())
    return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect, image);
  painter.restore();
}

void TGIFFrame::copyFrom(const TGIFFrame &source, bool sameImage) {
  Item = source.Item;
  LocalColors = sameImage ? source.LocalColors : true;
  Left = source.Left;
  Top = source.Top;
  Interlaced = source.Interlaced;
  if (source.m_bitmap && (source.m_decoded || !source.m_bitmap->empty()))
    m_bitmap = std::make_unique<TBitmap>(*source.m_bitmap);
  else
    m_bitmap.reset();
  m_decoded = source.m_decoded;
  m_fromData = source.m_fromData;
  m_drawFailed = false;
  TransparentColor = source.TransparentColor;
  TransparentIndex = source.TransparentIndex;
  Delay = source.Delay;
  Disposal = source.Disposal;
  Grayscale = source.Grayscale;
  Corrupted = source.Corrupted;
  const TGIFLines lines = source.comment();
  if (!lines.empty())
    setComment(lines);
  // Application extensions (metadata of other programs) travel with the frame, so a copy that
  // is saved keeps them.
  const auto isApplication = [](const TExtension &e) { return e.Kind == TExtension::Application; };
  std::vector<TExtension> applications;
  std::copy_if(source.Extensions.begin(), source.Extensions.end(), std::back_inserter(applications),
               isApplication);
  std::erase_if(Extensions, isApplication);
  Extensions.insert(Extensions.begin(), applications.begin(), applications.end());
}

void TGIFFrame::assign(const TGIFFrame *source) {
  if (source == this)
    return;
  if (!source)
    reset();
  else
    copyFrom(*source, source->m_owner == m_owner);
  notifyOwner();
}

void TGIFFrame::assign(const TGraphic *source) {
  if (!source) {
    reset();
    notifyOwner();
    return;
  }
  if (const auto *image = dynamic_cast<const TGIFImage *>(source)) {
    if (image->frameCount() == 0) {
      reset();
      notifyOwner();
    } else {
      assign(&image->frame(std::clamp(image->frameIndex(), 0, image->frameCount() - 1)));
    }
    return;
  }
  if (source->empty()) {
    reset();
    notifyOwner();
    return;
  }
  auto bitmap = std::make_unique<TBitmap>();
  TColor brush = clWhite;
  try {
    bitmap->assign(source);
  } catch (const EConvertError &) {
    // A picture a bitmap cannot take is drawn onto one filled with fuchsia.
    brush = clFuchsia;
    Dib dib(source->width(), source->height(), 24);
    dib.fill(clFuchsia);
    bitmap->setDib(std::move(dib));
    bitmap->paint(
        [&](QPainter &p) { source->draw(p, QRect(0, 0, source->width(), source->height())); });
  }
  Item = std::make_shared<TGIFItem>();
  Interlaced = false;
  Corrupted = false;
  TransparentIndex = -1;
  if (source->transparent()) {
    const auto *b = dynamic_cast<const TBitmap *>(source);
    TransparentColor = b ? b->transparentColor() : brush;
  }
  m_bitmap = std::move(bitmap);
  m_decoded = true;
  m_fromData = false;
  m_drawFailed = false;
  notifyOwner();
}

void TGIFFrame::assignTo(TGraphic &target) const {
  if (auto *image = dynamic_cast<TGIFImage *>(&target)) {
    image->assign(*this);
    return;
  }
  const TBitmap &bmp = bitmap();
  target.assign(&bmp);
  if (auto *b = dynamic_cast<TBitmap *>(&target); b && TransparentColor != clNone) {
    b->setTransparentColor(TransparentColor);
    b->setTransparent(true);
  }
}

TGIFLines TGIFFrame::comment() const {
  for (auto it = Extensions.rbegin(); it != Extensions.rend(); ++it)
    if (it->Kind == TExtension::Comment)
      return it->Lines;
  return {};
}

void TGIFFrame::setComment(const TGIFLines &lines) {
  for (auto it = Extensions.rbegin(); it != Extensions.rend(); ++it)
    if (it->Kind == TExtension::Comment) {
      it->Lines = lines;
      return;
    }
  TExtension ext;
  ext.Kind = TExtension::Comment;
  ext.Lines = lines;
  Extensions.push_back(std::move(ext));
}

void TGIFFrame::compress(const GIFProgress *progress) {
  if (!hasBitmap())
    throw EInvalidGraphicOperation(QStringLiteral("No GIF Data to write"));
  const Dib &picture = m_bitmap->dib();
  Dib reduced;
  const Dib *source = &picture;
  if (picture.bitCount() != 1 && picture.bitCount() != 4 && picture.bitCount() != 8) {
    reduced = ReduceTo8Bits(picture, Grayscale ? rmGrayscale : rmHistogram);
    source = &reduced;
  }
  // The table always holds 2^bits entries: a shorter bitmap palette is padded with black, so
  // pixel bytes are never taken for colours.
  const int bits = source->bitCount();
  TGIFColorTable table = TGIFColorTable::fromPalette(source->palette());
  std::fill(table.Entries.begin() + table.Count, table.Entries.end(), TGIFColorTable::Entry{});
  table.Count = 1 << bits;
  Interlaced = false;
  std::vector<uint8_t> encoded;
  // The encoder only reads the rows.
  const GIFRaster raster{const_cast<uint8_t *>(source->bits()),
                         source->width(),
                         source->height(),
                         source->stride(),
                         bits,
                         false};
  try {
    EncodeGIFFrame(encoded, raster, false, progress);
  } catch (const EAbort &) {
    Item = std::make_shared<TGIFItem>();
    throw;
  }
  TGIFItem &item = *Item;
  item.Encoded = std::move(encoded);
  item.Colors = table;
  item.BitsPerPixel = static_cast<uint8_t>(table.bits());
  item.Width = picture.width();
  item.Height = picture.height();
  if (m_owner && m_owner->data().GlobalColors.Count == 0) {
    m_owner->adoptGlobalTable(table, item.BitsPerPixel);
    LocalColors = false;
  } else {
    LocalColors = true;
  }
  if (m_owner)
    m_owner->growScreen(Left + item.Width, Top + item.Height);
}
