#include "widgets/ActionLink.h"

#include <QAction>
#include <QVariant>

#include <memory>

namespace {
constexpr char ActionProperty[] = "linkedAction";
} // namespace

void FollowAction(QObject *target, QAction *action, std::function<void()> show) {
  target->setProperty(ActionProperty, QVariant::fromValue<QObject *>(action));
  show();
  QObject::connect(action, &QAction::changed, target, std::move(show));
}

QAction *LinkedAction(const QObject *item) {
  return qobject_cast<QAction *>(item->property(ActionProperty).value<QObject *>());
}

void LinkToAction(QAction *item, QAction *action) {
  if (item->text().isEmpty())
    item->setText(action->text());
  // The action's caption as the item last saw it: the item follows only while it still shows it.
  auto previous = std::make_shared<QString>(action->text());
  FollowAction(item, action, [item, action, previous] {
    if (item->text() == *previous)
      item->setText(action->text());
    *previous = action->text();
    item->setIcon(action->icon());
    item->setEnabled(action->isEnabled());
    item->setVisible(action->isVisible());
  });
  QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
}
