#pragma once

class QWidget;

// Speed buttons are QToolButtons; their Tag is the dynamic int property "tag" (settable in .ui).
// Every speed button in the widget tree whose tag equals the given one loses its caption.
void ClearSpeedButtonCaptions(QWidget *form, int tag);
// Every speed button in the widget tree that has an action gets the action's caption as its hint;
// the hint shows exactly when that caption is not empty.
void SpeedButtonHintsFromActions(QWidget *form);
