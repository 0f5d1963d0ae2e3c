#pragma once

#include <QString>

class QWidget;

// Form captions in language files. A language file is an ini file with one section per form or
// frame, named after it (its objectName), holding the captions of its components by component
// name:
//   - the form's own caption under the form's name (forms only);
//   - labels, buttons, check and radio boxes, group boxes, actions and tab pages by their names;
//   - "<view>.Column<i>" for the column titles of a tree or table view, read from and written to
//     its model's header where the view has a model of its own (a tree without a header has
//     none);
//   - "<view>.Item<i>" for the item texts of a list widget in icon mode;
//   - "<menubar>.Item<i>" for the texts of a menu bar's entries (read only).
// Menus and tool buttons are read from a file but never written to one.
//
// A frame is a widget that is translated on its own, with its own section; its components are not
// the form's, even where the frame sits inside the form. Frames are marked with
// MarkAsLanguageFrame() (or a "languageFrame" property set to true in the form file). Other
// windows inside a form (dialogs) are forms of their own and are passed over too. Objects with no
// name, or a name beginning "qt_", are Qt's own and are never touched.

// Makes the widget a frame for the language files.
void MarkAsLanguageFrame(QWidget *frame);
[[nodiscard]] bool IsLanguageFrame(const QWidget *widget);

// Writes the current captions of the form or frame into its section of the file, keeping the rest
// of the file (other sections, [Messages] included). Nothing happens for an empty file name.
// Raises EFileError when the file exists but cannot be read, or cannot be written; the file is
// then unchanged.
void SaveFormLanguageFile(QWidget *formOrFrame, const QString &fileName);

// Applies the file's captions to the form or frame. A caption whose key is missing keeps its
// current text; a group box caption ends up with exactly one blank at each end. Longer captions
// get their room: splitters give their panes what the panes now need, and a window of fixed size
// grows to its layout's size. Nothing happens
// when the file does not exist; an empty file name acts as an empty file. Raises EFileError when
// the file exists but cannot be read.
void LoadFormLanguageFile(QWidget *formOrFrame, const QString &fileName);
