// libFuzzer entry: feeds arbitrary bytes to the animated-cursor reader and hands what it read
// to an icon list, a GIF image and a bitmap strip. Refusals are the format's own errors; anything
// else (a crash, a sanitizer report, a huge allocation) is a finding.
#include "imaging/AniCursor.h"
#include "imaging/Bitmap.h"
#include "imaging/GIFImage.h"
#include "imaging/IconList.h"
#include "platform/Errors.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  try {
    TAnimatedCursorImage cursor;
    cursor.LoadFromStream(buffer);
    TIconList list;
    cursor.AssignTo(list);
    TGIFImage gif;
    gif.assign(&cursor);
    TBitmap strip;
    cursor.AssignTo(strip);
  } catch (const ETolvaneError &) {
  }
  return 0;
}
