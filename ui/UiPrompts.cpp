#include "ui/UiPrompts.h"

#include "ui/QtPrompts.h"

namespace {

UiPrompts *&current() {
  static TQtPrompts real;
  static UiPrompts *prompts = &real;
  return prompts;
}

} // namespace

UiPrompts &uiPrompts() { return *current(); }

ScopedUiPrompts::ScopedUiPrompts(UiPrompts &prompts) : m_previous(current()) {
  current() = &prompts;
}

ScopedUiPrompts::~ScopedUiPrompts() { current() = m_previous; }
