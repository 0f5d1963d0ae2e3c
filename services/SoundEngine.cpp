#include "services/SoundEngine.h"

#include "services/SdlSoundEngine.h"

OverrideSlot<TSoundEngine> &soundEngineSlot() {
  // The SDL engine is made only when a sound is first needed, never for a replacement.
  static constinit OverrideSlot<TSoundEngine> slot{[]() -> TSoundEngine & {
    static TSdlSoundEngine sdl;
    return sdl;
  }};
  return slot;
}

TSoundEngine &soundEngine() { return soundEngineSlot().get(); }
