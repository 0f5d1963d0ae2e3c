#pragma once

class QWidget;

// Keeps the program responsive while it waits: 0 processes the pending events once; otherwise
// events are processed until at least ms milliseconds have passed on a 64-bit monotonic clock (no
// wrap after 49.7 days). Posted messages and timers run inside, so callers must expect re-entry.
// Without an application object it only sleeps.
void DelayWithMessages(int ms);

// The wait cursor for the whole application.
void SetHourglassCursor();
// The normal cursor again, however often the wait cursor was set.
void RestoreCursor();

// Speed buttons are QToolButtons; their Tag is the dynamic int property "tag" (settable in .ui).
// Every speed button in the widget tree whose tag equals the given one loses its caption.
void ClearSpeedButtonCaptions(QWidget *form, int tag);
// Every speed button in the widget tree that has an action gets the action's caption as its hint;
// the hint shows exactly when that caption is not empty.
void SpeedButtonHintsFromActions(QWidget *form);
