#include "runtime/UiHooks.h"

TUiHooks &UiHooks() {
  static TUiHooks hooks;
  return hooks;
}

ScopedUiHooks::ScopedUiHooks(TUiHooks hooks) : m_previous(std::move(UiHooks())) {
  UiHooks() = std::move(hooks);
}

ScopedUiHooks::~ScopedUiHooks() { UiHooks() = std::move(m_previous); }
