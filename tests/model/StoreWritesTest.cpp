#include "model/DataObjectStore.h"

#include "SettingsSandbox.h"
#include "model/ReminderList.h"
#include "model/XMLStore.h"

#include <QFileInfo>

namespace {

class StoreWrites : public SettingsSandbox {
protected:
  StoreWrites() {
    file = sandbox::makeTempDir(QStringLiteral("writes")) + QStringLiteral("/data.xml");
    Store().LoadFromFile(file);
    Store().AddNewItem(QString());
    ReloadReminders();
    first = Reminders().At(0);
  }

  QString file;
  TDataObject *first = nullptr;
};

} // namespace

TEST_F(StoreWrites, StickerPositionIsWrittenAndSaved) {
  first->sticker.position = {11, 22, 333, 444, false};
  SaveStickerPosition(*first);
  const QByteArray bytes = readFile(file);
  EXPECT_TRUE(bytes.contains("<left>11</left>")) << bytes.constData();
  EXPECT_TRUE(bytes.contains("<height>444</height>"));
  EXPECT_TRUE(bytes.contains("<autoSize>false</autoSize>"));
  auto reread = TDataObject::Create(first->Id);
  EXPECT_EQ(reread->sticker.position.width, 333);

  // A reminder whose item is gone writes nothing.
  const QDateTime stamp = QFileInfo(file).lastModified();
  auto stray = TDataObject::CreateEmpty(QStringLiteral("no-such-item"));
  stray->sticker.position = {1, 2, 3, 4, true};
  SaveStickerPosition(*stray);
  EXPECT_EQ(QFileInfo(file).lastModified(), stamp);
  EXPECT_FALSE(readFile(file).contains("<left>1</left>"));
}

TEST_F(StoreWrites, AWriteBatchWritesTheFileOnceAtItsEnd) {
  first->sticker.position = {11, 22, 333, 444, false};
  first->subject = QStringLiteral("Closed");
  {
    const TXMLStore::TWriteBatch outer(Store());
    {
      const TXMLStore::TWriteBatch inner(Store());
      SaveStickerPosition(*first);
      SaveToStore(*first);
    }
    EXPECT_FALSE(QFileInfo::exists(file)) << "written before the last batch ended";
  }
  const QByteArray bytes = readFile(file);
  EXPECT_TRUE(bytes.contains("<left>11</left>")) << bytes.constData();
  EXPECT_TRUE(bytes.contains("<subject>Closed</subject>"));
}

// Fault: demo mode ended with a write of the whole file for every sticker that closed, though
// none had moved.
TEST_F(StoreWrites, AFlushWithNothingChangedWritesNothing) {
  first->sticker.position = {11, 22, 333, 444, false};
  SaveToStore(*first);
  EXPECT_EQ(Store().OwnFileWrites(), 1);
  SaveStickerPosition(*first); // the place it has
  SaveToStore(*first);         // the fields it has
  EXPECT_EQ(Store().OwnFileWrites(), 1);
  first->sticker.position.left = 12;
  SaveStickerPosition(*first);
  EXPECT_EQ(Store().OwnFileWrites(), 2);
  EXPECT_TRUE(readFile(file).contains("<left>12</left>"));
}

// Fault: the backup after an edit or a delete wrote the whole document out a second time.
TEST_F(StoreWrites, ABackupOfTheStoreAsItsFileHoldsItIsACopyOfTheFile) {
  // Laid out as no save of the store lays it out: only a copy keeps these bytes.
  const QByteArray laidOut = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <item "
                             "id=\"{A}\">\n    <subject>Kept</subject>\n  </item>\n</root>\n";
  writeFile(file, laidOut);
  Store().LoadFromFile(file);
  const QString backup = QFileInfo(file).absolutePath() + QStringLiteral("/data_backup.xml");
  ASSERT_TRUE(Store().SaveToFile(backup));
  EXPECT_EQ(readFile(backup), laidOut);
  QFile::remove(backup);
  Store().SaveCopyInBackground(backup); // the same, written by the store's writer
  ASSERT_TRUE(Store().WaitForBackgroundWrites(std::chrono::seconds(10)));
  EXPECT_EQ(readFile(backup), laidOut);

  // Changed since: the backup holds the document as it is now.
  ASSERT_TRUE(Store().SelectItem(QStringLiteral("A")));
  Store().WriteString(QStringLiteral("subject"), QStringLiteral("Changed"));
  ASSERT_TRUE(Store().SaveToFile(backup));
  EXPECT_TRUE(readFile(backup).contains("<subject>Changed</subject>"));
  QFile::remove(backup);
  Store().SaveCopyInBackground(backup);
  ASSERT_TRUE(Store().WaitForBackgroundWrites(std::chrono::seconds(10)));
  EXPECT_TRUE(readFile(backup).contains("<subject>Changed</subject>"));
  EXPECT_EQ(readFile(file), laidOut);

  // Saved again, and then changed by another program: the backup is never that program's file.
  ASSERT_TRUE(Store().Save());
  const QByteArray saved = readFile(file);
  ASSERT_TRUE(Store().SaveToFile(backup));
  EXPECT_EQ(readFile(backup), saved);
  writeFile(file, laidOut);
  ASSERT_TRUE(Store().SaveToFile(backup));
  EXPECT_TRUE(readFile(backup).contains("<subject>Changed</subject>"));
}
