#pragma once

#include "runtime/UserInterface.h"

#include <QStringList>

#include <functional>

// A user interface that records what the runtime asks of it ("ShowMainWindowPage Main 0", ...)
// and answers as the test says: the main window's handle from `mainWindow`, the dialogs from
// their functions (false or nothing while empty).
class FakeUserInterface final : public IUserInterface {
public:
  QStringList calls;
  std::function<WindowHandle()> mainWindow;
  std::function<bool(int listPosition, QString &id, int defaultRepeatType)> edit;
  std::function<bool(const QString &title, QPoint at, int32_t number)> remindAfter;
  std::function<void(QPoint at, const TSoundLookup &sound)> volume;
  int modified = 0;

  [[nodiscard]] WindowHandle MainWindowHandle() const override {
    return mainWindow ? mainWindow() : 0;
  }
  void ShowMainWindowPage(const QString &caption, int page) override {
    calls << QStringLiteral("ShowMainWindowPage %1 %2").arg(caption).arg(page);
  }
  void SetHideTrayIconChecked(bool checked) override {
    calls << QStringLiteral("SetHideTrayIconChecked %1").arg(checked);
  }
  void CloseMainWindow() override { calls << QStringLiteral("CloseMainWindow"); }
  [[nodiscard]] bool EditReminder(int listPosition, QString &id, int defaultRepeatType) override {
    calls
        << QStringLiteral("EditReminder %1 %2 %3").arg(listPosition).arg(id).arg(defaultRepeatType);
    return edit && edit(listPosition, id, defaultRepeatType);
  }
  [[nodiscard]] bool RemindAfter(const QString &title, QPoint at, int32_t number) override {
    return remindAfter && remindAfter(title, at, number);
  }
  void SoundVolume(QPoint at, const TSoundLookup &sound) override {
    if (volume)
      volume(at, sound);
  }
  void SetEditorModified() override { ++modified; }
  void ShowMessage(const QString &message) override {
    calls << QStringLiteral("ShowMessage ") + message;
  }
  void ShowException(const QString &message) override {
    calls << QStringLiteral("ShowException ") + message;
  }
};
