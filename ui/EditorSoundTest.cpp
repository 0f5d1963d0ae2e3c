#include "ui/EditorSoundTest.h"

#include "model/LanguageTable.h"
#include "model/SoundFileCheck.h"
#include "platform/Errors.h"
#include "services/SoundPlayer.h"

#include <QDir>

TEditorSoundTest::TEditorSoundTest(WindowHandle notify)
    : m_notify(notify), m_player(std::make_unique<TSoundPlayer>()) {}

TEditorSoundTest::~TEditorSoundTest() { Stop(); }

bool TEditorSoundTest::Playing() const { return m_player->Opened(); }

void TEditorSoundTest::Toggle(const QString &fileName, int position) {
  if (Playing()) {
    Stop();
    return;
  }
  // Before, a missing file made the button do nothing at all.
  if (const QString problem = SoundFileProblem(fileName); !problem.isEmpty())
    throw EMCIDeviceError(problem);
  m_player->PlayFile(fileName.trimmed(), position * 10, m_notify);
}

QString TEditorSoundTest::ProblemOf(const QString &fileName) {
  if (QString problem = SoundFileProblem(fileName); !problem.isEmpty())
    return problem;
  TSoundPlayer probe;
  probe.SetFileName(fileName.trimmed());
  try {
    probe.Open();
    probe.Close();
  } catch (const ETolvaneError &e) {
    return TranslateText(QStringLiteral("The sound file can't be played:")) + u' ' +
           QDir::toNativeSeparators(fileName.trimmed()) + QStringLiteral("\r\n") + e.message();
  }
  return {};
}

void TEditorSoundTest::Stop() {
  if (!Playing())
    return;
  // Results only: a device that refuses to stop is closed all the same.
  (void)m_player->Stop();
  m_player->Close();
}

void TEditorSoundTest::SetVolume(int position) {
  if (Playing())
    (void)m_player->SetVolume(position * 10);
}

bool TEditorSoundTest::Notify(uintptr_t code, intptr_t lParam, bool repeat) {
  if (code != msg::MCI_NOTIFY_SUCCESSFUL || !Playing() ||
      quint16(lParam & 0xFFFF) != m_player->DeviceId())
    return false;
  if (repeat) {
    (void)m_player->Rewind();
    // A device that will not start again ends the test rather than leaving the button pressed.
    if (m_player->Play(m_notify) == 0)
      return false;
  }
  Stop();
  return true;
}
