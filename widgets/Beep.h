#pragma once

// The default beep of a refused key or a step on a read-only box. Tests replace it to count the
// beeps (the offscreen platform makes no sound).
void Beep();

using BeepFunction = void (*)();

// Installs another beep (null puts back the system's); gives the one it replaces.
BeepFunction setBeepFunction(BeepFunction beep);
