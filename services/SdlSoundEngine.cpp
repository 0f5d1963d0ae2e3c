#include "services/SdlSoundEngine.h"

#include <QFile>
#include <QtGlobal>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

namespace {

constexpr int kInitialChannels = 8;
// Far more sounds than reminders can sensibly play at once; the bound keeps a runaway caller
// from growing the mixer without end.
constexpr int kMaxChannels = 256;

QString noDeviceText() { return QStringLiteral("Can not open audio device!"); }

int toMixerVolume(int volume) {
  return (std::clamp(volume, 0, 1000) * MIX_MAX_VOLUME + 500) / 1000;
}

} // namespace

std::atomic<TSdlSoundEngine *> TSdlSoundEngine::s_active{nullptr};

TSdlSoundEngine::~TSdlSoundEngine() {
  if (!m_started)
    return;
  std::vector<quint16> ids;
  {
    std::lock_guard l(m_lock);
    for (const auto &entry : m_devices)
      ids.push_back(entry.first);
  }
  for (quint16 id : ids)
    close(id); // the last one also closes the audio device
  if (m_started)
    stopAudio();
}

// Opens the audio device. SDL is told to leave the process's signal handlers alone: the program
// has its own way of ending.
TSoundResult TSdlSoundEngine::startAudio() {
  TSdlSoundEngine *expected = nullptr;
  if (!s_active.compare_exchange_strong(expected, this))
    return {soundError::NoDevice, noDeviceText()};
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    qWarning("SDL audio: %s", SDL_GetError());
    s_active = nullptr;
    return {soundError::NoDevice, noDeviceText()};
  }
  // A decoder that is missing only narrows the formats Mix_LoadWAV accepts.
  Mix_Init(MIX_INIT_FLAC | MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_OPUS);
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    qWarning("SDL audio: %s", Mix_GetError());
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    s_active = nullptr;
    return {soundError::NoDevice, noDeviceText()};
  }
  Mix_ChannelFinished(&TSdlSoundEngine::onChannelFinished);
  const int channels = Mix_AllocateChannels(kInitialChannels);
  {
    std::lock_guard l(m_lock);
    m_channelOwner.assign(static_cast<size_t>(std::max(channels, 0)), 0);
  }
  m_started = true;
  return {};
}

void TSdlSoundEngine::stopAudio() {
  Mix_ChannelFinished(nullptr);
  Mix_CloseAudio(); // joins the audio thread
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  {
    std::lock_guard l(m_lock);
    m_channelOwner.clear();
  }
  m_started = false;
  s_active = nullptr;
}

QString TSdlSoundEngine::driverName() const {
  if (!m_started)
    return {};
  const char *name = SDL_GetCurrentAudioDriver();
  return name ? QString::fromUtf8(name) : QString();
}

TSoundResult TSdlSoundEngine::open(quint16 id, const QString &fileName) {
  if (id == 0)
    return {soundError::NotOpen, noDeviceText()};
  if (!m_started) {
    TSoundResult r = startAudio();
    if (!r.ok())
      return r;
  }
  {
    std::lock_guard l(m_lock);
    if (m_devices.count(id))
      return {soundError::NoFreeDevice, noDeviceText()};
  }
  // Decodes the whole file now, so a bad file fails here and not half-way through playing.
  Mix_Chunk *chunk = Mix_LoadWAV(QFile::encodeName(fileName).constData());
  if (!chunk) {
    TSoundResult r{soundError::CannotLoad, QString::fromUtf8(Mix_GetError())};
    bool idle = false;
    {
      std::lock_guard l(m_lock);
      idle = m_devices.empty();
    }
    if (idle)
      stopAudio();
    return r;
  }
  std::lock_guard l(m_lock);
  Device &d = m_devices[id];
  d.chunk = chunk;
  return {};
}

bool TSdlSoundEngine::halt(quint16 id) {
  int channel = -1;
  {
    std::lock_guard l(m_lock);
    auto it = m_devices.find(id);
    if (it == m_devices.end())
      return false;
    channel = it->second.channel;
    if (channel >= 0) {
      // Out of the table first: the halt below calls channelFinished, which must find nothing.
      m_channelOwner[static_cast<size_t>(channel)] = 0;
      it->second.channel = -1;
    }
    it->second.ended = false;
  }
  // Channels are only handed out on this thread, so nobody can have taken it in between. If it
  // ended on its own meanwhile, the audio thread found no owner and posted nothing.
  if (channel >= 0)
    Mix_HaltChannel(channel);
  return true;
}

TSoundResult TSdlSoundEngine::close(quint16 id) {
  if (!halt(id))
    return {soundError::NotOpen, noDeviceText()};
  Mix_Chunk *chunk = nullptr;
  bool idle = false;
  {
    std::lock_guard l(m_lock);
    auto it = m_devices.find(id);
    chunk = it->second.chunk;
    m_devices.erase(it);
    idle = m_devices.empty();
  }
  Mix_FreeChunk(chunk);
  if (idle)
    stopAudio();
  return {};
}

