#pragma once

#include "platform/MessageHub.h"
#include "services/SoundEngine.h"

#include <QByteArray>
#include <QThread>

#include <map>
#include <vector>

namespace soundtest {

// A window that records every completion notice it is posted.
class NoticeRecorder : public QObject {
public:
  struct Notice {
    uintptr_t code;
    quint16 device;
    QThread *thread;
  };

  NoticeRecorder() : handle(hub().registerWindow(this)) {}

  [[nodiscard]] size_t countFor(quint16 device) const;
  // Runs the event loop until `count` notices have arrived, for at most `ms`.
  [[nodiscard]] bool waitFor(size_t count, int ms = 5000) const;

  const WindowHandle handle;
  std::vector<Notice> got;

protected:
  bool event(QEvent *e) override;
};

// A RIFF/WAVE file of 16-bit mono PCM: a tone of the given length, or silence when amplitude is 0.
[[nodiscard]] QByteArray makeWav(int milliseconds, int amplitude = 8000, int rate = 22050);
// Writes bytes to a new file below the sandbox and gives its path.
[[nodiscard]] QString writeTempFile(const QString &name, const QByteArray &bytes);

// An engine that does what it is told, records each command and plays nothing. finish() ends a
// playing sound the way a device would, posting the notice.
class FakeSoundEngine final : public TSoundEngine {
public:
  struct Device {
    QString file;
    int volume = 1000;
    bool playing = false;
    WindowHandle notify = 0;
  };

  [[nodiscard]] TSoundResult open(quint16 id, const QString &fileName) override;
  TSoundResult close(quint16 id) override;
  TSoundResult play(quint16 id, WindowHandle notify) override;
  TSoundResult stop(quint16 id) override;
  TSoundResult rewind(quint16 id) override;
  TSoundResult setVolume(quint16 id, int volume) override;
  [[nodiscard]] int volume(quint16 id) const override;

  void finish(quint16 id);

  std::vector<QString> calls; // "open", "close", "play", "stop", "rewind", "volume 500"
  std::map<quint16, Device> devices;
  TSoundResult openResult, closeResult, playResult;
};

} // namespace soundtest
