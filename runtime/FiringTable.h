#pragma once

#include "model/FiringState.h"
#include "platform/DateTime.h"
#include "runtime/ReminderOutputs.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

// One reminder's firing as the runtime keeps it: what the schedule needs of it, the live outputs
// while it fires, and what the sound and demo mode must remember between firings.
struct TFiring {
  // What a firing started in demo mode replaced, put back when that firing ends: a demonstration
  // leaves no trace in what the schedule counts on.
  struct TDemoRestore {
    TDateTime fireTime;
    TFireKind kind = TFireKind::Main;
    TFireKind lastKind = TFireKind::Main;
  };

  TFiringState state;
  std::unique_ptr<ITrayIconView> trayIcon;
  std::unique_ptr<IStickerView> sticker;
  std::unique_ptr<ISoundPlayer> sound;
  // The user stopped the sound: no firing of this reminder plays it until the user starts it
  // again ("Start").
  bool soundStoppedByUser = false;
  TDateTime soundStopTime; // when the player was last released, on the wall clock
  // The same on the monotonic tick count: a sound is not opened again within a second of its
  // release, whatever the wall clock does.
  std::optional<uint32_t> soundStopTick;
  std::optional<TDemoRestore> demoRestore;
  // The scheduler's own mark: the last pass over all reminders that met this firing's reminder.
  uint64_t seenInPass = 0;
  // The firing began before a restart and goes on after it, without its actions: its sound
  // played when it began.
  bool resumed = false;
};

// The firings of the reminders, keyed by reminder id: an id survives a store reload that reads
// every reminder anew and renumbers it, so a firing is neither lost nor started twice by one. An
// entry lives from a reminder's first firing until its reminder leaves the store; its state
// stays after the firing ends (the fire time keeps the same run from firing again).
//
// Entries are looked up again after anything that can run the event loop: a dropped entry is
// freed. GUI thread only.
class TFiringTable {
public:
  TFiringTable() = default;
  // What is left goes in the fixed order, without a close: the program has released the outputs
  // it wanted closed (ReleaseAllOutputs) while the model still lived.
  ~TFiringTable();
  TFiringTable(const TFiringTable &) = delete;
  TFiringTable &operator=(const TFiringTable &) = delete;

  // The entry of a reminder id, or none.
  [[nodiscard]] TFiring *Find(const QString &id);
  [[nodiscard]] const TFiring *Find(const QString &id) const;
  // The entry of a reminder id, made empty when there is none.
  [[nodiscard]] TFiring &Get(const QString &id);
  // The state of a reminder's firing: the empty state when it never fired.
  [[nodiscard]] const TFiringState &StateOf(const QString &id) const;
  // The ids of all entries, in no particular order.
  [[nodiscard]] QStringList Ids() const;
  [[nodiscard]] int Count() const { return static_cast<int>(m_entries.size()); }
  // Moves on whenever an entry is dropped: an entry found at one generation is still there, at
  // the same place, while the generation stays (entries that are made move nothing).
  [[nodiscard]] uint64_t Generation() const { return m_generation; }

  // Each releases one output of the id's firing, when it has one. Each takes the output out of
  // the entry first, so that whatever the output does while it goes finds the entry without it.
  void HideTrayIcon(const QString &id);
  void CloseSticker(const QString &id);
  // Also notes when, on both clocks.
  void StopSound(const QString &id);
  // All three, in the fixed order: tray icon, sticker, sound.
  void ReleaseOutputs(const QString &id);
  // The outputs of every firing (the firing states stay).
  void ReleaseAllOutputs();
  // Drops the entries whose id `known` does not know, each with its outputs released first.
  // Gives how many went.
  int DropUnknown(const std::function<bool(const QString &id)> &known);

private:
  // By pointer, so that an entry stays where it is while others come and go.
  std::unordered_map<QString, std::unique_ptr<TFiring>> m_entries;
  uint64_t m_generation = 0;
};
