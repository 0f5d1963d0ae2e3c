#include "model/Model.h"

#include "model/Settings.h"
#include "tests/support/TestModel.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

// The accessors reach the model built last that still lives, whatever order models end in; an
// empty model writes no file and takes its reminders with it.
TEST(Model, TheAccessorsReachTheLatestLivingModel) {
  TestModel outer;
  SetDemoMode(true);
  std::optional<TestModel> middle(std::in_place);
  std::optional<TestModel> inner(std::in_place, QStringLiteral("inner-model"));
  EXPECT_EQ(&MainSettings(), &inner->mainSettings);
  const QString innerFile = inner->file;
  Reminders().Append(TDataObject::Create(Store().AddNewItem(QString())));
  SetPreviewReminder(TDataObject::CreateEmpty(QStringLiteral("x")));
  EXPECT_FALSE(DemoMode());

  middle.reset(); // out of order: the inner one stays current
  EXPECT_EQ(Reminders().Count(), 1);
  inner.reset();
  EXPECT_EQ(&TModel::Current(), &outer.model);
  EXPECT_TRUE(DemoMode());
  EXPECT_EQ(Reminders().Count(), 0);
  EXPECT_EQ(PreviewReminder(), nullptr);
  EXPECT_FALSE(QFile::exists(innerFile));
}
