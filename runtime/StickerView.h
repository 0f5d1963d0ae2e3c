#pragma once

#include "model/ReminderOutputs.h"

#include <QPointer>

class TFormSticker;

// A reminder's hold on its sticker window (TDataObject::Sticker). It creates the window hidden;
// the caller shows it (TFormSticker::ShowReminder). Closing runs the window's close (which stores
// its position once), forgets the reminder and releases the window from the event loop, so it is
// safe from inside any of the window's own handlers.
class TStickerView final : public IStickerView {
public:
  TStickerView();
  ~TStickerView() override;
  TStickerView(const TStickerView &) = delete;
  TStickerView &operator=(const TStickerView &) = delete;

  // The window; null once closed.
  [[nodiscard]] TFormSticker *window() const { return m_window.data(); }

  void close() override;

private:
  void release();

  QPointer<TFormSticker> m_window;
};
