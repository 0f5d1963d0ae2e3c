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
