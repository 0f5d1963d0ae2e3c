#include "ui/UiPrompts.h"

#include "ui/QtPrompts.h"

OverrideSlot<UiPrompts> &uiPromptsSlot() {
  static constinit OverrideSlot<UiPrompts> slot{[]() -> UiPrompts & {
    static TQtPrompts real;
    return real;
  }};
  return slot;
}

UiPrompts &uiPrompts() { return uiPromptsSlot().get(); }
