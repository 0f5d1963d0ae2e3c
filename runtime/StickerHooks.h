#pragma once

#include "platform/MessageHub.h"

#include <functional>

// What a sticker window needs from the windows above the runtime layer (the main window and the
// reminder editor). The program's main() fills the table at start-up; an empty entry does
// nothing (a handle of 0).
struct TStickerHooks {
  // The main window's handle while it is open, else 0: a click on a sticker selects the
  // reminder's row there.
  std::function<WindowHandle()> MainWindowHandle;
  // Marks the reminder editor as modified when one is open (SetModified); nothing otherwise.
  std::function<void()> SetEditorModified;
};

[[nodiscard]] TStickerHooks &StickerHooks();

// Puts another table in place for the lifetime of this object (tests).
class ScopedStickerHooks {
public:
  explicit ScopedStickerHooks(TStickerHooks hooks);
  ~ScopedStickerHooks();
  ScopedStickerHooks(const ScopedStickerHooks &) = delete;
  ScopedStickerHooks &operator=(const ScopedStickerHooks &) = delete;

private:
  TStickerHooks m_previous;
};
