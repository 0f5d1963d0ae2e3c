#include "ui/ActionButton.h"

#include "widgets/ActionLink.h"

#include <QAbstractButton>
#include <QAction>
#include <QToolButton>

namespace {
constexpr char TagProperty[] = "tag";
constexpr int SpeedButtonTag = 1;
} // namespace

void BindButtonToAction(QAbstractButton *button, QAction *action) {
  if (auto *tool = qobject_cast<QToolButton *>(button)) {
    // Qt's own link; it also makes the action the one the speed-button helpers look for.
    tool->setDefaultAction(action);
    const bool speed = tool->property(TagProperty).toInt() == SpeedButtonTag;
    if (speed)
      tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Runs after the tool button has copied the action, so the speed button's caption stays empty.
    FollowAction(tool, action, [tool, action, speed] {
      if (speed) {
        tool->setText(QString());
        tool->setToolTip(action->text());
      }
    });
    return;
  }
  FollowAction(button, action, [button, action] {
    button->setText(action->text());
    button->setIcon(action->icon());
    button->setEnabled(action->isEnabled());
    button->setVisible(action->isVisible());
    button->setCheckable(action->isCheckable());
    button->setChecked(action->isChecked());
    button->setToolTip(action->toolTip());
  });
  QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
}
