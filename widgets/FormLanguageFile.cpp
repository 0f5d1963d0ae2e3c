#include "widgets/FormLanguageFile.h"

#include "platform/MemIniFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const char *const kFrameProperty = "languageFrame";

// One caption of a component: its key, its current text, how to change it, and whether the
// export writes it (menus, menu bars and tool buttons are read but never written).
struct Caption {
  QString key;
  QString text;
  std::function<void(const QString &)> apply;
  bool exported = true;
  bool isAction = false;
  bool applyAlways = false; // also when the text read is the current one
};

QTabWidget *tabWidgetOf(QWidget *page) {
  QWidget *stack = page->parentWidget();
  if (!qobject_cast<QStackedWidget *>(stack))
    return nullptr;
  auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget());
  return tabs && tabs->indexOf(page) >= 0 ? tabs : nullptr;
}

QString columnKey(const QString &name, int i) {
  return name + QStringLiteral(".Column") + QString::number(i);
}

QString itemKey(const QString &name, int i) {
  return name + QStringLiteral(".Item") + QString::number(i);
}

void viewCaptions(QWidget *w, const QString &name, std::vector<Caption> &out) {
  // A tree without a header (a day tree, a folder tree) shows no column captions.
  if (auto *anyTree = qobject_cast<QTreeView *>(w); anyTree && anyTree->isHeaderHidden())
    return;
  if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
    QTreeWidgetItem *header = tree->headerItem();
    for (int i = 0; header && i < tree->columnCount(); ++i)
      out.push_back({columnKey(name, i), header->text(i),
                     [header, i](const QString &t) { header->setText(i, t); }});
  } else if (auto *table = qobject_cast<QTableWidget *>(w)) {
    for (int i = 0; i < table->columnCount(); ++i) {
      // Without an item of its own a column shows its number, and that is its caption.
      out.push_back({columnKey(name, i), table->model()->headerData(i, Qt::Horizontal).toString(),
                     [table, i](const QString &t) {
                       if (QTableWidgetItem *it = table->horizontalHeaderItem(i))
                         it->setText(t);
                       else
                         table->setHorizontalHeaderItem(i, new QTableWidgetItem(t));
                     }});
    }
  } else if (qobject_cast<QTreeView *>(w) || qobject_cast<QTableView *>(w)) {
    // A view over a model of its own (a list too long for item widgets): the model holds the
    // column captions.
    QAbstractItemModel *model = static_cast<QAbstractItemView *>(w)->model();
    for (int i = 0; model && i < model->columnCount(); ++i)
      out.push_back({columnKey(name, i), model->headerData(i, Qt::Horizontal).toString(),
                     [model, i](const QString &t) { model->setHeaderData(i, Qt::Horizontal, t); }});
  } else if (auto *list = qobject_cast<QListWidget *>(w)) {
    // Only the icon view has captions of its own; a plain list shows data.
    if (list->viewMode() != QListView::IconMode)
      return;
    for (int i = 0; i < list->count(); ++i) {
      QListWidgetItem *item = list->item(i);
      out.push_back(
          {itemKey(name, i), item->text(), [item](const QString &t) { item->setText(t); }});
    }
  }
}

// The captions of one named component, by its kind. Only kinds that show a caption take part:
// the text of an edit box or spin box is the user's data, not a caption.
void captionsOf(QObject *o, std::vector<Caption> &out) {
  const QString name = o->objectName();
  if (auto *action = qobject_cast<QAction *>(o)) {
    if (!action->isSeparator())
      out.push_back(
          {name, action->text(), [action](const QString &t) { action->setText(t); }, true, true});
    return;
  }
  auto *w = qobject_cast<QWidget *>(o);
  if (!w)
    return;
  if (auto *bar = qobject_cast<QMenuBar *>(w)) {
    const QList<QAction *> entries = bar->actions();
    for (int i = 0; i < entries.size(); ++i) {
      QAction *entry = entries.at(i);
      out.push_back({itemKey(name, i), entry->text(),
                     [entry](const QString &t) { entry->setText(t); }, false});
    }
  } else if (auto *menu = qobject_cast<QMenu *>(w)) {
    out.push_back({name, menu->title(), [menu](const QString &t) { menu->setTitle(t); }, false});
  } else if (auto *tool = qobject_cast<QToolButton *>(w)) {
    out.push_back({name, tool->text(), [tool](const QString &t) { tool->setText(t); }, false});
  } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
    out.push_back({name, button->text(), [button](const QString &t) { button->setText(t); }});
  } else if (auto *label = qobject_cast<QLabel *>(w)) {
    out.push_back({name, label->text(), [label](const QString &t) { label->setText(t); }});
  } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
    // The title is drawn into the frame line; a blank at each end keeps it off the line.
    out.push_back({name, group->title(),
                   [group](const QString &t) {
                     group->setTitle(QLatin1Char(' ') + TMMemIniFile::trimText(t) +
                                     QLatin1Char(' '));
                   },
                   true, false, true});
  } else if (QTabWidget *tabs = tabWidgetOf(w)) {
    out.push_back({name, tabs->tabText(tabs->indexOf(w)),
                   [tabs, w](const QString &t) { tabs->setTabText(tabs->indexOf(w), t); }});
  } else {
    viewCaptions(w, name, out);
  }
}

