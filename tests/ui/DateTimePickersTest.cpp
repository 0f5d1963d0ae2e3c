// Typing into a picker: a click puts the cursor into a section, and the digits typed there take
// its place, as on the pickers users know. Before, digits typed after a click did nothing; only
// the arrow keys changed the value.
#include "ui/DateTimePickers.h"

#include <QLineEdit>
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

// A click a few pixels into the text, at the character with this index.
void clickAtCharacter(QTimeEdit &picker, int index) {
  auto *edit = picker.findChild<QLineEdit *>();
  ASSERT_TRUE(edit);
  const QString text = edit->text();
  const int x = edit->fontMetrics().horizontalAdvance(text.left(index)) +
                edit->fontMetrics().horizontalAdvance(text.at(index)) / 2 + 3;
  QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
}

} // namespace

TEST(DateTimePickers, DigitsTypedAfterAClickReplaceTheSectionClicked) {
  QTimeEdit picker;
  SetUpTimePicker(&picker);
  ASSERT_EQ(picker.displayFormat(), QStringLiteral("HH:mm:ss"));
  picker.setTime(QTime(7, 31, 42));
  picker.resize(120, picker.sizeHint().height());
  picker.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));

  clickAtCharacter(picker, 0); // the hour
  QTest::keyClicks(&picker, QStringLiteral("11"));
  EXPECT_EQ(picker.time(), QTime(11, 31, 42)) << picker.text().toStdString();

  clickAtCharacter(picker, 4); // the minute
  QTest::keyClicks(&picker, QStringLiteral("05"));
  EXPECT_EQ(picker.time(), QTime(11, 5, 42)) << picker.text().toStdString();

  // One digit alone stands for the whole section.
  clickAtCharacter(picker, 7); // the second
  QTest::keyClicks(&picker, QStringLiteral("9"));
  QTest::keyClick(&picker, Qt::Key_Tab);
  EXPECT_EQ(picker.time(), QTime(11, 5, 9)) << picker.text().toStdString();
}
