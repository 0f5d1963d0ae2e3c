#include "ui/UserInterface.h"

#include "model/LanguageTable.h"
#include "ui/EditReminder.h"
#include "ui/FormEditReminAfter.h"
#include "ui/FormEditVolume.h"
#include "ui/UiPrompts.h"

// The windows register here, one line each, as they are built. An entry whose window does not
// exist yet does nothing (and gives false or 0), except the main window: asked for by a second
// start or the tray menu, it tells the user in a notice rather than staying silent.

WindowHandle TUserInterface::MainWindowHandle() const { return 0; }

void TUserInterface::ShowMainWindowPage(const QString &, int) {
  uiPrompts().notice(TranslateText(
      QStringLiteral("Tolvane is running. The main window is not available in this version.")));
}

void TUserInterface::SetHideTrayIconChecked(bool) {}

void TUserInterface::CloseMainWindow() {}

bool TUserInterface::EditReminder(int listPosition, QString &id, int defaultRepeatType) {
  return ::EditReminder(*this, listPosition, id, defaultRepeatType);
}

bool TUserInterface::RemindAfter(const QString &title, QPoint at, int32_t number) {
  return TFormEditReminAfter::ShowRemindAfterDialog(title, at, number);
}

void TUserInterface::SoundVolume(QPoint at, int32_t number) {
  TFormEditVolume::ShowVolumeDialog(at, number);
}

void TUserInterface::SetEditorModified() { ::SetEditorModified(); }

void TUserInterface::ShowMessage(const QString &message) { uiPrompts().notice(message); }

void TUserInterface::ShowException(const QString &message) { uiPrompts().error(message, {}); }