bool isQtInternal(const QString &name) {
  return name.isEmpty() || name.startsWith(QStringLiteral("qt_"));
}

// Walks the components that belong to the unit, in the order they were made. Frames and other
// windows inside it (dialogs) are units of their own and are left out with all they hold; menus
// are windows too in Qt, but belong to the form that holds them. Unnamed objects are Qt's own
// helpers, but may hold the unit's widgets (a scroll area's viewport holds its contents).
void collect(QObject *parent, std::vector<Caption> &out) {
  QObjectList children = parent->children();
  // Showing a page raises it to the end of its parent's children; the pages' own order keeps
  // the file the same whichever page is showing.
  if (auto *stack = qobject_cast<QStackedWidget *>(parent)) {
    auto index = [stack](QObject *o) {
      auto *w = qobject_cast<QWidget *>(o);
      const int i = w ? stack->indexOf(w) : -1;
      return i < 0 ? stack->count() : i;
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](QObject *a, QObject *b) { return index(a) < index(b); });
  }
  for (QObject *child : children) {
    if (auto *w = qobject_cast<QWidget *>(child)) {
      if (IsLanguageFrame(w) || (w->isWindow() && !qobject_cast<QMenu *>(w)))
        continue;
    }
    if (!isQtInternal(child->objectName()))
      captionsOf(child, out);
    collect(child, out);
  }
}

std::vector<Caption> captionsOfUnit(QWidget *unit) {
  std::vector<Caption> out;
  if (!IsLanguageFrame(unit))
    out.push_back({unit->objectName(), unit->windowTitle(),
                   [unit](const QString &t) { unit->setWindowTitle(t); }});
  collect(unit, out);
  // An action's caption comes after the buttons', so where a button shows an action, the
  // action's text is the one that stays.
  std::stable_partition(out.begin(), out.end(), [](const Caption &c) { return !c.isAction; });
  return out;
}

} // namespace

void MarkAsLanguageFrame(QWidget *frame) { frame->setProperty(kFrameProperty, true); }

bool IsLanguageFrame(const QWidget *widget) {
  return widget && widget->property(kFrameProperty).toBool();
}

void SaveFormLanguageFile(QWidget *formOrFrame, const QString &fileName) {
  if (fileName.isEmpty())
    return;
  TMMemIniFile ini;
  (void)ini.loadFromFile(fileName); // a missing file starts empty
  const QString section = formOrFrame->objectName();
  for (const Caption &c : captionsOfUnit(formOrFrame))
    if (c.exported)
      ini.writeString(section, c.key, c.text);
  ini.saveToFile(fileName);
}

namespace {

// Captions of another language may be longer. Layouts follow by themselves, but two things do
// not: a splitter keeps the widths it gave its panes, squeezing a pane below what its new captions
// need, and a window of fixed size keeps that size. Both are given the room now.
void makeRoomForCaptions(QWidget *formOrFrame) {
  // The changed captions have asked their layouts, and those theirs, to be worked out anew; the
  // sizes needed are known once those requests have run.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  for (QSplitter *splitter : formOrFrame->findChildren<QSplitter *>())
    splitter->refresh();
  QWidget *window = formOrFrame->window();
  if (window->minimumSize() == window->maximumSize() && !window->minimumSize().isEmpty()) {
    const QSize needed = window->size().expandedTo(window->sizeHint());
    if (needed != window->size())
      window->setFixedSize(needed);
  }
}

} // namespace

void LoadFormLanguageFile(QWidget *formOrFrame, const QString &fileName) {
  TMMemIniFile ini;
  if (!fileName.isEmpty() && !ini.loadFromFile(fileName))
    return;
  const QString section = formOrFrame->objectName();
  for (const Caption &c : captionsOfUnit(formOrFrame)) {
    const QString text = ini.readString(section, c.key, c.text);
    if (c.applyAlways || text != c.text)
      c.apply(text);
  }
  makeRoomForCaptions(formOrFrame);
}
