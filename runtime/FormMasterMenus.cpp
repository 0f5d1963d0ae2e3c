// The master window's actions and menus: the tray menu, the popup of a firing reminder, the copy
// of the tray menu inside that popup, and the "Add as" menus.

#include "model/LanguageTable.h"
#include "model/Model.h"
#include "model/ModelStartUp.h"
#include "runtime/FormMaster.h"
#include "runtime/ReminderRuntime.h"
#include "runtime/UserInterface.h"
#include "widgets/ActionLink.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace {

constexpr char TagProperty[] = "tag";

} // namespace

QIcon TFormMaster::ImageListIcon(int index) {
  static const char *const files[] = {nullptr, "start", "volume",    "exit", "main",
                                      "edit",  nullptr, "stopsound", "pause"};
  if (index < 0 || index >= int(std::size(files)) || !files[index])
    return {};
  return QIcon(QStringLiteral(":/master/images/%1.png").arg(QLatin1String(files[index])));
}

QAction *TFormMaster::newAction(const char *name, const char *caption, int image) {
  auto *action = new QAction(QString::fromLatin1(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  action->setIcon(ImageListIcon(image));
  m_actions.insert(action->objectName(), action);
  return action;
}

QAction *TFormMaster::Action(const QString &name) const { return m_actions.value(name, nullptr); }

int TFormMaster::PopupMenuObjectTag() const {
  return m_popupMenuObject->property(TagProperty).toInt();
}

void TFormMaster::SetPopupMenuObjectTag(int number) {
  m_popupMenuObject->setProperty(TagProperty, number);
}

void TFormMaster::buildActions() {
  auto tag = [this] { return PopupMenuObjectTag(); };
  auto on = [this](QAction *action, auto handler) {
    connect(action, &QAction::triggered, this, handler);
  };
  on(newAction("ActionCloseByUser", "Close", -1),
     [this, tag] { m_runtime->ActionCloseByUserExecute(tag()); });
  on(newAction("ActionEdit", "Edit", 5), [this, tag] {
    m_runtime->ActionEditExecute(tag());
    RebuildAddAsMenus();
  });
  on(newAction("ActionShutDown", "Exit", 3), [this] { ActionShutDownExecute(); });
  on(newAction("ActionMain", "Main", 4), [this] { ActionMainExecute(); });
  on(newAction("ActionHide", "Hide", -1), [this] { ActionHideExecute(); });
  on(newAction("ActionReminderAdd", "Add reminder", -1),
     [this] { ActionReminderAddExecute(true); });
  on(newAction("ActionReminderSoundStop", "Stop", 7),
     [this, tag] { m_runtime->ActionReminderSoundStopExecute(tag(), false); });
  on(newAction("ActionReminderSoundStart", "Start", 1),
     [this, tag] { m_runtime->ActionReminderSoundStopExecute(tag(), true); });
  on(newAction("ActionReminderSoundVolume", "Volume", 2),
     [this, tag] { m_runtime->ActionReminderSoundVolumeExecute(tag()); });
  QAction *remindAfter = newAction("ActionRemindAfter", "Close and remind in ...", -1);
  on(remindAfter,
     [this, tag, remindAfter] { m_runtime->ActionRemindAfterExecute(tag(), remindAfter->text()); });
  on(newAction("ActionPause", "Stop", 8), [this] { ActionPauseExecute(true); });
  on(newAction("ActionLog", "Log", -1),
     [this] { m_ui.ShowMainWindowPage(Action(QStringLiteral("ActionMain"))->text(), 2); });
  on(newAction("ActionOptions", "Options", -1),
     [this] { m_ui.ShowMainWindowPage(Action(QStringLiteral("ActionMain"))->text(), 1); });
  (void)newAction("ActionAddAs", "Add as", -1); // its item only opens its submenu
}

QAction *TFormMaster::newItem(QMenu *menu, const char *name, QAction *action, const char *caption) {
  auto *item = new QAction(caption ? QString::fromLatin1(caption) : QString(), menu);
  item->setObjectName(QString::fromLatin1(name));
  if (action)
    LinkToAction(item, action);
  menu->addAction(item);
  m_actions.insert(item->objectName(), item);
  return item;
}

void TFormMaster::buildMenus() {
  auto separator = [this](QMenu *menu, const char *name) {
    QAction *s = menu->addSeparator();
    s->setObjectName(QString::fromLatin1(name));
    m_actions.insert(s->objectName(), s);
  };

  m_popupMenuMaster = new QMenu(this);
  m_popupMenuMaster->setObjectName(QStringLiteral("PopupMenuMaster"));
  newItem(m_popupMenuMaster, "Main1", Action(QStringLiteral("ActionMain")));
  newItem(m_popupMenuMaster, "Newreminder1", Action(QStringLiteral("ActionReminderAdd")), "Add");
  m_addAsMenu = new QMenu(m_popupMenuMaster);
  QAction *addAs = m_addAsMenu->menuAction();
  addAs->setObjectName(QStringLiteral("Addas1"));
  addAs->setProperty(TagProperty, 1);
  LinkToAction(addAs, Action(QStringLiteral("ActionAddAs")));
  m_popupMenuMaster->addAction(addAs);
  m_actions.insert(addAs->objectName(), addAs);
  separator(m_popupMenuMaster, "N1");
  newItem(m_popupMenuMaster, "Options1", Action(QStringLiteral("ActionOptions")));
  newItem(m_popupMenuMaster, "Log1", Action(QStringLiteral("ActionLog")));
  separator(m_popupMenuMaster, "N2");
  newItem(m_popupMenuMaster, "ActionPause1", Action(QStringLiteral("ActionPause")));
  newItem(m_popupMenuMaster, "Hide1", Action(QStringLiteral("ActionHide")));
  newItem(m_popupMenuMaster, "Close1", Action(QStringLiteral("ActionShutDown")));

  m_popupMenuObject = new QMenu(this);
  m_popupMenuObject->setObjectName(QStringLiteral("PopupMenuObject"));
  SetPopupMenuObjectTag(0);
  connect(m_popupMenuObject, &QMenu::aboutToShow, this, &TFormMaster::popupMenuObjectPopup);
  newItem(m_popupMenuObject, "Edit1", Action(QStringLiteral("ActionEdit")));
  auto *sound = new QMenu(m_popupMenuObject);
  sound->menuAction()->setObjectName(QStringLiteral("MenuItemSound"));
  sound->menuAction()->setText(QStringLiteral("Sound"));
  m_actions.insert(QStringLiteral("MenuItemSound"), sound->menuAction());
  newItem(sound, "Start1", Action(QStringLiteral("ActionReminderSoundStart")));
  newItem(sound, "Stop1", Action(QStringLiteral("ActionReminderSoundStop")));
  newItem(sound, "Volume1", Action(QStringLiteral("ActionReminderSoundVolume")));
  m_popupMenuObject->addMenu(sound);
  newItem(m_popupMenuObject, "Remindin1", Action(QStringLiteral("ActionRemindAfter")));
  newItem(m_popupMenuObject, "IseemouseDblclick1", Action(QStringLiteral("ActionCloseByUser")));
  separator(m_popupMenuObject, "N4");
  m_objectMainMenu = new QMenu(m_popupMenuObject);
  m_objectMainMenu->menuAction()->setObjectName(QStringLiteral("PopupMenuObjectMainMenu"));
  m_objectMainMenu->menuAction()->setText(QStringLiteral("Main menu"));
  m_actions.insert(QStringLiteral("PopupMenuObjectMainMenu"), m_objectMainMenu->menuAction());
  m_popupMenuObject->addMenu(m_objectMainMenu);
}

void TFormMaster::copyTrayMenuIntoMainMenu() {
  // New items with the same caption, picture, action and Tag; a submenu's own items are not
  // copied (the "Add as" copy is filled by RebuildAddAsMenus).
  const QList<QAction *> items = m_popupMenuMaster->actions();
  for (QAction *item : items) {
    if (item->isSeparator()) {
      m_objectMainMenu->addSeparator();
      continue;
    }
    QAction *copy = nullptr;
    if (item->menu()) {
      auto *submenu = new QMenu(m_objectMainMenu);
      copy = submenu->menuAction();
    } else {
      copy = new QAction(m_objectMainMenu);
    }
    copy->setText(item->text());
    copy->setProperty(TagProperty, item->property(TagProperty));
    if (QAction *action = LinkedAction(item))
      LinkToAction(copy, action);
    m_objectMainMenu->addAction(copy);
  }
}

QMenu *TFormMaster::AddAsMenuCopy() const {
  for (QAction *item : m_objectMainMenu->actions())
    if (item->property(TagProperty).toInt() == 1)
      return item->menu();
  return nullptr;
}

void TFormMaster::RebuildAddAsMenus() {
  // The reminders flagged as templates ("default"), in list order: (subject, id).
  std::vector<std::pair<QString, QString>> items;
  const TReminderList &list = m_model.Reminders();
  for (int i = 0; i < list.Count(); ++i)
    if (const TDataObject *reminder = list.At(i); reminder && reminder->default_)
      items.emplace_back(reminder->subject, reminder->Id);
  // Stable and without regard to case; two templates with one subject both stay.
  std::stable_sort(items.begin(), items.end(), [](const auto &a, const auto &b) {
    return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
  });
  fillAddAsMenu(m_addAsMenu, items);
  if (QMenu *copy = AddAsMenuCopy())
    fillAddAsMenu(copy, items);
}

void TFormMaster::fillAddAsMenu(QMenu *menu,
                                const std::vector<std::pair<QString, QString>> &entries) {
  // The rebuild may run inside the click of one of these items: the old items go later.
  const QList<QAction *> old = menu->actions();
  for (QAction *item : old) {
    menu->removeAction(item);
    item->deleteLater();
  }
  for (const auto &[subject, id] : entries) {
    auto *item = new QAction(subject, menu);
    item->setStatusTip(id); // the hint
    connect(item, &QAction::triggered, this, [this, item] { addAsClick(item->statusTip()); });
    menu->addAction(item);
  }
}

void TFormMaster::addAsClick(const QString &id) {
  if (!CopyToNewReminderTemplate(m_model, id,
                                 TranslateText(QStringLiteral("Copy of")) + QLatin1Char(' ')))
    return;
  ActionReminderAddExecute(false);
}

void TFormMaster::popupMenuObjectPopup() {
  const auto state = m_runtime->PopupMenuObjectPopup(PopupMenuObjectTag());
  if (!state)
    return;
  Action(QStringLiteral("ActionRemindAfter"))->setEnabled(state->remindAfterEnabled);
  Action(QStringLiteral("MenuItemSound"))->setEnabled(state->soundEnabled);
}
