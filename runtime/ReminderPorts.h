#pragma once

#include "model/ReminderOutputs.h"
#include "model/ReminderRecords.h"
#include "platform/MessageHub.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TDataObject;

// What the reminder check needs from the layers around it. The master window supplies the real
// ones; tests supply fakes.

// A reminder's sound while it fires: one player, opened on one file. Rewind and Play serve the
// repeat; the volume calls serve the volume dialog.
class IReminderSound : public ISoundPlayer {
public:
  // Opens the file, sets the volume (0..1000) and plays it; the natural end is posted to
  // `notify` as MM_MCINOTIFY. Raises when the sound cannot be opened or started.
  virtual void PlayFile(const QString &fileName, int volume, WindowHandle notify) = 0;
  // Back to the start, silently. Gives 0 on success.
  virtual int Rewind() = 0;
  // Plays from the current position with the end posted to `notify`. Gives 0 on success.
  virtual int Play(WindowHandle notify) = 0;
  // 0..1000, effective at once. Gives 0 on success.
  virtual int SetVolume(int volume) = 0;
  [[nodiscard]] virtual int GetVolume() const = 0;
  // The device named in the completion notice; 0 while nothing is open.
  [[nodiscard]] virtual quint16 DeviceId() const = 0;
};

// Makes the live outputs of a firing reminder. A sticker or tray icon that cannot be made comes
// back empty, and the next check asks again.
class IReminderOutputFactory {
public:
  virtual ~IReminderOutputFactory() = default;
  // The reminder's sticker window, shown, with the firing reminder's popup menu.
  [[nodiscard]] virtual std::unique_ptr<IStickerView> CreateSticker(TDataObject &reminder) = 0;
  // The reminder's own tray icon, active, with its icon, hint and the popup menu.
  [[nodiscard]] virtual std::unique_ptr<ITrayIconView> CreateTrayIcon(TDataObject &reminder) = 0;
  // A closed sound player.
  [[nodiscard]] virtual std::unique_ptr<IReminderSound> CreateSoundPlayer() = 0;
  // Brings a sticker this factory made back above the other windows.
  virtual void RaiseSticker(IStickerView &sticker) = 0;
};

// The reminders the check walks, and the store they are written back to.
class IReminderList {
public:
  virtual ~IReminderList() = default;
  // The run-time numbers of all reminders, in check order.
  [[nodiscard]] virtual std::vector<int32_t> Numbers() const = 0;
  [[nodiscard]] virtual TDataObject *FindByNumber(int32_t number) const = 0;
  [[nodiscard]] virtual TDataObject *FindById(const QString &id) const = 0;
  // Rewrites the reminder's item in the store document; with `flush` the data file is written
  // at once.
  virtual void SaveToStore(TDataObject &reminder, bool flush) = 0;
};

// The dialogs a firing reminder's popup menu opens. Each gets the reminder's run-time number,
// never the object: the dialog runs an event loop, during which the reminder may be re-read or
// deleted, so it looks the reminder up again whenever it needs it. An empty function makes its
// action do nothing.
struct TReminderDialogs {
  // "Close and remind in ...": true when confirmed with the remind-again window enabled.
  std::function<bool(const QString &title, QPoint at, int32_t number)> remindAfter;
  // The volume of the playing sound.
  std::function<void(QPoint at, int32_t number)> volume;
  // EditReminder: the editor for the reminder with `id` at a list position (its state), with a
  // default repeat type; the id is updated when the editor gives it a new one. True on OK.
  std::function<bool(int listPosition, QString &id, int defaultRepeatType)> edit;
};
