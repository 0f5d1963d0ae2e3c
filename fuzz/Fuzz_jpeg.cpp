// libFuzzer entry: feeds arbitrary bytes to the jpeg reader. Refusals are the format's own errors;
// anything else (a crash, a sanitizer report, a huge allocation) is a finding.
#include "imaging/DibRowConverter.h"
#include "imaging/JpegImage.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  try {
    const Dib pixels = TJPEGImage::decode(bytes);
    (void)TDibRowConverter(pixels).stretched(QSize(13, 7), QRect(2, 1, 9, 5));
  } catch (const ETolvaneError &) {
  }
  return 0;
}
