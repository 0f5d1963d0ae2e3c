#include "ui/IconLibrary.h"

#include <QHash>
#include <QListWidgetItem>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTreeWidgetItem>

#include <algorithm>
#include <iterator>

// A static library's resources are registered by hand, once (outside any namespace, as the macro
// requires).
static void initUiResources() { Q_INIT_RESOURCE(ui); }

namespace {

struct Entry {
  TImageList list;
  int index;
  const char *file; // below :/ui/icons/
};

// The one table from list and index to picture.
constexpr Entry Table[] = {
    {TImageList::Common, 4, "speaker.svg"},
    {TImageList::Common, 5, "pause.svg"},
    {TImageList::Common, 6, "mail.svg"},
    {TImageList::Common, 7, "sort-up.svg"},
    {TImageList::Common, 8, "sort-down.svg"},
    {TImageList::Common, 11, "folder-open.svg"},
    {TImageList::Common, 13, "stop.svg"},
    {TImageList::Common, 14, "play.svg"},
    {TImageList::Common, 17, "help.svg"},
    {TImageList::Common, 20, "sticker.svg"},
    {TImageList::Common, 22, "save.svg"},
    {TImageList::Common, 23, "mail-send.svg"},
    {TImageList::Common, 25, "program.svg"},
    {TImageList::Common, 27, "mail-settings.svg"},
    {TImageList::Common, 28, "bell.svg"},
    {TImageList::Common, 29, "bell-disabled.svg"},
    {TImageList::Common, 31, "bell-archived.svg"},
    {TImageList::Common, 34, "power-off.svg"},
    {TImageList::Common, 36, "log.svg"},
    {TImageList::Common, 37, "calendar-saturday.svg"},
    {TImageList::Common, 38, "calendar-sunday.svg"},
    {TImageList::Common, 39, "power-on.svg"},
    {TImageList::Common, 40, "folder-closed.svg"},
    {TImageList::Common, 43, "resume.svg"},
    {TImageList::Main, 0, "bell.svg"},
    {TImageList::Main, 2, "options.svg"},
    {TImageList::Main, 3, "log.svg"},
    {TImageList::Reminder, 0, "bell.svg"},
    {TImageList::Reminder, 1, "archive.svg"},
    {TImageList::Reminder, 2, "trash.svg"},
    {TImageList::Editor, 0, "play.svg"},
    {TImageList::Editor, 1, "stop.svg"},
    {TImageList::Editor, 7, "check.svg"},
    {TImageList::Editor, 8, "cross.svg"},
    {TImageList::About, 0, "IXP.ico"},
};

const Entry *find(TImageList list, int index) {
  const auto it = std::find_if(std::begin(Table), std::end(Table),
                               [&](const Entry &e) { return e.list == list && e.index == index; });
  return it == std::end(Table) ? nullptr : it;
}

QIcon render(const QString &path) {
  if (!path.endsWith(QLatin1String(".svg")))
    return QIcon(path);
  // Rendered here rather than through the SVG icon plugin, so a missing plugin cannot leave the
  // program without pictures.
  QSvgRenderer renderer(path);
  QIcon icon;
  for (const int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

} // namespace

namespace iconlibrary {

QIcon icon(TImageList list, int index) {
  const Entry *entry = find(list, index);
  if (!entry)
    return {};
  static const bool registered = (initUiResources(), true);
  (void)registered;
  // Kept for the life of the process and never destroyed: pixmaps must not outlive the
  // application object in static destructors.
  static auto *cache = new QHash<QString, QIcon>;
  const QString path = QStringLiteral(":/ui/icons/") + QLatin1String(entry->file);
  auto it = cache->find(path);
  if (it == cache->end())
    it = cache->insert(path, render(path));
  return *it;
}

QList<int> indices(TImageList list) {
  QList<int> result;
  for (const Entry &e : Table)
    if (e.list == list)
      result << e.index;
  std::sort(result.begin(), result.end());
  return result;
}

void setItemIcon(QTreeWidgetItem *item, int column, TImageList list, int index) {
  item->setIcon(column, index < 0 ? QIcon() : icon(list, index));
  item->setData(column, IconIndexRole, index);
}

void setItemIcon(QListWidgetItem *item, TImageList list, int index) {
  item->setIcon(index < 0 ? QIcon() : icon(list, index));
  item->setData(IconIndexRole, index);
}

} // namespace iconlibrary
