#include "imaging/SmallIconImage.h"

#include "imaging/ExIcon.h"
#include "imaging/Icon.h"
#include "platform/Errors.h"

#include <array>

namespace {

constexpr int SmallIconWidth = 16;
constexpr std::array<int, 8> DeepFirst = {7, 6, 5, 4, 3, 2, 1, 0};
constexpr std::array<int, 8> SixteenColoursFirst = {2, 3, 5, 4, 6, 7, 1, 0};

int chooseImage(const TExIcon &icons, bool preferDeepColours) {
  const int count = icons.GetImageCount();
  // Every image takes part in the search, the first one too: a 16-pixel image of the best
  // depth at index 0 must not lose to a worse one behind it.
  for (int code : preferDeepColours ? DeepFirst : SixteenColoursFirst)
    for (int i = 0; i < count; ++i) {
      const TExIconImage &image = icons.GetImage(i);
      if (image.Width() == SmallIconWidth && image.DepthCode() == code)
        return i;
    }
  // Every code is in both orders, so a 16-pixel image is always found above.
  return 0;
}

} // namespace

void SelectSmallIconImage(TIcon &icon, bool preferDeepColours) {
  if (icon.empty())
    return;
  try {
    TExIcon icons;
    icons.loadFromBytes(icon.saveToBytes());
    if (icons.GetImageCount() < 2)
      return;
    icons.SetCurrent(chooseImage(icons, preferDeepColours));
    const std::unique_ptr<TIcon> chosen = icons.ReleaseHandle();
    if (!chosen->empty())
      icon.assign(chosen.get());
  } catch (const ETolvaneError &) {
    // The icon stays as it was (see the header).
  }
}
