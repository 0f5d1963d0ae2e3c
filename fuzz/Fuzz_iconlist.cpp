// libFuzzer entry: feeds arbitrary bytes to the iconlist reader. Refusals are the format's own
// errors; anything else (a crash, a sanitizer report, a huge allocation) is a finding.
#include "imaging/IconList.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  try {
    TIconList list;
    try {
      list.loadFromBytes(bytes);
    } catch (const ETolvaneError &) {
    }
    (void)list.saveToBytes();
  } catch (const ETolvaneError &) {
  }
  return 0;
}
