// libFuzzer entry: feeds arbitrary bytes to the multi-image icon and cursor readers, then uses
// what they read (decoding, drawing, handing over one image, writing back, the clipboard form)
// and the small-icon selection. Refusals are the format's own errors; anything else (a crash, a
// sanitizer report, a huge allocation) is a finding.
#include "imaging/ExIcon.h"
#include "imaging/Icon.h"
#include "imaging/SmallIconImage.h"
#include "platform/Errors.h"

#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

void use(TExIconCursor &icons) {
  QImage canvas(8, 8, QImage::Format_ARGB32);
  QPainter painter(&canvas);
  for (int i = 0; i < icons.GetImageCount(); ++i) {
    icons.SetCurrent(i);
    icons.draw(painter, QRect(0, 0, 8, 8));
    try {
      (void)icons.ReleaseHandle();
      int format = 0;
      QByteArray dib;
      icons.SaveToClipboardFormat(format, dib);
      icons.LoadFromClipboardFormat(format, dib);
    } catch (const ETolvaneError &) {
    }
  }
  try {
    TExIconCursor back(icons);
    back.loadFromBytes(icons.saveToBytes());
  } catch (const ETolvaneError &) {
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  for (bool icon : {true, false}) {
    std::unique_ptr<TExIconCursor> icons =
        icon ? std::make_unique<TExIcon>() : std::make_unique<TExIconCursor>();
    try {
      icons->loadFromBytes(bytes);
    } catch (const ETolvaneError &) {
      continue;
    }
    use(*icons);
  }
  try {
    TIcon icon;
    icon.loadFromBytes(bytes);
    SelectSmallIconImage(icon);
  } catch (const ETolvaneError &) {
  }
  return 0;
}
