#pragma once

// Keeps the program responsive while it waits: 0 processes the pending events once; otherwise
// events are processed until at least ms milliseconds have passed on a 64-bit monotonic clock (no
// wrap after 49.7 days). Posted messages and timers run inside, so callers must expect re-entry.
// Without an application object it only sleeps.
void DelayWithMessages(int ms);
