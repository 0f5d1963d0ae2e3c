#pragma once

#include "services/SoundEngine.h"

#include <QString>

#include <atomic>
#include <mutex>
#include <unordered_map>
#include <vector>

struct Mix_Chunk;

// The sound engine over SDL2_mixer. Each open sound is one decoded chunk, played on a mixer
// channel of its own, so any number of sounds (the same file included) play at once with their
// own volume. The audio device is opened with the first sound and closed again with the last one,
// so an idle program keeps no audio stream running.
//
// SDL2_mixer reports the end of a channel on its audio thread, and also synchronously from inside
// a halt. A table from channel to device id, under a mutex, tells the two apart: the GUI thread
// takes a channel out of the table before it halts it, so only a natural end finds its entry, and
// only that posts the completion notice.
//
// SDL2_mixer keeps its state per process, so only one engine may hold the device at a time; a
// second one fails to open sounds while the first has any open.
class TSdlSoundEngine final : public TSoundEngine {
public:
  TSdlSoundEngine() = default;
  ~TSdlSoundEngine() override;
  TSdlSoundEngine(const TSdlSoundEngine &) = delete;
  TSdlSoundEngine &operator=(const TSdlSoundEngine &) = delete;

  [[nodiscard]] TSoundResult open(quint16 id, const QString &fileName) override;
  TSoundResult close(quint16 id) override;
  TSoundResult play(quint16 id, WindowHandle notify) override;
  TSoundResult stop(quint16 id) override;
  TSoundResult rewind(quint16 id) override;
  TSoundResult setVolume(quint16 id, int volume) override;
  [[nodiscard]] int volume(quint16 id) const override;

  // The SDL audio driver in use ("dummy", "pulseaudio", ...); empty while no sound is open.
  [[nodiscard]] QString driverName() const;

private:
  struct Device {
    Mix_Chunk *chunk = nullptr;
    int channel = -1;        // the channel it plays on, -1 when silent
    WindowHandle notify = 0; // who hears of its natural end
    bool ended = false;      // played to the end and not rewound since
    int volume = 1000;
  };

  [[nodiscard]] TSoundResult startAudio();
  void stopAudio();
  // Silences the device's channel without a notice. Gives false for an unknown id.
  bool halt(quint16 id);
  [[nodiscard]] int claimChannel(quint16 id, WindowHandle notify, QString &error);
  void channelFinished(int channel); // audio thread, or inside a halt
  static void onChannelFinished(int channel);

  static std::atomic<TSdlSoundEngine *> s_active;

  bool m_started = false;    // GUI thread only
  mutable std::mutex m_lock; // guards what follows
  std::unordered_map<quint16, Device> m_devices;
  std::vector<quint16> m_channelOwner; // device id per mixer channel, 0 = free
};
