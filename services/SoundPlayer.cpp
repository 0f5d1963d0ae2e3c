#include "services/SoundPlayer.h"

#include "platform/Errors.h"
#include "services/SoundEngine.h"

#include <mutex>
#include <unordered_set>

namespace {

QString noDeviceText() { return QStringLiteral("Can not open audio device!"); }

// Device ids for open players. The numbers go round the whole 16-bit range before one comes
// back, skipping those still in use, so a notice that is still queued for a closed player
// practically never matches a newer one, and never matches one that is open at the same time.
class DeviceIds {
public:
  quint16 take() {
    std::lock_guard l(m_lock);
    for (int tries = 0; tries < 0xFFFF; ++tries) {
      m_last = m_last == 0xFFFF ? 1 : quint16(m_last + 1);
      if (m_inUse.insert(m_last).second)
        return m_last;
    }
    return 0;
  }

  void release(quint16 id) {
    std::lock_guard l(m_lock);
    m_inUse.erase(id);
  }

private:
  std::mutex m_lock;
  std::unordered_set<quint16> m_inUse;
  quint16 m_last = 0;
};

DeviceIds &deviceIds() {
  static DeviceIds ids;
  return ids;
}

} // namespace

TSoundPlayer::TSoundPlayer() : m_engine(soundEngine()) {}

TSoundPlayer::~TSoundPlayer() {
  if (m_deviceId == 0)
    return;
  // A device the engine would not close keeps its number, so no later player can collide with
  // what the engine still holds.
  if (m_engine.close(m_deviceId).ok())
    deviceIds().release(m_deviceId);
}

int TSoundPlayer::keep(int code, const QString &text) {
  m_lastError = code;
  m_lastErrorText = code == 0 ? QString() : text;
  return code;
}

void TSoundPlayer::requireOpen() const {
  if (!m_opened)
    throw EMCIDeviceError(noDeviceText());
}

QString TSoundPlayer::GetErrorText() const {
  if (m_lastError == 0)
    return {};
  if (!m_lastErrorText.isEmpty())
    return m_lastErrorText;
  return QStringLiteral("Unknown error code");
}

void TSoundPlayer::Open() {
  if (m_opened) {
    Close();
    // Opening over a device that would not close would lose it.
    if (m_opened)
      throw EMCIDeviceError(GetErrorText());
  }
  const quint16 id = deviceIds().take();
  if (id == 0) {
    keep(soundError::NoFreeDevice, noDeviceText());
    throw EMCIDeviceError(GetErrorText());
  }
  const TSoundResult r = m_engine.open(id, m_fileName);
  if (keep(r.code, r.text) != 0) {
    deviceIds().release(id);
    throw EMCIDeviceError(GetErrorText());
  }
  m_opened = true;
  m_deviceId = id;
}

void TSoundPlayer::Close() {
  if (m_deviceId == 0)
    return;
  const TSoundResult r = m_engine.close(m_deviceId);
  if (keep(r.code, r.text) != 0)
    return;
  deviceIds().release(m_deviceId);
  m_deviceId = 0;
  m_opened = false;
}

int TSoundPlayer::Play(WindowHandle notifyWnd) {
  requireOpen();
  const TSoundResult r = m_engine.play(m_deviceId, notifyWnd);
  return keep(r.code, r.text);
}

int TSoundPlayer::Stop() {
  requireOpen();
  const TSoundResult r = m_engine.stop(m_deviceId);
  return keep(r.code, r.text);
}

int TSoundPlayer::Rewind() {
  requireOpen();
  return m_engine.rewind(m_deviceId).code;
}

int TSoundPlayer::SetVolume(int volume) {
  requireOpen();
  return m_engine.setVolume(m_deviceId, volume).code;
}

// The engine keeps the value it was given, so this never reads back a device's rounding or a
// failed status query.
int TSoundPlayer::GetVolume() const {
  requireOpen();
  return m_engine.volume(m_deviceId);
}

void TSoundPlayer::PlayFile(const QString &fileName, int volume, WindowHandle notifyWnd) {
  m_fileName = fileName;
  Open();
  SetVolume(volume);
  // A sound that opened but will not play would otherwise sit here silently, never notify and
  // never be retried; it is closed and reported like a failed open.
  if (Play(notifyWnd) != 0) {
    const int code = m_lastError;
    const QString text = GetErrorText();
    Close();
    keep(code, text);
    throw EMCIDeviceError(text);
  }
}
