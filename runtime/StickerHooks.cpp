#include "runtime/StickerHooks.h"

#include <utility>

TStickerHooks &StickerHooks() {
  static TStickerHooks hooks;
  return hooks;
}

ScopedStickerHooks::ScopedStickerHooks(TStickerHooks hooks)
    : m_previous(std::exchange(StickerHooks(), std::move(hooks))) {}

ScopedStickerHooks::~ScopedStickerHooks() { StickerHooks() = std::move(m_previous); }
