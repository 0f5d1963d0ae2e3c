#include "ui/UserInterface.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "tests/support/Sandbox.h"
#include "tests/support/TestModel.h"
#include "tests/ui/FakePrompts.h"
#include "ui/NoticeQueue.h"

#include <QCoreApplication>

TEST(UserInterface, ANoticeRaisedInTheModelReachesThePrompts) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  TestModel test;
  TNoticeQueue notices;
  TUserInterface ui(test.model, notices);
  // As the program installs the user interface at start-up.
  const errors::ScopedInfoReporter reporter([&ui](const QString &text) { ui.ShowMessage(text); });
  TXMLStore store;
  // A folder where the file should be: the save fails.
  EXPECT_FALSE(store.SaveToFile(sandbox::makeTempDir("store-is-a-folder")));
  EXPECT_TRUE(fake.shown.isEmpty()); // the save's caller goes on first
  QCoreApplication::processEvents();
  ASSERT_EQ(fake.shown.size(), 1);
  EXPECT_TRUE(fake.shown[0].startsWith("notice: Sorry, can't save file!"))
      << fake.shown[0].toStdString();
}

TEST(UserInterface, AnErrorNobodyCaughtReachesThePrompts) {
  FakePrompts fake;
  ScopedUiPrompts scoped(fake);
  TestModel test;
  TNoticeQueue notices;
  TUserInterface ui(test.model, notices);
  ui.ShowException("Access denied");
  EXPECT_EQ(fake.shown, QStringList({"error: Access denied"}));
  EXPECT_EQ(ui.MainWindowHandle(), 0u);
}
