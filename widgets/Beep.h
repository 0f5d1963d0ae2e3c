#pragma once

#include "platform/ScopedOverride.h"

// The default beep of a refused key or a step on a read-only box.
void Beep();

using BeepFunction = void (*)();
// Where Beep() finds the beep to sound.
[[nodiscard]] OverrideSlot<BeepFunction> &beepSlot();
// Replaces the beep until the object dies (tests count beeps with it: the offscreen platform
// makes no sound).
using ScopedBeep = ScopedOverride<&beepSlot>;
