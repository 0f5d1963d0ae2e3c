#include "ui/UserInterface.h"

#include "ui/FormMain.h"
#include "ui/UiPrompts.h"

// The windows register here, one line each, as they are built. An entry whose window does not
// exist yet does nothing (and gives false or 0).

WindowHandle TUserInterface::MainWindowHandle() const { return TFormMain::Handle(); }

void TUserInterface::ShowMainWindowPage(const QString &, int page) {
  TFormMain::ShowPage(*this, page);
}

void TUserInterface::SetHideTrayIconChecked(bool checked) {
  TFormMain::SetHideTrayIconCheckedIfOpen(checked);
}

void TUserInterface::CloseMainWindow() { TFormMain::CloseIfOpen(); }

bool TUserInterface::EditReminder(int, QString &, int) { return false; }

bool TUserInterface::RemindAfter(const QString &, QPoint, int32_t) { return false; }

void TUserInterface::SoundVolume(QPoint, int32_t) {}

void TUserInterface::SetEditorModified() {}

void TUserInterface::ShowMessage(const QString &message) { uiPrompts().notice(message); }

void TUserInterface::ShowException(const QString &message) { uiPrompts().error(message, {}); }
