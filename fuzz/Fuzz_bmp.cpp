// libFuzzer entry: feeds arbitrary bytes to the bmp reader. Refusals are the format's own errors;
// anything else (a crash, a sanitizer report, a huge allocation) is a finding.
#include "imaging/Bitmap.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  try {
    TBitmap b;
    b.loadFromBytes(bytes);
    (void)b.saveToBytes();
    (void)b.toImage();
    // As the picture control shows it: stretched, and cut to a part.
    b.setTransparent(true);
    (void)b.renderScaled(QSize(13, 7), QRect(2, 1, 9, 5));
  } catch (const ETolvaneError &) {
  }
  return 0;
}
