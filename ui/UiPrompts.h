#pragma once

#include "imaging/Color.h"
#include "platform/ScopedOverride.h"

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// What the user is asked to pick in a file dialog. The filter is written as pairs of a
// description and its patterns, all separated by "|": "Xml files (*.xml)|*.XML|All (*.*)|*.*";
// several patterns of one pair are separated by ";".
struct TFileChoice {
  QString title;
  QString folder;               // where the dialog starts; empty: the current folder
  QString fileName;             // the name proposed
  QString filter;               // see above; empty: every file
  QString defaultExt;           // added to a typed name that has none ("xml", without the dot)
  bool confirmOverwrite = true; // save only: ask before an existing file is replaced
};

// A font together with the colour its text is drawn in, as the font dialog edits them.
struct TFontChoice {
  QFont font;
  TColor color = clBlack;
};

// Every interaction with the user that waits for an answer or shows a text: questions, notices,
// errors and the file, folder, colour and font dialogs. The forms reach it through uiPrompts(),
// so tests put a scripted fake in its place and never block in a dialog.
//
// The real one parents each box to the window the user works in and makes it modal to that
// window alone: a prompt never blocks the stickers or other windows of the program.
class UiPrompts {
public:
  enum class Answer { Yes, No, Cancel };

  virtual ~UiPrompts() = default;

  // A question with the buttons Yes and No; true for Yes.
  [[nodiscard]] virtual bool askYesNo(const QString &text) = 0;
  // A question with Yes, No and Cancel; closing the box counts as Cancel.
  [[nodiscard]] virtual Answer askYesNoCancel(const QString &text) = 0;
  // A notice the user acknowledges ("Sorry, can't save file!"), waited for.
  virtual void notice(const QString &text) = 0;
  // The same notice without waiting: the box stays open while the program goes on, and `closed`
  // runs once it went (the user acknowledged it, or it was deleted). Gives the box, which the
  // caller may delete; null when nothing stays open. This one shows it with notice() and runs
  // `closed` before it returns.
  virtual QWidget *openNotice(const QString &text, const std::function<void()> &closed);
  // An error: what failed, and why (the reason may be empty).
  virtual void error(const QString &text, const QString &reason) = 0;

  // The file chosen, or an empty text when the user cancelled.
  [[nodiscard]] virtual QString openFile(const TFileChoice &choice) = 0;
  [[nodiscard]] virtual QString saveFile(const TFileChoice &choice) = 0;
  [[nodiscard]] virtual QString chooseFolder(const QString &title, const QString &folder) = 0;
  // Nothing when the user cancelled.
  [[nodiscard]] virtual std::optional<TColor> chooseColor(TColor initial) = 0;
  [[nodiscard]] virtual std::optional<TFontChoice> chooseFont(const TFontChoice &initial) = 0;
};

// The prompts in use: the real ones unless a test put others in place.
[[nodiscard]] UiPrompts &uiPrompts();
// Where the prompts are kept (TQtPrompts unless replaced).
[[nodiscard]] OverrideSlot<UiPrompts> &uiPromptsSlot();
// Puts other prompts in place for the lifetime of this object.
using ScopedUiPrompts = ScopedOverride<&uiPromptsSlot>;
