#pragma once

#include "platform/MessageHub.h"

#include <QString>

#include <functional>

class TDataObject;

// The live outputs of a firing. The runtime's firing table holds them only through these
// interfaces; the real sticker window, tray icon and sound player implement them (runtime/ and
// app/), the tests with fakes. A firing releases its outputs in a fixed order: tray icon, sticker,
// sound.

// How an output finds its reminder again at each use: the object may have been read anew from
// the store (a reload renumbers it) or freed meanwhile, and then the lookup gives null.
using TReminderLookup = std::function<TDataObject *()>;

// The reminder's own notification-area icon.
class ITrayIconView {
public:
  virtual ~ITrayIconView() = default;
  // Takes the icon out of the notification area and stops its frame stepping. Returns only when
  // the stepping worker has finished (joined), so destroying the object right after is safe.
  virtual void deactivate() = 0;
};

// The reminder's sticker window.
class IStickerView {
public:
  virtual ~IStickerView() = default;
  // Closes the window. The window itself may be released later (deleteLater) when this is
  // called from inside one of its own handlers; the interface object is destroyed right after.
  virtual void close() = 0;
};

// A firing reminder's sound: one player, opened on one file. Rewind and Play serve the repeat;
// the volume calls serve the volume dialog. Destroying it closes its sound device.
class ISoundPlayer {
public:
  virtual ~ISoundPlayer() = default;
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

// How the volume dialog finds the playing sound of a firing again at each use: null once the
// sound or its firing has ended.
using TSoundLookup = std::function<ISoundPlayer *()>;
