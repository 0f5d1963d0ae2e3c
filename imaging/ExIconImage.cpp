#include "imaging/ExIconImage.h"

#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"
#include "imaging/ColorReduce.h"
#include "imaging/Dib.h"
#include "imaging/IcoFile.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cstring>

namespace exicon {
namespace {

const std::uint8_t *bytes(const QByteArray &a) {
  return reinterpret_cast<const std::uint8_t *>(a.constData());
}

// The colour part of a 32-bit picture (B,G,R,A) at another depth.
Dib atDepth(const Dib &full, int bitCount, bool bitFields, const TPalette &palette) {
  switch (bitCount) {
  case 32:
    return full;
  case 24:
    return full.convertedTo(24);
  case 16: {
    Dib d(full.width(), full.height(), 16);
    if (bitFields)
      d.setBitFields(0xF800, 0x07E0, 0x001F);
    for (int y = 0; y < d.height(); ++y)
      for (int x = 0; x < d.width(); ++x)
        d.setPixel(x, y, full.pixel(x, y));
    return d;
  }
  default:
    if (!palette.empty())
      return full.convertedTo(bitCount, &palette);
    // No table of its own: the program's colour reduction picks one (black and white, the
    // 16 standard colours, or the most frequent 256).
    return bmpfile::read(BitmapToDIBStream(full, bitCount, DefaultReductionMethod));
  }
}

} // namespace

std::uint8_t DepthCodeOf(int bitCount, std::uint32_t compression) {
  switch (bitCount) {
  case 1:
    return Depth1;
  case 4:
    return Depth4;
  case 8:
    return Depth8;
  case 16:
    if (compression == Dib::BI_RGB)
      return Depth16;
    if (compression == Dib::BI_BITFIELDS)
      return Depth16BitFields;
    break;
  case 24:
    return Depth24;
  case 32:
    return Depth32;
  default:
    break;
  }
  throw EInvalidGraphic(PixelFormatText);
}

int BitCountOf(std::uint8_t depthCode) {
  static constexpr int Bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
  return depthCode < 8 ? Bits[depthCode] : 0;
}

bool IsPng(const QByteArray &imageData) {
  static const char Signature[8] = {char(0x89), 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return imageData.size() >= 8 && std::memcmp(imageData.constData(), Signature, 8) == 0;
}

std::uint8_t PrepareReadImage(QByteArray &raw, int headerOffset) {
  const qsizetype size = raw.size() - headerOffset;
  if (size >= 8 && IsPng(raw.mid(headerOffset, 8)))
    return Depth32;
  // The header must be there in full before anything in it is read or written.
  if (headerOffset < 0 || size < 40)
    throw EInvalidGraphic(icofile::InvalidText);
  const std::uint8_t *h = bytes(raw) + headerOffset;
  const std::uint8_t code = DepthCodeOf(byteio::u16(h + 14), byteio::u32(h + 16));
  std::fill_n(raw.begin() + headerOffset + 20, 4, '\0');
  return code;
}

QByteArray EncodeImage(const QImage &picture, int bitCount, bool bitFields, const TPalette &palette,
                       TColor keyColor) {
  const QImage src = picture.convertToFormat(QImage::Format_ARGB32);
  const Dib full = Dib::fromQImage(src);
  if (full.empty() || !Dib::isValidBitCount(bitCount) || src.width() > 256 || src.height() > 256)
    throw EInvalidGraphic(InvalidBitmapText);
  const int w = src.width();
  const int h = src.height();
  const TColor key = keyColor == clNone ? clNone : (ColorToRGB(keyColor) & 0x00FFFFFF);

  Dib mask(w, h, 1);
  std::vector<bool> keyed(std::size_t(w) * std::size_t(h), false);
  for (int y = 0; y < h; ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(src.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      const bool isKey =
          key != clNone && RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])) == key;
      keyed[std::size_t(y) * std::size_t(w) + std::size_t(x)] = isKey;
      mask.setPixelIndex(x, y, isKey || qAlpha(line[x]) < 128 ? 1 : 0);
    }
  }

  Dib colors = atDepth(full, bitCount, bitFields, palette);
  const int blackIndex = bitCount <= 8 ? std::max(0, colors.palette().nearestIndex(clBlack)) : 0;
  const int bytesPerPixel = bitCount / 8;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool masked = mask.pixelIndex(x, y) == 1;
      if (bitCount <= 8) {
        if (masked)
          colors.setPixelIndex(x, y, blackIndex);
      } else if (bitCount == 32) {
        // The alpha channel carries the transparency at 32 bits; a pixel of the key colour
        // becomes fully transparent so the channel agrees with the mask.
        if (keyed[std::size_t(y) * std::size_t(w) + std::size_t(x)])
          std::fill_n(colors.row(y) + qsizetype(x) * 4, 4, std::uint8_t(0));
      } else if (masked) {
        std::fill_n(colors.row(y) + qsizetype(x) * bytesPerPixel, bytesPerPixel, std::uint8_t(0));
      }
    }

  QByteArray out = bmpfile::writePacked(colors, 2);
  for (int i = 0; i < h; ++i)
    out.append(reinterpret_cast<const char *>(mask.bottomUpRow(i)), mask.stride());
  return out;
}

} // namespace exicon

