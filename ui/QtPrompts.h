#pragma once

#include "ui/UiPrompts.h"

#include <QStringList>

class QDialog;

// The prompts on Qt's own boxes and dialogs: QMessageBox titled "Tolvane", QFileDialog,
// QColorDialog and QFontDialog (with a colour row added). Each dialog is parented to the window
// the user works in and is modal to that window alone; with no such window it is modeless. Either
// way a local event loop waits for the answer, so no dialog is ever application-modal.
class TQtPrompts final : public UiPrompts {
public:
  [[nodiscard]] bool askYesNo(const QString &text) override;
  [[nodiscard]] Answer askYesNoCancel(const QString &text) override;
  void notice(const QString &text) override;
  // A box modal to nothing, kept above the stickers, deleted as it closes.
  QWidget *openNotice(const QString &text, const std::function<void()> &closed) override;
  void error(const QString &text, const QString &reason) override;
  [[nodiscard]] QString openFile(const TFileChoice &choice) override;
  [[nodiscard]] QString saveFile(const TFileChoice &choice) override;
  [[nodiscard]] QString chooseFolder(const QString &title, const QString &folder) override;
  [[nodiscard]] std::optional<TColor> chooseColor(TColor initial) override;
  [[nodiscard]] std::optional<TFontChoice> chooseFont(const TFontChoice &initial) override;
};

// The window a prompt belongs to: the open modal dialog, else the active window; null when the
// program has no visible window in front (a prompt from the tray).
[[nodiscard]] QWidget *PromptParent();

// Shows the dialog modal to its parent only (modeless without one) and waits in a local event loop
// until it finishes. Gives its result; QDialog::Rejected when it was destroyed meanwhile (its
// parent went away). While shown the dialog is kept above other windows (stickers kept on top
// included); shown again, it opens where it was when it last closed.
int RunDialog(QDialog *dialog);

// Qt's name filters for a filter written as "description|patterns|...". Linux file names are
// case-sensitive, so every pattern is offered in the case written, in lower case and in upper
// case: "*.XML" must still find "reminders.xml".
[[nodiscard]] QStringList FileDialogFilters(const QString &filter);
