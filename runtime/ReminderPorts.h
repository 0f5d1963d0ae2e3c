#pragma once

#include "model/FiringState.h"
#include "platform/MessageHub.h"
#include "runtime/ReminderOutputs.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class TDataObject;

// What the reminder check needs from the layers around it. The master window supplies the real
// ones; tests supply fakes.

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

// The reminders the check walks, and the store they are written back to.
class IReminderList {
public:
  virtual ~IReminderList() = default;
  // The run-time numbers of all reminders, in check order.
  [[nodiscard]] virtual std::vector<int32_t> Numbers() const = 0;
  // The reminders themselves, in the same order; they hold while Generation() stays.
  [[nodiscard]] virtual std::vector<TDataObject *> Objects() const = 0;
  // Moves on whenever a reminder comes into the list or leaves it.
  [[nodiscard]] virtual uint64_t Generation() const = 0;
  [[nodiscard]] virtual TDataObject *FindByNumber(int32_t number) const = 0;
  [[nodiscard]] virtual TDataObject *FindById(const QString &id) const = 0;
  // Rewrites the reminder's item in the store document; with `flush` the data file is written
  // at once.
  virtual void SaveToStore(TDataObject &reminder, bool flush) = 0;
  // Makes what a firing changed in the reminder durable before anything else happens: the item
  // in the store document, and the firing's record (the run that fired, the run warned of, the
  // close, enable, the remind-again window) in the store's journal, synced to disk, at a cost
  // that does not grow with the store.
  virtual void RecordFiring(TDataObject &reminder) = 0;
};
