#pragma once

#include "runtime/UserInterface.h"

// A user interface that shows nothing: no main window (handle 0), every dialog refused, and the
// two message boxes and a request for the main window written to standard error. Tests use it,
// and so does the program when it only builds its windows to write the default language file.
class THeadlessUserInterface : public IUserInterface {
public:
  [[nodiscard]] WindowHandle MainWindowHandle() const override { return 0; }
  void ShowMainWindowPage(const QString &caption, int page) override;
  void SetHideTrayIconChecked(bool) override {}
  void CloseMainWindow() override {}
  [[nodiscard]] bool EditReminder(int, QString &, int) override { return false; }
  [[nodiscard]] bool RemindAfter(const QString &, QPoint, int32_t) override { return false; }
  void SoundVolume(QPoint, const TSoundLookup &) override {}
  void SetEditorModified() override {}
  void ShowMessage(const QString &message) override;
  void ShowException(const QString &message) override;
};
