// libFuzzer entry: feeds arbitrary bytes to the GIF reader, decodes every frame of a sane size,
// draws the image and writes it back. Refusals are the format's own errors; anything else (a
// crash, a sanitizer report, a hang, a huge allocation) is a finding.
#include "imaging/Bitmap.h"
#include "imaging/GIFImage.h"
#include "platform/Errors.h"

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  TGIFImage image;
  try {
    image.read(std::span(data, size), false);
  } catch (const ETolvaneError &) {
  }
  for (int i = 0; i < image.frameCount(); ++i) {
    const TGIFFrame &frame = image.frame(i);
    if (std::int64_t{frame.Item->Width} * frame.Item->Height > (1 << 16))
      continue;
    try {
      (void)frame.bitmap();
    } catch (const ETolvaneError &) {
    }
    QImage target(8, 8, QImage::Format_ARGB32);
    QPainter painter(&target);
    frame.draw(painter, QRect(0, 0, 8, 8), true);
    // As the picture control shows it: stretched, and cut to a part.
    (void)frame.toImage(true, QSize(13, 7), QRect(2, 1, 9, 5));
  }
  try {
    if (image.frameCount() > 0)
      (void)image.write();
  } catch (const ETolvaneError &) {
  }
  return 0;
}