QByteArray TExIconImage::ImageData() const { return m_isIcon ? m_raw : m_raw.mid(4); }

QPoint TExIconImage::HotSpot() const {
  if (m_isIcon || m_raw.size() < 4)
    return {};
  const auto *p = reinterpret_cast<const std::uint8_t *>(m_raw.constData());
  return {byteio::u16(p), byteio::u16(p + 2)};
}

void TExIconImage::MakeHandle() {
  if (HasHandle() || m_raw.isEmpty())
    return;
  m_palette = TPalette();
  m_paletteMade = false;
  if (m_raw.size() <= 44)
    return;
  const QByteArray data = ImageData();
  icofile::Entry entry;
  entry.size = std::uint32_t(data.size());
  const icofile::Image decoded = icofile::decode(data, entry);
  const auto *p = reinterpret_cast<const std::uint8_t *>(data.constData());
  m_depthCode = decoded.png ? std::uint8_t(exicon::Depth32)
                            : exicon::DepthCodeOf(byteio::u16(p + 14), byteio::u32(p + 16));
  m_width = decoded.image.width();
  m_height = decoded.image.height();
  m_handle = decoded.image;
}

void TExIconImage::MakeRawData() {
  if (!m_raw.isEmpty())
    return;
  if (!HasHandle())
    throw EInvalidGraphic(icofile::InvalidText);
  const int bits = m_depthCode == exicon::DepthDevice ? 32 : exicon::BitCountOf(m_depthCode);
  const TPalette *table = Palette();
  QByteArray raw = m_isIcon ? QByteArray() : QByteArray(4, '\0');
  raw += exicon::EncodeImage(m_handle, bits, m_depthCode == exicon::Depth16BitFields,
                             table ? *table : TPalette(), clNone);
  m_raw = raw;
  if (m_depthCode == exicon::DepthDevice)
    m_depthCode = exicon::Depth32;
}

QImage TExIconImage::Decode() const {
  if (HasHandle())
    return m_handle;
  if (m_raw.size() <= 44)
    return {};
  try {
    const QByteArray data = ImageData();
    icofile::Entry entry;
    entry.size = std::uint32_t(data.size());
    return icofile::decode(data, entry).image;
  } catch (const EInvalidGraphic &) {
    return {};
  }
}

const TPalette *TExIconImage::Palette() {
  if (!m_paletteMade) {
    m_paletteMade = true;
    m_palette = TPalette();
    const QByteArray data = ImageData();
    if (!exicon::IsPng(data) && data.size() >= 40) {
      try {
        const auto *p = reinterpret_cast<const std::uint8_t *>(data.constData());
        const DibHeader h = bmpfile::parseHeader(p, data.size(), icofile::InvalidText);
        if (h.bitCount <= 8 && h.tableEntries == 1) {
          m_palette = TPalette::blackWhite();
        } else if (h.bitCount <= 8 && h.tableEntries > 1) {
          std::vector<TRgbQuad> table(std::size_t(h.tableEntries));
          const std::uint8_t *t = p + h.tableOffset;
          for (auto &q : table) {
            q = TRgbQuad::fromRgb(t[2], t[1], t[0]);
            t += h.tableEntrySize;
          }
          m_palette = TPalette(std::move(table));
        }
      } catch (const EInvalidGraphic &) {
        // A header that does not parse has no palette to offer.
      }
    }
  }
  return m_palette.empty() ? nullptr : &m_palette;
}
