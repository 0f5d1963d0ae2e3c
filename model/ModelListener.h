#pragma once

#include <cstdint>

// The one party the model's commands tell what they changed (the master window, which passes it
// on to the windows that show reminders and to the reminder check). A command tells it once, as
// its very last step, when the model is whole again and the command holds no reminder: the
// listener may run the event loop or start another command.
class IModelListener {
public:
  virtual ~IModelListener() = default;

  // The store was read again from its file and every reminder object is new (run-time numbers
  // too): refresh whatever shows or lists reminders, and check them all.
  virtual void StoreReloaded() = 0;
  // Reminders changed in memory (moved, deleted, copied) but the store's file could not take the
  // change: refresh from the reminders in memory, which hold it. Nothing was read back.
  virtual void RemindersChanged() = 0;
  // One reminder's stored fields changed; it keeps its object and run-time number.
  virtual void ReminderUpdated(int32_t number) = 0;
};
