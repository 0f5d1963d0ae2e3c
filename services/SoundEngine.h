#pragma once

#include "platform/MessageHub.h"
#include "platform/ScopedOverride.h"

#include <QString>

#include <memory>

// What an engine gives back for one command: code 0 and no text on success; otherwise a code of
// soundError and the engine's own words for it, taken at the moment of failure.
struct TSoundResult {
  int code = 0;
  QString text;

  [[nodiscard]] bool ok() const { return code == 0; }
};

// Codes a sound engine reports. 0 is success.
namespace soundError {
inline constexpr int NoDevice = 1;     // the audio device could not be opened
inline constexpr int CannotLoad = 2;   // the file is missing or not a sound the engine decodes
inline constexpr int CannotPlay = 3;   // the engine refused to start the sound
inline constexpr int NotOpen = 4;      // no sound is open under that device id
inline constexpr int NoFreeDevice = 5; // every device id is taken
} // namespace soundError

// The sound device behind TSoundPlayer. Each open sound is a "device" named by a non-zero 16-bit
// id that the player chooses. All calls come from the GUI thread.
//
// The completion notice: when a sound started by play() reaches its natural end, the engine posts
// MM_MCINOTIFY through hub() to the window given to play(), with wParam MCI_NOTIFY_SUCCESSFUL and
// the device id in lParam. stop(), rewind() and close() never cause that notice.
class TSoundEngine {
public:
  virtual ~TSoundEngine() = default;

  // Loads the file under the given (unused) id, positioned at its start, at full volume.
  [[nodiscard]] virtual TSoundResult open(quint16 id, const QString &fileName) = 0;
  virtual TSoundResult close(quint16 id) = 0;
  // Plays from the current position. Playing a sound that already ended posts the notice at once,
  // as there is nothing left to play; playing after stop() starts again from the beginning.
  virtual TSoundResult play(quint16 id, WindowHandle notify) = 0;
  virtual TSoundResult stop(quint16 id) = 0;
  // Stops the sound if it plays and moves back to its start.
  virtual TSoundResult rewind(quint16 id) = 0;
  // 0..1000; takes effect at once, also while playing.
  virtual TSoundResult setVolume(quint16 id, int volume) = 0;
  // The volume last set (0..1000), or -1 when no sound is open under the id.
  [[nodiscard]] virtual int volume(quint16 id) const = 0;
};

// The process-wide engine: SDL2_mixer unless a test installed another.
[[nodiscard]] TSoundEngine &soundEngine();
// Where the process-wide engine is kept.
[[nodiscard]] OverrideSlot<TSoundEngine> &soundEngineSlot();
// Installs an engine for the lifetime of this object, then puts the previous one back.
using ScopedSoundEngine = ScopedOverride<&soundEngineSlot>;
