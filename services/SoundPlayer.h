#pragma once

#include "platform/MessageHub.h"

#include <QString>

class TSoundEngine;

// Plays one sound file: open, set the volume, play with a completion notice, rewind, stop, close.
// One player exists per firing reminder that has a sound, and one for the editor's test button.
//
// While open, the player holds a device id: a non-zero 16-bit number that no other open player
// has, and that is handed out again only after every other number has been, so a completion
// notice that is still queued for a closed player does not match a newer one. At the natural end
// of a sound played with a notify window, that window is posted MM_MCINOTIFY with wParam
// MCI_NOTIFY_SUCCESSFUL and the device id in the low word of lParam. Stop, Rewind and Close never
// produce that notice.
//
// Failures of Open raise EMCIDeviceError with the device's text; Play, Stop, Rewind and the volume
// calls raise EMCIDeviceError "Can not open audio device!" when nothing is open, and otherwise
// report through their result. GUI thread only.
class TSoundPlayer {
public:
  // Uses the process-wide sound engine of the moment it is created.
  TSoundPlayer();
  ~TSoundPlayer();
  TSoundPlayer(const TSoundPlayer &) = delete;
  TSoundPlayer &operator=(const TSoundPlayer &) = delete;

  // Opens FileName(), closing what was open first. Raises EMCIDeviceError on failure and stays
  // closed.
  void Open();
  // Closes the device; a failure leaves the player open with LastError() set.
  void Close();
  // Starts playing; with a window, that window gets the completion notice. Gives the result
  // (0 = success), also kept in LastError().
  int Play(WindowHandle notifyWnd = 0);
  int Stop();
  // Back to the start, silently.
  int Rewind();
  // 0..1000, effective at once.
  int SetVolume(int volume);
  // The volume last set, 0..1000 (1000 after Open).
  [[nodiscard]] int GetVolume() const;
  // FileName := fileName, Open, SetVolume, Play. A sound that opens but does not start raises
  // EMCIDeviceError too, with the player closed again.
  void PlayFile(const QString &fileName, int volume, WindowHandle notifyWnd = 0);

  // "" after success, the device's text for the last failure, or "Unknown error code".
  [[nodiscard]] QString GetErrorText() const;

  [[nodiscard]] int LastError() const { return m_lastError; }
  [[nodiscard]] quint16 DeviceId() const { return m_deviceId; }
  [[nodiscard]] bool Opened() const { return m_opened; }
  [[nodiscard]] const QString &FileName() const { return m_fileName; }
  void SetFileName(const QString &fileName) { m_fileName = fileName; }

private:
  void requireOpen() const;
  int keep(int code, const QString &text);

  TSoundEngine &m_engine;
  int m_lastError = 0;
  QString m_lastErrorText;
  quint16 m_deviceId = 0;
  bool m_opened = false;
  QString m_fileName;
};
