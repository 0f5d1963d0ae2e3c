#pragma once

#include "platform/MessageHub.h"
#include "ui/EditorPage.h"

#include <QWidget>

#include <memory>

class TIDropTarget;

namespace Ui {
class FrameShellExec;
}
class TModel;

// The editor's "Call program or file" tab: the program, document or web address opened when the
// reminder fires, with its parameters, working folder and window flag. A file, a link file or a
// link dropped on the program box fills it. A language frame of its own.
class TFrameShellExec : public QWidget, public IEditorPage {
  Q_OBJECT
public:
  TFrameShellExec(TModel &model, QWidget *parent = nullptr);
  ~TFrameShellExec() override;

  [[nodiscard]] QWidget *Widget() override { return this; }
  [[nodiscard]] bool IsLanguageFrame() const override { return true; }
  // Takes drops on the program box; reads the folder the file dialog starts in.
  void LoadOptions() override;
  void SaveOptions() override;
  void LoadFromReminder(const QString &id) override;
  // The boxes trimmed; the flag of the ticked button, kept when none is ticked.
  void SaveToReminder(TDataObject &reminder) override;

  // "Test run": opens the entry now, exactly as a firing of the reminder would; reports nothing.
  void ActionTestExecute();
  // WM_DROP_TEXT: the program box takes what the drop gave (see ResolveDroppedText).
  void WMDropText();

  [[nodiscard]] WindowHandle handle() const { return m_handle; }

protected:
  bool event(QEvent *e) override;

private:
  void fileSelectExecute();
  // The show command of the ticked button (Maximize before Normal before Minimize), 0 for none.
  [[nodiscard]] int showCommand() const;
  void setFlag(int flag);

  std::unique_ptr<Ui::FrameShellExec> ui;
  TModel &m_model;
  TIDropTarget *m_drop;
  WindowHandle m_handle;
  QString m_currentDir;
};
