#include "services/GuiHelpers.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

TEST(GuiHelpers, DelayZeroRunsPendingEventsOnce) {
  int runs = 0;
  QTimer::singleShot(0, [&] { ++runs; });
  DelayWithMessages(0);
  EXPECT_EQ(runs, 1);
}

TEST(GuiHelpers, DelayWaitsAtLeastTheTimeAndRunsEvents) {
  int runs = 0;
  QTimer::singleShot(10, [&] { ++runs; });
  QElapsedTimer t;
  t.start();
  DelayWithMessages(50);
  EXPECT_GE(t.elapsed(), 50);
  EXPECT_EQ(runs, 1);
}

TEST(GuiHelpers, HourglassIsOneSettingNotAStack) {
  SetHourglassCursor();
  SetHourglassCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  RestoreCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(GuiHelpers, SpeedButtons) {
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
