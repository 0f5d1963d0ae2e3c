#pragma once

#include "runtime/ReminderOutputs.h"
#include "services/SoundPlayer.h"

// A firing reminder's sound through the program's sound player (and so the process-wide sound
// engine).
class TReminderSoundPlayer final : public ISoundPlayer {
public:
  void PlayFile(const QString &fileName, int volume, WindowHandle notify) override {
    m_player.PlayFile(fileName, volume, notify);
  }
  int Rewind() override { return m_player.Rewind(); }
  int Play(WindowHandle notify) override { return m_player.Play(notify); }
  int SetVolume(int volume) override { return m_player.SetVolume(volume); }
  [[nodiscard]] int GetVolume() const override { return m_player.GetVolume(); }
  [[nodiscard]] quint16 DeviceId() const override { return m_player.DeviceId(); }

private:
  TSoundPlayer m_player;
};
