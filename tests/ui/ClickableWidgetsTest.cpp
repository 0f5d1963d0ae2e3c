#include "ui/ColorShape.h"
#include "ui/LinkLabel.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(ClickableWidgets, LinkAnswersClickAndKeyboardSwatchOnlyTheLeftButton) {
  QWidget form;
  auto *link = new LinkLabel("on the Year days", &form);
  auto *swatch = new ColorShape(&form);
  swatch->move(0, 40);
  form.show();
  QSignalSpy linkClicks(link, &LinkLabel::clicked);
  QSignalSpy swatchClicks(swatch, &ColorShape::clicked);
  EXPECT_EQ(link->focusPolicy(), Qt::StrongFocus);
  QTest::mouseClick(link, Qt::LeftButton);
  QTest::keyClick(link, Qt::Key_Space);
  QTest::keyClick(link, Qt::Key_A);
  EXPECT_EQ(linkClicks.count(), 2);
  QTest::mouseClick(swatch, Qt::RightButton);
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(swatchClicks.count(), 1);
}
