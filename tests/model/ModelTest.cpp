#include "model/Model.h"

#include "model/LogFile.h"
#include "model/ModelStartUp.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
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

// Nothing works on a model that is not there: before the first model and after the last one, a
// name that reaches the current model stops a debug build and raises otherwise.
TEST(Model, ACallWhileNoModelLivesFailsLoudly) {
  ASSERT_EQ(TModel::CurrentOrNone(), nullptr) << "a model leaked from an earlier test";
#ifdef QT_NO_DEBUG
  EXPECT_THROW((void)TModel::Current(), ETolvaneError);
  EXPECT_THROW((void)Store(), ETolvaneError);
  EXPECT_THROW(SetDemoMode(true), ETolvaneError);
  try {
    (void)MainSettings();
  } catch (const ETolvaneError &e) {
    EXPECT_EQ(e.message(), QStringLiteral("The reminder model is not started."));
  }
#else
  EXPECT_DEATH((void)TModel::Current(), "no model lives");
  EXPECT_DEATH((void)Store(), "no model lives");
#endif
  {
    TestModel test;
    EXPECT_EQ(&TModel::Current(), &test.model);
  }
  EXPECT_EQ(TModel::CurrentOrNone(), nullptr);
}

// The store writes its log lines into the log of the model it belongs to, not the current one's.
TEST(Model, TheStoreWritesItsLogLinesIntoItsOwnModelsLog) {
  TestModel own(QStringLiteral("own-store-log"));
  own.model.Store().LoadFromFile(own.file);
  own.localSettings.writeBool(QStringLiteral("Main"), QStringLiteral("UseLocalFolder"), true);
  ASSERT_TRUE(own.model.Store().Save());
  TestModel other; // current from here on, its log in the per-user folder
  ASSERT_NE(GetLogFileName(own.model), GetLogFileName(other.model));
  QFile::remove(GetLogFileName(own.model));
  QFile::remove(GetLogFileName(other.model));
  QFile foreign(own.file); // another program writes the file
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly | QIODevice::Truncate));
  foreign.write("<root/>");
  foreign.close();

  errors::setInfoReporter([](const QString &) {}); // the notice of the kept copy
  (void)own.model.Store().AddNewItem(QString());
  own.model.Store().Flush();
  errors::setInfoReporter({});
  QStringList ownLines = ReadLogLines(GetLogFileName(own.model));
  ASSERT_EQ(ownLines.size(), 1);
  EXPECT_TRUE(ownLines[0].contains(QStringLiteral("Reminder file changed by another program")));
  EXPECT_TRUE(ReadLogLines(GetLogFileName(other.model)).isEmpty());
}
