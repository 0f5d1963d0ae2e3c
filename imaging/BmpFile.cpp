#include "imaging/BmpFile.h"

#include "imaging/ByteIO.h"
#include "platform/Errors.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Bit fields with a fourth, alpha mask after the three colour masks.
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;
// The BITMAPV4 header this program writes for pictures with alpha.
constexpr std::uint32_t V4HeaderSize = 108;
constexpr std::uint32_t LCS_sRGB = 0x73524742; // 'sRGB'

} // namespace

bool DibHeader::isPlain() const {
  if (headerSize < 40 || !Dib::isValidBitCount(bitCount))
    return false;
  if (compression == Dib::BI_RGB)
    return true;
  return compression == Dib::BI_BITFIELDS && (bitCount == 16 || bitCount == 32);
}

namespace bmpfile {

DibHeader parseHeader(const std::uint8_t *data, qsizetype size, const QString &errorText) {
  auto fail = [&] { throw EInvalidGraphic(errorText); };
  DibHeader h;
  if (size < 4)
    fail();
  h.headerSize = byteio::u32(data);
  if (h.headerSize == 12) {
    if (size < 12)
      fail();
    h.width = byteio::u16(data + 4);
    h.height = byteio::u16(data + 6);
    h.planes = byteio::u16(data + 8);
    h.bitCount = byteio::u16(data + 10);
    h.tableEntrySize = 3;
    h.tableOffset = 12;
    h.tableEntries = h.bitCount <= 8 ? (1 << h.bitCount) : 0;
  } else {
    // Known sizes only: a header that claims some other size is no DIB.
    if (h.headerSize < 40 || h.headerSize > 124 || size < qsizetype(h.headerSize))
      fail();
    h.width = byteio::i32(data + 4);
    h.height = byteio::i32(data + 8);
    h.planes = byteio::u16(data + 12);
    h.bitCount = byteio::u16(data + 14);
    h.compression = byteio::u32(data + 16);
    h.sizeImage = byteio::u32(data + 20);
    h.xPelsPerMeter = byteio::i32(data + 24);
    h.yPelsPerMeter = byteio::i32(data + 28);
    h.clrUsed = byteio::u32(data + 32);
    h.clrImportant = byteio::u32(data + 36);
    h.tableOffset = h.headerSize;
    const bool alphaFields = h.compression == BI_ALPHABITFIELDS;
    if (h.compression == Dib::BI_BITFIELDS || alphaFields) {
      // The masks follow a header too short to hold them.
      const qsizetype masksEnd = alphaFields ? 56 : 52;
      if (size < masksEnd)
        fail();
      h.masks = {byteio::u32(data + 40), byteio::u32(data + 44), byteio::u32(data + 48)};
      h.tableOffset = std::max(qsizetype(h.headerSize), masksEnd);
      if (alphaFields || h.headerSize >= 56)
        h.alphaMask = byteio::u32(data + 52);
      h.compression = Dib::BI_BITFIELDS;
    } else if (h.compression == Dib::BI_RGB && h.headerSize >= 56) {
      // Without bit fields the colour masks say nothing, but the alpha mask of a BITMAPV3 to V5
      // header still tells where the alpha is.
      h.alphaMask = byteio::u32(data + 52);
    }
    if (h.bitCount != 32)
      h.alphaMask = 0;
    if (h.bitCount <= 8) {
      if (h.clrUsed > 256)
        fail();
      h.tableEntries = h.clrUsed ? int(h.clrUsed) : (h.bitCount ? (1 << h.bitCount) : 0);
    } else if (h.clrUsed <= 256) {
      // An optional table of a true-colour picture: skipped, but it takes room.
      h.tableEntries = int(h.clrUsed);
    } else {
      fail();
    }
  }
  if (h.width < 0 || h.height == std::numeric_limits<std::int32_t>::min() || h.bitCount == 0)
    fail();
  h.end = h.tableOffset + qsizetype(h.tableEntries) * h.tableEntrySize;
  if (h.end > size)
    fail();
  return h;
}

Dib decodePixels(const DibHeader &h, const std::uint8_t *data, qsizetype size, qsizetype bitsOffset,
                 int rows, const QString &errorText) {
  auto fail = [&] { throw EInvalidGraphic(errorText); };
  if (!h.isPlain() || rows < 0 || !Dib::sizeAllowed(h.width, rows))
    fail();
  const qint64 stride = Dib::rowSize(h.width, h.bitCount);
  if (bitsOffset < 0 || bitsOffset > size || stride * rows > size - bitsOffset)
    fail();

  Dib dib(h.width, rows, h.bitCount);
  dib.xPelsPerMeter = h.xPelsPerMeter;
  dib.yPelsPerMeter = h.yPelsPerMeter;
  dib.clrUsed = h.clrUsed;
  dib.clrImportant = h.clrImportant;
  if (h.compression == Dib::BI_BITFIELDS)
    dib.setBitFields(h.masks[0], h.masks[1], h.masks[2]);
  if (h.bitCount <= 8) {
    std::vector<TRgbQuad> table(std::size_t(h.tableEntries));
    const std::uint8_t *t = data + h.tableOffset;
    for (auto &q : table) {
      q.blue = t[0];
      q.green = t[1];
      q.red = t[2];
      q.reserved = h.tableEntrySize == 4 ? t[3] : 0;
      t += h.tableEntrySize;
    }
    dib.setPalette(TPalette(std::move(table)));
  }
  const bool topDown = h.height < 0;
  for (int i = 0; i < rows && stride > 0; ++i) {
    const std::uint8_t *src = data + bitsOffset + qsizetype(i) * stride;
    std::uint8_t *dst = topDown ? dib.row(i) : dib.bottomUpRow(i);
    std::memcpy(dst, src, std::size_t(stride));
  }
  // The alpha mask was once ignored, so every 32-bit file loaded opaque; files that declare one
  // now show their alpha, and those whose alpha is 0 throughout stay opaque.
  if (h.alphaMask != 0) {
    dib.setAlphaMask(h.alphaMask);
    bool anyAlpha = false;
    for (int y = 0; y < dib.height() && !anyAlpha; ++y)
      for (int x = 0; x < dib.width() && !anyAlpha; ++x)
        anyAlpha = dib.alpha(x, y) != 0;
    if (!anyAlpha)
      dib.setAlphaMask(0);
  }
  return dib;
}

Dib read(const QByteArray &file) {
  const auto *data = reinterpret_cast<const std::uint8_t *>(file.constData());
  const qsizetype size = file.size();
  if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
    throw EInvalidGraphic(NotValidText);
  const DibHeader h = parseHeader(data + 14, size - 14, NotValidText);
  const qint64 rows = h.height < 0 ? -qint64(h.height) : qint64(h.height);
  if (!Dib::sizeAllowed(h.width, rows))
    throw EInvalidGraphic(NotValidText);

  if (!h.isPlain()) {
    // RLE and the old core header: Qt's reader, after the size checks. A run-length coded file of
    // a few bytes may declare any size (it ends the picture with one code), so these are held to
    // the size a picture is shown at.
    if (qint64(h.width) * rows > Dib::MaxShownPixels)
      throw EInvalidGraphic(NotValidText);
    const QImage image = QImage::fromData(file, "BMP");
    if (image.isNull())
      throw EInvalidGraphic(NotValidText);
    return Dib::fromQImage(image);
  }
  // The file header's pixel offset wins when it points past the colour table and inside the
  // file; writers that leave it 0 get the rows right after the table.
  const qsizetype offBits = qsizetype(byteio::u32(data + 10));
  qsizetype bitsOffset = 14 + h.end;
  if (offBits >= bitsOffset && offBits < size)
    bitsOffset = offBits;
  return decodePixels(h, data + 14, size - 14, bitsOffset - 14, int(rows), NotValidText);
}

namespace {

void writeInfo(QByteArray &out, const Dib &dib, int heightFactor, bool withAlpha) {
  const bool bitFields = withAlpha || dib.compression() == Dib::BI_BITFIELDS;
  byteio::putU32(out, withAlpha ? V4HeaderSize : 40);
  byteio::putI32(out, dib.width());
  byteio::putI32(out, dib.height() * heightFactor);
  byteio::putU16(out, 1);
  byteio::putU16(out, std::uint16_t(dib.bitCount()));
  byteio::putU32(out, bitFields ? Dib::BI_BITFIELDS : Dib::BI_RGB);
  byteio::putU32(out, std::uint32_t(dib.sizeImage()));
  byteio::putI32(out, dib.xPelsPerMeter);
  byteio::putI32(out, dib.yPelsPerMeter);
  byteio::putU32(out, dib.bitCount() <= 8 ? dib.clrUsed : 0);
  byteio::putU32(out, dib.clrImportant);
  if (bitFields)
    for (std::uint32_t m : dib.channelMasks())
      byteio::putU32(out, m);
  if (withAlpha) {
    byteio::putU32(out, dib.alphaMask());
    byteio::putU32(out, LCS_sRGB);
    out.append(QByteArray(36 + 12, '\0')); // end points and gamma: unused with sRGB
  }
  if (dib.bitCount() <= 8) {
    const int entries =
        dib.clrUsed ? int(std::min<std::uint32_t>(dib.clrUsed, 256)) : (1 << dib.bitCount());
    for (int i = 0; i < entries; ++i) {
      const TRgbQuad q = dib.palette().entry(i);
      out.append(char(q.blue)).append(char(q.green)).append(char(q.red)).append(char(q.reserved));
    }
  }
  for (int i = 0; i < dib.height(); ++i)
    out.append(reinterpret_cast<const char *>(dib.bottomUpRow(i)), dib.stride());
}

QByteArray packed(const Dib &dib, int heightFactor, bool withAlpha) {
  if (dib.empty() || !Dib::isValidBitCount(dib.bitCount()))
    throw EInvalidGraphic(NotValidText);
  QByteArray out;
  out.reserve(V4HeaderSize + 1024 + dib.sizeImage());
  writeInfo(out, dib, heightFactor, withAlpha);
  return out;
}

} // namespace

QByteArray writePacked(const Dib &dib, int heightFactor) {
  return packed(dib, heightFactor, false);
}

QByteArray write(const Dib &dib) {
  const bool withAlpha = dib.alphaMask() != 0;
  const QByteArray info = packed(dib, 1, withAlpha);
  const int tableEnd =
      (withAlpha                                ? int(V4HeaderSize)
       : dib.compression() == Dib::BI_BITFIELDS ? 52
                                                : 40) +
      (dib.bitCount() <= 8 ? 4 * (dib.clrUsed ? int(std::min<std::uint32_t>(dib.clrUsed, 256))
                                              : 1 << dib.bitCount())
                           : 0);
  QByteArray out;
  out.reserve(14 + info.size());
  out.append("BM", 2);
  byteio::putU32(out, std::uint32_t(14 + info.size()));
  byteio::putU32(out, 0);
  byteio::putU32(out, std::uint32_t(14 + tableEnd));
  out.append(info);
  return out;
}

} // namespace bmpfile
