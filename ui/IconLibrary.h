#pragma once

#include <QIcon>
#include <QList>
#include <Qt>

class QListWidgetItem;
class QTreeWidgetItem;

// The picture lists of the user interface. The windows address their pictures by list and index,
// as the lists were laid out for them (the reminder list's row icons 28, 29 and 31, the log's
// event icons, the menu pictures ...). The pictures are the program's own small SVG drawings in
// one style, rendered at the sizes asked for; they do not depend on the desktop's icon theme.
enum class TImageList {
  Common,   // small pictures of the main window's menus, the reminder list and the log
  Main,     // the main window's page list (0 reminders, 2 options, 3 log), 32 x 32
  Reminder, // the reminder list's tabs (0 active, 1 archive, 2 trash)
  Editor,   // the reminder editor (0 sound test, 1 sound playing, 7 enabled, 8 disabled)
  About     // the about box (0 the program's icon)
};

// Views keep the index of the picture they show in this role, so that tests and code compare
// numbers rather than pixels; -1 means no picture.
inline constexpr int IconIndexRole = Qt::UserRole + 1;

namespace iconlibrary {

// The picture at the index of the list; a null icon for an index the list does not have.
[[nodiscard]] QIcon icon(TImageList list, int index);
// The indices the list has, ascending.
[[nodiscard]] QList<int> indices(TImageList list);

// Shows the picture in the item's column and keeps its index in IconIndexRole; -1 clears both.
void setItemIcon(QTreeWidgetItem *item, int column, TImageList list, int index);
void setItemIcon(QListWidgetItem *item, TImageList list, int index);

} // namespace iconlibrary
