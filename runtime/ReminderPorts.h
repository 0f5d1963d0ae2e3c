#pragma once

#include "model/FiringState.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderOutputs.h"

#include <QString>

#include <memory>

class TDataObject;

// What the reminder check needs from the layer above besides the model: the live outputs. The
// program supplies the real ones (app/MasterReminderOutputs.h); tests supply fakes that record
// every output and release.

// Makes the live outputs of a firing reminder. A sticker or tray icon that cannot be made comes
// back empty, and the next check asks again.
//
// A sticker or tray icon keeps the lookup of its reminder, not the object (the runtime's lookup
// by id); the lookup finds the reminder when the factory is called.
class IReminderOutputFactory {
public:
  virtual ~IReminderOutputFactory() = default;
  // The reminder's sticker window for that firing, shown, with the firing reminder's popup menu.
  [[nodiscard]] virtual std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &reminder,
                                                                    const TFiringState &firing) = 0;
  // The reminder's own tray icon, active, with its icon, the firing's hint and the popup menu.
  [[nodiscard]] virtual std::unique_ptr<ITrayIconView>
  CreateTrayIcon(const TReminderLookup &reminder, const TFiringState &firing) = 0;
  // A closed sound player.
  [[nodiscard]] virtual std::unique_ptr<ISoundPlayer> CreateSoundPlayer() = 0;
  // Brings a sticker this factory made back above the other windows.
  virtual void RaiseSticker(IStickerView &sticker) = 0;
};
