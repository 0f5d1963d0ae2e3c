// A store whose folder takes no file: what the user is told, what the log keeps, and what the
// next change does.
#include "model/Paths.h"
#include "model/StoreJournal.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"
#include "tests/model/BlockedFolder.h"
#include "tests/model/SettingsSandbox.h"

namespace {

class StoreSaveFailure : public SettingsSandbox {
protected:
  StoreSaveFailure()
      : folder(sandbox::makeTempDir(QStringLiteral("failing"))),
        file(folder + QStringLiteral("/data.xml")) {
    store.LoadFromFile(file);
    store.SetLogWriter([this](const QString &line) { logged << line; });
    id = store.AddNewItem(QString());
    store.SelectItem(id);
  }

  void change(const QString &subject) {
    store.WriteString(QStringLiteral("subject"), subject);
    store.Flush();
  }

  const QString folder;
  const QString file;
  TXMLStore &store = testModel.model.Store();
  QString id;
  QStringList notices, logged;
  const errors::ScopedInfoReporter reporter{[this](const QString &text) { notices << text; }};
  BlockedFolder blocked{folder};
};

} // namespace

// Fault: a flush that failed went to standard error only; the user learnt of it at exit.
TEST_F(StoreSaveFailure, AFailedWriteIsToldOnceUntilAWriteWorksAgain) {
  blocked.Block();
  change(QStringLiteral("one"));
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].startsWith(QStringLiteral("Sorry, can't save file!")));
  EXPECT_TRUE(notices[0].contains(file));
  ASSERT_EQ(logged.size(), 1);
  EXPECT_TRUE(logged[0].contains(file));
  EXPECT_EQ(store.OwnFileWrites(), 0);

  change(QStringLiteral("two")); // still failing: tried, but not told again
  EXPECT_FALSE(store.AppendToJournal(id, {{QStringLiteral("subject"), QStringLiteral("two")}}));
  EXPECT_EQ(notices.size(), 1);
  EXPECT_EQ(logged.size(), 1);
  EXPECT_FALSE(store.Saved());

  blocked.Unblock();
  store.Flush(); // the next change's write takes every change the failed ones held
  EXPECT_EQ(store.OwnFileWrites(), 1);
  EXPECT_TRUE(readFile(file).contains("<subject>two</subject>"));
  EXPECT_EQ(notices.size(), 1);

  blocked.Block(); // after a write that worked, a new failure is told again, a firing's too
  EXPECT_FALSE(store.AppendToJournal(id, {{QStringLiteral("subject"), QStringLiteral("two")}}));
  ASSERT_EQ(notices.size(), 2);
  EXPECT_TRUE(notices[1].contains(JournalFileName(file)));
  EXPECT_EQ(logged.size(), 2);
}

// Fault: a read-only data folder was found out only at the first change, and told at exit.
TEST_F(StoreSaveFailure, AFolderThatTakesNoFileIsToldWhenTheStoreOpens) {
  BlockedFolder user(userDir());
  user.Block();
  OpenStore(testModel.model, {});
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains(GetDataFileName(testModel.model)));
  OpenStore(testModel.model, {}); // once for a folder
  EXPECT_EQ(notices.size(), 1);

  local.writeBool(QStringLiteral("Main"), QStringLiteral("UseLocalFolder"), true);
  OpenStore(testModel.model, {}); // a folder that takes files is not told
  EXPECT_EQ(store.FileName(), GetLocalDataFileName());
  EXPECT_EQ(notices.size(), 1);
  EXPECT_EQ(store.OwnFileWrites(), 0); // and nothing is written to find out
}
