#include "ui/ActionButton.h"
#include "widgets/ActionLink.h"
#include "widgets/SpeedButtons.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

TEST(ActionButton, ButtonFollowsItsActionAndAClickTriggersItOnce) {
  QWidget form;
  auto *action = new QAction("Add", &form);
  auto *button = new QPushButton("Button1", &form);
  BindButtonToAction(button, action);
  EXPECT_EQ(button->text(), "Add");
  EXPECT_EQ(LinkedAction(button), action);

  action->setText("Neu");
  action->setEnabled(false);
  EXPECT_EQ(button->text(), "Neu");
  EXPECT_FALSE(button->isEnabled());

  action->setEnabled(true);
  QSignalSpy triggered(action, &QAction::triggered);
  form.show();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(triggered.count(), 1);
}

TEST(ActionButton, SpeedButtonShowsNoCaptionEvenAfterItsActionChanges) {
  QWidget form;
  auto *action = new QAction("Get mail parameters", &form);
  auto *speed = new QToolButton(&form);
  speed->setProperty("tag", 1);
  BindButtonToAction(speed, action);
  ClearSpeedButtonCaptions(&form, 1);
  action->setText("Mail parameters");
  EXPECT_EQ(speed->text(), "");
  EXPECT_EQ(speed->toolTip(), "Mail parameters");
  QSignalSpy triggered(action, &QAction::triggered);
  form.show();
  QTest::mouseClick(speed, Qt::LeftButton);
  EXPECT_EQ(triggered.count(), 1);
}
