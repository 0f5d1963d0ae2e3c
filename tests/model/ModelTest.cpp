#include "model/Model.h"

#include "model/Settings.h"
#include "tests/support/TestModel.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

// The accessors reach the model built last that still lives, whatever order models end in.
TEST(Model, TheAccessorsReachTheLatestLivingModel) {
  TestModel outer;
  outer.mainSettings.writeString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("outer"));
  std::optional<TestModel> middle(std::in_place);
  std::optional<TestModel> inner(std::in_place);
  EXPECT_EQ(&TModel::Current(), &inner->model);
  EXPECT_EQ(&MainSettings(), &inner->mainSettings);
  SetDemoMode(true);
  EXPECT_FALSE(middle->model.DemoMode());

  middle.reset(); // out of order: the inner one stays current
  EXPECT_EQ(&Store(), &inner->model.Store());
  inner.reset();
  EXPECT_EQ(&TModel::Current(), &outer.model);
  EXPECT_FALSE(DemoMode());
  EXPECT_EQ(MainSettings().readString(QStringLiteral("A"), QStringLiteral("k"), QString()),
            QStringLiteral("outer"));
}

// An empty model reads no file and leaves none behind; its reminders go with it.
TEST(Model, AnEmptyModelTakesItsRemindersWithIt) {
  QString file;
  {
    TestModel own(QStringLiteral("empty-model"));
    file = own.file;
    Reminders().Append(TDataObject::Create(Store().AddNewItem(QString())));
    SetPreviewReminder(TDataObject::CreateEmpty(QStringLiteral("x")));
    EXPECT_EQ(Reminders().Count(), 1);
  }
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(Reminders().Count(), 0);
  EXPECT_EQ(PreviewReminder(), nullptr);
}
