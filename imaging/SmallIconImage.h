#pragma once

class TIcon;

// Reduces an icon to the one image the notification area and the small previews show: the
// 16-pixel-wide image of the preferred colour depth.
//
// With one image the icon is left as it is. With two or more, the depth codes of the
// multi-image icon (TExIcon) are tried in order, the first 16-pixel-wide image of a code wins:
// 7, 6, 5, 4, 3, 2, 1, 0 (deepest first) when `preferDeepColours` is set, else
// 2, 3, 5, 4, 6, 7, 1, 0; without a 16-pixel image the first image. The icon then holds only the
// chosen image (a one-image ICO of its data).
//
// An icon whose data the multi-image reader refuses is left unreduced: reducing is a
// nicety, and a tray icon must never fail on it. Empty icons are left alone.
void SelectSmallIconImage(TIcon &icon, bool preferDeepColours = true);
