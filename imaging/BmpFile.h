#pragma once

#include "imaging/Dib.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// Reading and writing DIBs as they are stored: BMP files (a 14-byte file header, then the packed
// DIB) and packed DIBs (information header, colour table, pixel rows), the form that icon images
// and the clipboard use.
//
// Every reader checks each size, count and offset against the bytes actually there before it
// allocates or indexes, and raises the caller's error text (EInvalidGraphic) on bad data.

// The information header of a packed DIB as found in the data.
struct DibHeader {
  std::uint32_t headerSize = 0; // 12 (core), 40, 52, 56, 64, 108 or 124
  std::int32_t width = 0;
  std::int32_t height = 0; // as stored: negative means the rows run top-down
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t clrImportant = 0;
  std::array<std::uint32_t, 3> masks{}; // bit fields (from the header or right after it)
  std::uint32_t alphaMask = 0;          // 32 bits: where the alpha is, when the header says
  qsizetype tableOffset = 0;            // offset of the colour table from the header's start
  int tableEntries = 0;                 // entries in the colour table
  int tableEntrySize = 4;               // 3 for a core header, else 4
  qsizetype end = 0;                    // offset just past the colour table

  // Whether this program decodes the pixels itself (1/4/8/16/24/32 bits, BI_RGB or
  // BI_BITFIELDS, the latter also with an alpha mask: BI_ALPHABITFIELDS); other variants (RLE,
  // core headers) are left to Qt's reader.
  [[nodiscard]] bool isPlain() const;
};

namespace bmpfile {

inline const QString NotValidText = QStringLiteral("Bitmap image is not valid");

// Parses the header and colour table layout of a packed DIB at data[0, size). Raises
// EInvalidGraphic(errorText) when the header does not fit or makes no sense.
[[nodiscard]] DibHeader parseHeader(const std::uint8_t *data, qsizetype size,
                                    const QString &errorText);

// Decodes `rows` rows of a plain DIB whose pixel rows start at data[bitsOffset]. The rows run
// bottom-up unless the header's height is negative. A 32-bit picture keeps the alpha mask its
// header declares, unless every pixel's alpha is 0 (writers that declare a mask and fill
// nothing in): that picture is opaque, as one without a mask. Raises EInvalidGraphic(errorText)
// when the pixels do not fit in the data or the picture exceeds the limits of Dib.
[[nodiscard]] Dib decodePixels(const DibHeader &header, const std::uint8_t *data, qsizetype size,
                               qsizetype bitsOffset, int rows, const QString &errorText);

// A whole BMP file. Plain variants are decoded here, exactly; RLE and other exotic ones through
// Qt's reader into a 32-bit Dib, up to Dib::MaxShownPixels. Raises EInvalidGraphic("Bitmap
// image is not valid").
[[nodiscard]] Dib read(const QByteArray &file);

// A BMP file of the Dib: a 40-byte header (plus the three masks for BI_BITFIELDS; a picture with
// an alpha mask gets a 108-byte BITMAPV4 header with its four masks instead), the colour table
// (clrUsed entries, or 2^bits when that is 0; none above 8 bits), the rows bottom-up.
[[nodiscard]] QByteArray write(const Dib &dib);

// The packed DIB (without the file header), always with a 40-byte header (icon images keep their
// alpha in the fourth byte). With heightFactor 2 the header's height is doubled, as icon images
// store it (the caller appends the mask).
[[nodiscard]] QByteArray writePacked(const Dib &dib, int heightFactor = 1);

} // namespace bmpfile
