#pragma once

#include "model/FiringState.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderOutputs.h"

#include <QPointer>

#include <memory>

class IUserInterface;
class TModel;
class TFormSticker;
struct TStickerPopup;

// A hold on a sticker window: a firing's (in the runtime's firing table) or the editor's preview.
// It creates the window hidden; the caller shows it (TFormSticker::ShowReminder). Closing runs the
// window's close (which stores its position once), forgets the reminder and releases the window
// from the event loop, so it is safe from inside any of the window's own handlers. Destroying it
// releases the window the same way, without the close.
class TStickerView final : public IStickerView {
public:
  TStickerView(TModel &model, IUserInterface &ui);
  ~TStickerView() override;
  TStickerView(const TStickerView &) = delete;
  TStickerView &operator=(const TStickerView &) = delete;

  // A firing reminder's sticker: created, filled from the reminder and its stored pictures, and
  // shown, with the popup menu of a firing reminder.
  [[nodiscard]] static std::unique_ptr<TStickerView>
  Show(TModel &model, IUserInterface &ui, TReminderLookup reminder, const TFiringState &firing,
       WindowHandle owner, const TStickerPopup &popup);

  // The window; null once closed.
  [[nodiscard]] TFormSticker *window() const { return m_window.data(); }

  void close() override;
  // Brings a shown window back above the other windows and activates it.
  void Raise();

private:
  void release();

  QPointer<TFormSticker> m_window;
};
