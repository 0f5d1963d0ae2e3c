#pragma once

#include <QString>

// The display system the program asks Qt for. Stickers need a stored position and a keep-on-top
// window, which Wayland clients cannot have; an X server run by the Wayland desktop (XWayland)
// gives both. So when both WAYLAND_DISPLAY and DISPLAY are set and the user chose no platform
// (neither QT_QPA_PLATFORM nor a -platform argument), the program runs on xcb.

// The platform to ask for, or empty to leave Qt's own choice.
[[nodiscard]] QString ChooseDisplayPlatform(const QString &qpaPlatform, bool waylandDisplay,
                                            bool x11Display, bool platformArgument);

// Applies the choice to this process's environment; call before the application object exists.
// Gives the platform set, or empty.
QString ApplyDisplayPlatformChoice(int argc, char **argv);
