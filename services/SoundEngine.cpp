#include "services/SoundEngine.h"

#include "services/SdlSoundEngine.h"

namespace {

TSoundEngine *&installedEngine() {
  static TSoundEngine *engine = nullptr;
  return engine;
}

} // namespace

TSoundEngine &soundEngine() {
  if (TSoundEngine *e = installedEngine())
    return *e;
  static TSdlSoundEngine sdl;
  return sdl;
}

ScopedSoundEngine::ScopedSoundEngine(TSoundEngine &engine) : m_previous(installedEngine()) {
  installedEngine() = &engine;
}

ScopedSoundEngine::~ScopedSoundEngine() { installedEngine() = m_previous; }