// Finds a free channel and books it for the device before anything plays on it, so even a sound
// shorter than one mixing buffer cannot end unnoticed. Grows the mixer when all are busy.
int TSdlSoundEngine::claimChannel(quint16 id, WindowHandle notify, QString &error) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    size_t count = 0;
    {
      std::lock_guard l(m_lock);
      auto it = m_devices.find(id);
      if (it == m_devices.end()) {
        error = noDeviceText();
        return -1;
      }
      auto free = std::find(m_channelOwner.begin(), m_channelOwner.end(), quint16(0));
      if (free != m_channelOwner.end()) {
        *free = id;
        const int channel = static_cast<int>(free - m_channelOwner.begin());
        it->second.channel = channel;
        it->second.notify = notify;
        it->second.ended = false;
        return channel;
      }
      count = m_channelOwner.size();
    }
    if (count >= size_t(kMaxChannels))
      break;
    // Not under the lock: the mixer takes its audio lock here, and the audio thread holds that
    // lock when it calls channelFinished.
    const int grown = Mix_AllocateChannels(static_cast<int>(std::max<size_t>(count * 2, 1)));
    std::lock_guard l(m_lock);
    m_channelOwner.resize(static_cast<size_t>(std::max(grown, 0)), 0);
  }
  error = QStringLiteral("Too many sounds are playing at once");
  return -1;
}

TSoundResult TSdlSoundEngine::play(quint16 id, WindowHandle notify) {
  Mix_Chunk *chunk = nullptr;
  {
    std::lock_guard l(m_lock);
    auto it = m_devices.find(id);
    if (it == m_devices.end())
      return {soundError::NotOpen, noDeviceText()};
    Device &d = it->second;
    if (d.channel >= 0) {
      d.notify = notify; // already playing: the end is now reported to this window
      return {};
    }
    if (d.ended) {
      // Nothing is left to play until a rewind, so it is over at once.
      if (notify)
        hub().post(notify, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, id);
      return {};
    }
    chunk = d.chunk;
  }
  QString error;
  const int channel = claimChannel(id, notify, error);
  if (channel < 0)
    return {soundError::CannotPlay, error};
  if (Mix_PlayChannel(channel, chunk, 0) < 0) {
    TSoundResult r{soundError::CannotPlay, QString::fromUtf8(Mix_GetError())};
    std::lock_guard l(m_lock);
    if (m_channelOwner[static_cast<size_t>(channel)] == id)
      m_channelOwner[static_cast<size_t>(channel)] = 0;
    if (auto it = m_devices.find(id); it != m_devices.end())
      it->second.channel = -1;
    return r;
  }
  return {};
}

// Chunks cannot be positioned, and nothing resumes a stopped sound: stop and rewind both halt
// silently, and the next play starts from the beginning.
TSoundResult TSdlSoundEngine::stop(quint16 id) {
  if (!halt(id))
    return {soundError::NotOpen, noDeviceText()};
  return {};
}

TSoundResult TSdlSoundEngine::rewind(quint16 id) { return stop(id); }

TSoundResult TSdlSoundEngine::setVolume(quint16 id, int volume) {
  volume = std::clamp(volume, 0, 1000);
  Mix_Chunk *chunk = nullptr;
  {
    std::lock_guard l(m_lock);
    auto it = m_devices.find(id);
    if (it == m_devices.end())
      return {soundError::NotOpen, noDeviceText()};
    it->second.volume = volume;
    chunk = it->second.chunk;
  }
  Mix_VolumeChunk(chunk, toMixerVolume(volume));
  return {};
}

int TSdlSoundEngine::volume(quint16 id) const {
  std::lock_guard l(m_lock);
  auto it = m_devices.find(id);
  return it == m_devices.end() ? -1 : it->second.volume;
}

void TSdlSoundEngine::onChannelFinished(int channel) {
  if (TSdlSoundEngine *engine = s_active.load())
    engine->channelFinished(channel);
}

// Runs on the audio thread with the mixer's lock held: it may only look at the table and post.
void TSdlSoundEngine::channelFinished(int channel) {
  std::lock_guard l(m_lock);
  if (channel < 0 || size_t(channel) >= m_channelOwner.size())
    return;
  const quint16 id = m_channelOwner[size_t(channel)];
  if (id == 0)
    return; // halted by us, or never ours
  m_channelOwner[size_t(channel)] = 0;
  auto it = m_devices.find(id);
  if (it == m_devices.end())
    return;
  it->second.channel = -1;
  it->second.ended = true;
  if (it->second.notify)
    hub().post(it->second.notify, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, id);
}
