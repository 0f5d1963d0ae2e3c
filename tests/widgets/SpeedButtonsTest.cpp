#include "widgets/SpeedButtons.h"

#include <QAction>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

TEST(SpeedButtons, TagsClearCaptionsAndActionsGiveHints) {
  QWidget form;
  auto *inner = new QWidget(&form);
  auto *tagged = new QToolButton(inner);
  tagged->setProperty("tag", 1);
  tagged->setText("Tagged");
  auto *other = new QToolButton(&form);
  other->setProperty("tag", 2);
  other->setText("Other");
  auto *untagged = new QToolButton(&form);
  untagged->setText("Untagged");

  ClearSpeedButtonCaptions(&form, 1);
  EXPECT_EQ(tagged->text(), "");
  EXPECT_EQ(other->text(), "Other");
  EXPECT_EQ(untagged->text(), "Untagged");

  auto *add = new QAction("Add", &form);
  add->setToolTip("tip from the action");
  auto *blank = new QAction(QString(), &form);
  blank->setToolTip("should not show");
  tagged->setDefaultAction(add);
  other->setDefaultAction(blank);
  untagged->setToolTip("kept");
  SpeedButtonHintsFromActions(&form);
  EXPECT_EQ(tagged->toolTip(), "Add");
  EXPECT_EQ(other->toolTip(), "");
  EXPECT_EQ(untagged->toolTip(), "kept");
}
