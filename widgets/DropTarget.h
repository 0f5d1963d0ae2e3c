#pragma once

#include "platform/MessageHub.h"

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

// Takes files and text dropped on a widget (the program box of the editor) and tells a window
// about it: the dropped file name or text is kept in Text(), and the window is posted the message
// once the drop is over, so it reads Text() after the drag has ended.
//
// What a drop gives:
//  - exactly one local file: its path; several local files: nothing;
//  - a text, when offered, replaces the file name, except a text that only repeats the dropped
//    files (file managers offer "file:///..." beside the file list);
//  - a link without any text: the link.
// The widget's own drop handling is replaced: a drop never inserts text into the box.
class TIDropTarget : public QObject {
public:
  explicit TIDropTarget(QObject *parent = nullptr);

  // The window that is posted `message` after each drop with a text; clears Text().
  void Init(WindowHandle target, uint message);
  // The widget whose drops come here.
  void Attach(QWidget *widget);

  // The last dropped file name or text, trimmed; empty after a drop that gave nothing.
  [[nodiscard]] const QString &Text() const { return m_text; }

  // Takes one drop: sets Text() and posts the message when it is not empty. False when the drop
  // gave no data or several files (a text offered with them is still taken).
  bool Drop(const QMimeData *data);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  WindowHandle m_target = 0;
  uint m_message = 0;
  QString m_text;
};
