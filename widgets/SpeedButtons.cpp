#include "widgets/SpeedButtons.h"

#include <QAction>
#include <QToolButton>
#include <QVariant>

void ClearSpeedButtonCaptions(QWidget *form, int tag) {
  if (!form)
    return;
  for (QToolButton *button : form->findChildren<QToolButton *>()) {
    const QVariant t = button->property("tag");
    if (t.toInt() == tag)
      button->setText(QString());
  }
}

void SpeedButtonHintsFromActions(QWidget *form) {
  if (!form)
    return;
  for (QToolButton *button : form->findChildren<QToolButton *>()) {
    if (const QAction *action = button->defaultAction())
      button->setToolTip(action->text());
  }
}
