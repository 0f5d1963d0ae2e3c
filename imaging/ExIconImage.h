#pragma once

#include "imaging/Palette.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>

class TExIconCursor;

// The colour depth of one icon or cursor image, as the multi-image icon classes code it.
namespace exicon {

inline const QString PixelFormatText =
    QStringLiteral("Pixel Format Not Valid for Icons or Cursors");
inline const QString InvalidBitmapText = QStringLiteral("Invalid Bitmap");

enum DepthCode : std::uint8_t {
  DepthDevice = 0,      // none (the display's own)
  Depth1 = 1,           // 2 colours
  Depth4 = 2,           // 16 colours
  Depth8 = 3,           // 256 colours
  Depth16 = 4,          // 5-5-5, no bit fields
  Depth16BitFields = 5, // bit-field masks
  Depth24 = 6,
  Depth32 = 7,
};

// The code of a header's bit count and compression. Raises EInvalidGraphic(PixelFormatText) for
// a bit count outside 1, 4, 8, 16, 24, 32 and for 16 bits with a compression other than 0 or 3.
[[nodiscard]] std::uint8_t DepthCodeOf(int bitCount, std::uint32_t compression);
// Bits per pixel of a code (0 for code 0).
[[nodiscard]] int BitCountOf(std::uint8_t depthCode);

// Whether image data is a PNG file (the form newer icon files use for large images).
[[nodiscard]] bool IsPng(const QByteArray &imageData);

// Checks the image part of raw data read from a file, starting at `headerOffset`, and gives its
// depth code: a PNG image is taken as it stands (code 7); a bitmap image must hold a 40-byte
// header, whose image-size field is set to 0 (writers disagree on it). Raises
// EInvalidGraphic("Invalid Icon or Cursor") for data too short for a header and
// EInvalidGraphic(PixelFormatText) for a depth outside the table.
[[nodiscard]] std::uint8_t PrepareReadImage(QByteArray &raw, int headerOffset);

// An icon image (no hot spot) of an ARGB picture at a bit count: the colour part at that depth,
// then the 1-bit mask. A pixel is transparent (mask bit 1) when its alpha is below 128 or, when
// `keyColor` is not clNone, when its colour equals it; transparent pixels are stored black (the
// palette entry nearest to black; at 32 bits all four bytes 0, so the alpha channel agrees with
// the mask). 32-bit pixels keep their alpha. At 8 bits or less the palette is used when it is
// not empty, otherwise the colour reduction of the program picks one. `bitFields` selects 5-6-5
// bit fields at 16 bits.
[[nodiscard]] QByteArray EncodeImage(const QImage &picture, int bitCount, bool bitFields,
                                     const TPalette &palette, TColor keyColor);

} // namespace exicon

// One image of a multi-image icon or cursor, shared between the icon objects that hold it.
//
// The raw data is the image as its file stores it; for a cursor image it starts with the hot
// spot (x, y as two 16-bit words), then for both kinds the bitmap header, colour table, colour
// bits and AND mask (or a PNG file). The handle is the decoded picture, made on demand.
class TExIconImage {
public:
  explicit TExIconImage(bool isIcon) : m_isIcon(isIcon) {}

  [[nodiscard]] bool IsIcon() const { return m_isIcon; }
  // Pixels; 0 when the directory said 0 (a 256-pixel image) and no handle was made yet.
  [[nodiscard]] int Width() const { return m_width; }
  [[nodiscard]] int Height() const { return m_height; }
  [[nodiscard]] std::uint8_t DepthCode() const { return m_depthCode; }
  [[nodiscard]] const QByteArray &RawData() const { return m_raw; }
  // The raw data without a cursor's hot spot.
  [[nodiscard]] QByteArray ImageData() const;
  // A cursor image's hot spot; (0, 0) for icons and without raw data.
  [[nodiscard]] QPoint HotSpot() const;
  [[nodiscard]] bool HasHandle() const { return !m_handle.isNull(); }
  // The decoded picture (Format_ARGB32), null while no handle is made.
  [[nodiscard]] const QImage &Handle() const { return m_handle; }

  // Makes the handle from the raw data unless there is one or there is no raw data; raw data of
  // 44 bytes or less gives none. Then width, height and depth code come from the image's own
  // header. Raises EInvalidGraphic("Invalid Icon or Cursor") when the data does not decode.
  void MakeHandle();
  // Makes the raw data from the handle unless there is raw data. Without a handle raises
  // EInvalidGraphic("Invalid Icon or Cursor").
  void MakeRawData();
  // The picture of the raw data, decoded without changing the record; null when it has none
  // or it does not decode.
  [[nodiscard]] QImage Decode() const;
  // The colour table from the header (2 entries or more), made on demand; null for none.
  [[nodiscard]] const TPalette *Palette();

private:
  friend class TExIconCursor;

  bool m_isIcon;
  QImage m_handle;
  TPalette m_palette;
  bool m_paletteMade = false;
  QByteArray m_raw;
  int m_width = 0;
  int m_height = 0;
  std::uint8_t m_depthCode = exicon::DepthDevice;
};
