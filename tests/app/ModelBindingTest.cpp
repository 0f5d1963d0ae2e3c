#include "app/ModelBinding.h"
#include "model/DataObject.h"
#include "model/DataObjectStore.h"
#include "model/ModelStartUp.h"
#include "model/ReminderList.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/XMLStore.h"
#include "tests/support/TestModel.h"

#include <gtest/gtest.h>

namespace {

struct ModelBinding : ::testing::Test {
  TestModel testModel{QStringLiteral("binding")};
  TMMemIniFile &mainSettings = testModel.mainSettings;
  const QString &file = testModel.file;
  TModelBinding binding;

  ModelBinding() { ResetNewReminderTemplate(); }

  static QString addItem(const QString &subject, bool isTemplate) {
    const QString id = Store().AddNewItem(QString());
    Store().SelectItem(id);
    Store().WriteString(QStringLiteral("subject"), subject);
    Store().WriteBool(QStringLiteral("default"), isTemplate);
    return id;
  }
};

TEST_F(ModelBinding, OffersTheTemplatesOfTheListAndCopiesOneIntoTheNewReminder) {
  const QString a = addItem(QStringLiteral("Weekly report"), true);
  addItem(QStringLiteral("Dentist"), false);
  const QString c = addItem(QStringLiteral("backup"), true);
  ASSERT_TRUE(Store().SaveToFile(file));
  mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, file);
  binding.OpenStore();
  ASSERT_EQ(Reminders().Count(), 3);

  const auto entries = binding.DefaultReminders();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].subject, QStringLiteral("Weekly report"));
  EXPECT_EQ(entries[0].id, a);
  EXPECT_EQ(entries[1].id, c);

  ASSERT_TRUE(binding.CopyToNewReminderTemplate(a, QStringLiteral("Copy of ")));
  const TDataObject *copy = NewReminderTemplate();
  EXPECT_EQ(copy->subject, QStringLiteral("Copy of Weekly report"));
  EXPECT_FALSE(copy->default_);
  EXPECT_EQ(copy->Id, a);                     // the stored reminder's id and schedule are kept
  EXPECT_TRUE(FindReminderById(a)->default_); // the stored one stays a template

  EXPECT_FALSE(binding.CopyToNewReminderTemplate(QStringLiteral("gone"), QStringLiteral("x")));
  EXPECT_EQ(NewReminderTemplate(), copy);
  binding.ResetNewReminderTemplate();
  EXPECT_EQ(NewReminderTemplate()->Id, QStringLiteral("new"));
}

TEST_F(ModelBinding, RefreshAndDeleteNameTheReminderByNumber) {
  const QString a = addItem(QStringLiteral("A"), false);
  ReloadReminders();
  const int32_t number = GetReminderNumberById(a);
  Store().SelectItem(a);
  Store().WriteString(QStringLiteral("subject"), QStringLiteral("A2"));
  binding.RefreshReminder(number);
  EXPECT_EQ(FindReminderByNumber(number)->subject, QStringLiteral("A2"));
  binding.RefreshReminder(number + 1000); // nobody: nothing happens

  // The delete command saves and reads the store back from its file: new objects, found by id.
  mainSettings.writeString(settings_keys::Main, settings_keys::StoreFileName, file);
  EXPECT_FALSE(binding.DeleteReminders(number + 1000));
  EXPECT_TRUE(binding.DeleteReminders(number)); // into Trash
  ASSERT_NE(FindReminderById(a), nullptr);
  EXPECT_EQ(FindReminderById(a)->state, TReminderState::Trash);
  EXPECT_EQ(FindReminderById(a)->subject, QStringLiteral("A2"));
}

} // namespace
