#include "tests/imaging/PictureSamples.h"

#include "imaging/BmpFile.h"
#include "imaging/ByteIO.h"

#include <QBuffer>

namespace samples {

QByteArray ico(const std::vector<IcoImage> &images, std::uint16_t type) {
  std::vector<QByteArray> bodies;
  for (const IcoImage &im : images) {
    if (!im.png.isEmpty()) {
      bodies.push_back(im.png);
      continue;
    }
    QByteArray body = bmpfile::writePacked(im.colors, 2);
    Dib mask(im.colors.width(), im.colors.height(), 1);
    for (int y = 0; y < mask.height(); ++y)
      for (int x = 0; x < mask.width(); ++x) {
        const std::size_t i = std::size_t(y) * std::size_t(mask.width()) + std::size_t(x);
        mask.setPixelIndex(x, y, i < im.transparent.size() && im.transparent[i] ? 1 : 0);
      }
    for (int i = 0; i < mask.height(); ++i)
      body.append(reinterpret_cast<const char *>(mask.bottomUpRow(i)), mask.stride());
    bodies.push_back(body);
  }
  QByteArray out;
  byteio::putU16(out, 0);
  byteio::putU16(out, type);
  byteio::putU16(out, std::uint16_t(images.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const IcoImage &im = images[i];
    const int w = im.png.isEmpty() ? im.colors.width() : 32;
    const int h = im.png.isEmpty() ? im.colors.height() : 32;
    out.append(char(w & 0xFF)).append(char(h & 0xFF));
    out.append(char(im.colors.bitCount() == 4 ? 16 : 0)).append('\0');
    byteio::putU16(out, 1);
    byteio::putU16(out, im.directoryBitCount ? im.directoryBitCount
                                             : std::uint16_t(im.colors.bitCount()));
    byteio::putU32(out, std::uint32_t(bodies[i].size()));
    byteio::putU32(out, offset);
    offset += std::uint32_t(bodies[i].size());
  }
  for (const QByteArray &b : bodies)
    out.append(b);
  return out;
}

IcoImage square(int size, int bitCount) {
  IcoImage im;
  im.colors = Dib(size, size, bitCount);
  if (bitCount <= 8) {
    TPalette p({TRgbQuad::fromColor(Odd), TRgbQuad::fromColor(Other)});
    if (bitCount > 1)
      p.resize(1 << bitCount);
    im.colors.setPalette(p);
  }
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      im.colors.setPixel(x, y, x < size / 2 ? Odd : Other);
  if (bitCount == 32) // a 32-bit image with opaque alpha bytes
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        im.colors.row(y)[x * 4 + 3] = 255;
  im.transparent.assign(std::size_t(size) * std::size_t(size), false);
  im.transparent[0] = true;
  if (bitCount == 32)
    im.colors.row(0)[3] = 0;
  return im;
}

QByteArray png(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(ColorToQRgb(Odd));
  image.setPixel(0, 0, 0);
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return out;
}

QByteArray iconListStream(const std::vector<QByteArray> &icos) {
  QByteArray out;
  byteio::putI32(out, std::int32_t(icos.size()));
  for (const QByteArray &b : icos) {
    byteio::putI32(out, std::int32_t(b.size()));
    out.append(b);
  }
  return out;
}

} // namespace samples
