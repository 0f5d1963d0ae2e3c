#include "model/DataObject.h"
#include "tests/support/TestModel.h"

#include <gtest/gtest.h>

TEST(DataObject, RunTimeNumbersCountUpAndAreNeverReused) {
  TestModel test;
  auto a = TDataObject::CreateEmpty(QStringLiteral("a"));
  const int32_t first = a->Number;
  EXPECT_GT(first, 0);
  a.reset();
  auto b = TDataObject::CreateEmpty(QStringLiteral("a"));
  auto c = TDataObject::Create(test.model, NewReminderId);
  EXPECT_EQ(b->Number, first + 1);
  EXPECT_EQ(c->Number, first + 2);
}

TEST(DataObject, CreateEmptyHoldsOnlyItsIdAndNumber) {
  const TDataObject r(QStringLiteral("x"));
  EXPECT_EQ(r.Id, QStringLiteral("x"));
  EXPECT_FALSE(r.enable || r.default_ || r.tray);
  EXPECT_EQ(r.LastRunDue, TDateTime());
  EXPECT_EQ(r.lastCloseByUserDt, TDateTime());
  EXPECT_EQ(r.repeat.type, TRepeatType::Once);
  EXPECT_EQ(r.repeat.value1.value, 0);
  EXPECT_TRUE(r.subject.isEmpty() && r.text.isEmpty() && r.parentId.isEmpty());
  EXPECT_EQ(r.shellExec.flag, TShowFlag{0});
}

TEST(DataObject, CreateFillsTheObjectThroughTheModelsLoader) {
  TestModel test;
  test.model.SetDemoMode(true); // the loader reads it from the model it is handed
  test.model.SetDataObjectLoader([](TModel &model, TDataObject &r) {
    r.subject = QStringLiteral("loaded ") + r.Id;
    r.enable = model.DemoMode();
  });
  auto r = TDataObject::Create(test.model, QStringLiteral("ABC"));
  test.model.SetDataObjectLoader(nullptr);
  EXPECT_EQ(r->subject, QStringLiteral("loaded ABC"));
  EXPECT_TRUE(r->enable);
  EXPECT_TRUE(TDataObject::Create(test.model, QStringLiteral("ABC"))->subject.isEmpty());
}

TEST(DataObject, DisablingDropsTheRemindAgainWindowEnablingLeavesIt) {
  TDataObject r(QStringLiteral("x"));
  r.remindAfter.enable = true;
  r.SetEnabled(true);
  EXPECT_TRUE(r.enable);
  EXPECT_TRUE(r.remindAfter.enable);
  r.SetEnabled(false);
  EXPECT_FALSE(r.enable);
  EXPECT_FALSE(r.remindAfter.enable);
  r.SetEnabled(true);
  EXPECT_FALSE(r.remindAfter.enable);
}

TEST(DataObject, StoredCodesOutsideTheirListsKeepTheirValueAndHaveNoName) {
  TDataObject r(QStringLiteral("x"));
  r.repeat.type = static_cast<TRepeatType>(300);
  EXPECT_EQ(static_cast<int>(r.repeat.type), 300);
  EXPECT_EQ(CodeName(RepeatTypeNames, r.repeat.type), QString());
  EXPECT_EQ(CodeName(RepeatTypeNames, TRepeatType::Annually), QStringLiteral("Annually"));
  EXPECT_EQ(CodeName(MeasureNames, static_cast<TMeasure>(-1)), QString());
  EXPECT_EQ(CodeName(StopBoundNames, TStopBoundType::UntilYearEnd),
            QStringLiteral("until year end"));
  EXPECT_EQ(CodeName(StartBoundNames, TStartBoundType::AfterWindowsStart),
            QStringLiteral("after windows start"));
}
