#pragma once

#include "model/DataObject.h"
#include "platform/MessageHub.h"

#include <QtGlobal>

// The model's side of a reminder sound's completion notice.

// What the completion notice of a reminder's sound needs of its player: the device it plays on,
// and playing again from the start. The runtime's sound player implements it beside ISoundPlayer.
class IRepeatableSound {
public:
  virtual ~IRepeatableSound() = default;
  [[nodiscard]] virtual quint16 DeviceId() const = 0;
  virtual void Rewind() = 0;
  // Plays; the notify window gets the completion notice (MM_MCINOTIFY).
  virtual void Play(WindowHandle notifyWindow) = 0;
};

// The completion notice of a sound device: the first reminder of Reminders whose player uses the
// device stops its sound when the device failed, and plays it again from the start (notices to
// notifyWindow) when it succeeded and the reminder's sound repeats. Otherwise nothing happens;
// a sound that does not repeat keeps its player until the firing closes.
void HandleSoundNotify(quint16 deviceId, bool success, WindowHandle notifyWindow);
