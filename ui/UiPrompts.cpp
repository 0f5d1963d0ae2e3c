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

QWidget *UiPrompts::openNotice(const QString &text, const std::function<void()> &closed) {
  notice(text);
  closed();
  return nullptr;
}
