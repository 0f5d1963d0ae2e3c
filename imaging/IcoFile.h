#pragma once

#include "imaging/Dib.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

// The ICO (and CUR) container: a 6-byte header (reserved, type 1 icon / 2 cursor, count), one
// 16-byte directory entry per image, then the images, each a packed DIB whose header height is
// doubled (colour rows, then a 1-bit AND mask) or, in newer files, a PNG file.
//
// The reader checks every entry against the file before use and raises EInvalidGraphic
// ("Invalid Icon or Cursor") on bad data.
namespace icofile {

inline const QString InvalidText = QStringLiteral("Invalid Icon or Cursor");

struct Entry {
  std::uint8_t width = 0;  // as stored: 0 means 256
  std::uint8_t height = 0; // as stored: 0 means 256
  std::uint8_t colorCount = 0;
  std::uint8_t reserved = 0;
  std::uint16_t planes = 0;   // a cursor's hot spot x
  std::uint16_t bitCount = 0; // a cursor's hot spot y
  std::uint32_t size = 0;
  std::uint32_t offset = 0;
};

struct Directory {
  int type = 0;
  std::vector<Entry> entries;
};

// Parses the header and directory. `type` is the type the caller accepts (1 icons, 2 cursors,
// 0 either). Every entry must lie inside the data and be at least 8 bytes long; a file without
// images is refused.
[[nodiscard]] Directory parse(const QByteArray &file, int type = 1);

// One decoded image of an entry.
struct Image {
  QImage image;     // Format_ARGB32, alpha 0 where the mask (or the alpha channel) says so
  int bitCount = 0; // from the image's own header (never from the directory); 32 for PNG
  bool png = false;
  // The colour part as stored (empty for PNG images).
  Dib colors;
};

// Decodes the image of an entry. A 32-bit image whose alpha bytes are all 0 takes the AND mask,
// as the display system does. Raises EInvalidGraphic(InvalidText) on bad data.
[[nodiscard]] Image decode(const QByteArray &file, const Entry &entry);

// The entry the program shows when it needs one image: the size nearest to 32 x 32 (the
// system's icon size), then the most bits per pixel (by its header), then the first.
[[nodiscard]] int preferredEntry(const QByteArray &file, const Directory &directory);

// A one-image icon file of an ARGB image: a 32-bit colour part with its alpha, and an AND mask
// set where the alpha is below 128. Images larger than 256 pixels are refused.
[[nodiscard]] QByteArray build(const QImage &image);

} // namespace icofile
