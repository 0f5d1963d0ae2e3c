#pragma once

#include "runtime/UserInterface.h"

class TModel;
class TNoticeQueue;

// The program's user interface: the one implementation of IUserInterface, which the program
// builds over its model and hands to the master window, the reminder scheduler and the stickers.
// Each entry opens or tells the window that owns it, and hands it the model; the windows
// themselves live in their own files, so this class stays a list of one-line registrations.
// Notices join the program's notice queue, shown after the step that raised them; errors go to
// the prompts (uiPrompts()).
class TUserInterface final : public IUserInterface {
public:
  // The model and the queue outlive every window this opens.
  TUserInterface(TModel &model, TNoticeQueue &notices) : m_model(model), m_notices(notices) {}

  [[nodiscard]] WindowHandle MainWindowHandle() const override;
  void ShowMainWindowPage(const QString &caption, int page) override;
  void SetHideTrayIconChecked(bool checked) override;
  void CloseMainWindow() override;
  [[nodiscard]] bool EditReminder(int listPosition, QString &id, int defaultRepeatType) override;
  [[nodiscard]] bool RemindAfter(const QString &title, QPoint at, int32_t number) override;
  void SoundVolume(QPoint at, const TSoundLookup &sound) override;
  void SetEditorModified() override;
  void ShowMessage(const QString &message) override;
  void ShowException(const QString &message) override;

private:
  TModel &m_model;
  TNoticeQueue &m_notices;
};
