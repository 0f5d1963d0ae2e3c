#include "model/Model.h"

#include "model/ModelStartUp.h"
#include "model/ReminderList.h"
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

// "Add as": the template becomes the stored reminder as read from the store, not the list's object
// with whatever it holds meanwhile; an id the list does not know changes nothing.
TEST(Model, AddAsCopiesTheStoredReminderIntoTheTemplate) {
  TestModel test;
  TModel &model = test.model;
  const QString id = model.Store().AddNewItem(QString());
  model.Store().SelectItem(id);
  model.Store().WriteString(QStringLiteral("subject"), QStringLiteral("Weekly report"));
  model.Store().WriteBool(QStringLiteral("default"), true);
  ReloadReminders(model);
  model.Reminders().FindById(id)->subject = QStringLiteral("edited in memory");
  ResetNewReminderTemplate(model);

  ASSERT_TRUE(CopyToNewReminderTemplate(model, id, QStringLiteral("Copy of ")));
  const TDataObject *copy = model.NewReminderTemplate();
  EXPECT_EQ(copy->subject, QStringLiteral("Copy of Weekly report"));
  EXPECT_FALSE(copy->default_);
  EXPECT_EQ(copy->Id, id);                               // the stored reminder's id and schedule
  EXPECT_TRUE(model.Reminders().FindById(id)->default_); // the stored one stays a template

  EXPECT_FALSE(CopyToNewReminderTemplate(model, QStringLiteral("gone"), QStringLiteral("x")));
  EXPECT_EQ(model.NewReminderTemplate(), copy);
}
