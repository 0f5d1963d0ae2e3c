// libFuzzer entry: feeds arbitrary bytes to the GIF reader and lets the animator compose the
// frames, first in order (each step drawn over the one before) and then each afresh (backwards,
// so that no step can reuse the one before). A picture may come from any imported file; what it
// costs to show must stay bounded, so a huge allocation or a hang is a finding like a crash.
#include "imaging/GIFImage.h"
#include "platform/Errors.h"
#include "widgets/GIFControl.h"

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace {

std::unique_ptr<TGIFAnimator> animator;

void compose(int index) {
  try {
    (void)animator->composeFrame(index);
  } catch (const ETolvaneError &) {
  } catch (const std::bad_alloc &) {
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_gifanimator";
  static char *argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  animator = std::make_unique<TGIFAnimator>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  TGIFImage image;
  try {
    image.read(std::span(data, size), false);
  } catch (const ETolvaneError &) {
  }
  animator->setImage(&image);
  const int count = animator->image().frameCount();
  const std::int64_t screen =
      std::int64_t{animator->image().screenWidth()} * animator->image().screenHeight();
  if (count == 0 || screen <= 0)
    return 0;
  // Each composition touches the whole screen; keep one input to about 2^24 pixels of it. The
  // frames themselves are not limited: frames far larger than the screen are the point.
  const int steps =
      static_cast<int>(std::min<std::int64_t>(count, (std::int64_t{1} << 24) / screen));
  for (int i = 0; i < steps; ++i)
    compose(i);
  // A fresh composition replays the frames before it: about fresh^2 / 2 frames in all.
  const auto bound = static_cast<int>(std::sqrt(double(std::int64_t{1} << 25) / double(screen)));
  const int fresh = std::min({steps, 64, bound});
  for (int i = fresh - 1; i >= 0; --i)
    compose(i);
  (void)animator->frameShowsThrough(0xFF00FF00);
  return 0;
}
