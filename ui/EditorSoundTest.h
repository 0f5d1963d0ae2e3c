#pragma once

#include "platform/MessageHub.h"

#include <QString>

#include <memory>

class TSoundPlayer;

// The reminder editor's "test sound (Start/Stop)": one player of its own that plays the chosen
// file at the chosen volume, with the editor's window as the notify window. The editor hands it
// the completion notices (MM_MCINOTIFY) it receives; with "Repeat" ticked, a finished sound starts
// again until the button is pressed a second time.
class TEditorSoundTest {
public:
  // `notify` is the editor's hub handle: the player's completion notices go there.
  explicit TEditorSoundTest(WindowHandle notify);
  ~TEditorSoundTest();
  TEditorSoundTest(const TEditorSoundTest &) = delete;
  TEditorSoundTest &operator=(const TEditorSoundTest &) = delete;

  // Stops and closes a playing test; otherwise plays the file at the track-bar position
  // (0..100). A file that is not there or a sound that cannot be opened raises with the reason,
  // and nothing plays.
  void Toggle(const QString &fileName, int position);
  // Why the file cannot be played (no file, no such file, a file that cannot be read, contents the
  // sound player refuses), as the user reads it; empty when it plays. Opens the file on a player
  // of its own, so a playing test goes on.
  [[nodiscard]] static QString ProblemOf(const QString &fileName);
  // Stops and closes the test when one plays.
  void Stop();
  // The track bar moved: the playing test follows at once.
  void SetVolume(int position);
  // A completion notice. Only a successful end of this player's current device counts: with
  // repeat it plays again from the start, else the test ends. Gives whether the test ended.
  bool Notify(uintptr_t code, intptr_t lParam, bool repeat);

  [[nodiscard]] bool Playing() const;
  [[nodiscard]] const TSoundPlayer &Player() const { return *m_player; }

private:
  WindowHandle m_notify;
  std::unique_ptr<TSoundPlayer> m_player; // TestPlayer
};
