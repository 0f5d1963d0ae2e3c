#include "ui/UserInterface.h"

#include "ui/EditReminder.h"
#include "ui/FormEditReminAfter.h"
#include "ui/FormEditVolume.h"
#include "ui/FormMain.h"
#include "ui/NoticeQueue.h"
#include "ui/UiPrompts.h"

// The windows register here, one line each, as they are built. An entry whose window does not
// exist yet does nothing (and gives false or 0).

WindowHandle TUserInterface::MainWindowHandle() const { return TFormMain::Handle(); }

void TUserInterface::ShowMainWindowPage(const QString &, int page) {
  TFormMain::ShowPage(m_model, *this, page);
}

void TUserInterface::SetHideTrayIconChecked(bool checked) {
  TFormMain::SetHideTrayIconCheckedIfOpen(checked);
}

void TUserInterface::CloseMainWindow() { TFormMain::CloseIfOpen(); }

bool TUserInterface::EditReminder(int listPosition, QString &id, int defaultRepeatType) {
  return ::EditReminder(m_model, *this, listPosition, id, defaultRepeatType);
}

bool TUserInterface::RemindAfter(const QString &title, QPoint at, int32_t number) {
  return TFormEditReminAfter::ShowRemindAfterDialog(m_model, title, at, number);
}

void TUserInterface::SoundVolume(QPoint at, const TSoundLookup &sound) {
  TFormEditVolume::ShowVolumeDialog(m_model, at, sound);
}

void TUserInterface::SetEditorModified() { ::SetEditorModified(); }

void TUserInterface::ShowMessage(const QString &message) { m_notices.Add(message); }

void TUserInterface::ShowException(const QString &message) { uiPrompts().error(message, {}); }
