#pragma once

#include <QString>

// A new random identifier as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hex, braces).
[[nodiscard]] QString CreateGuidText();
