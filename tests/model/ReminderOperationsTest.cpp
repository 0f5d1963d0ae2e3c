#include "model/ReminderOperations.h"

#include "SettingsSandbox.h"
#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/XMLStore.h"

#include <QFileInfo>

namespace {

class ReminderOperations : public SettingsSandbox {
protected:
  ReminderOperations() {
    file = sandbox::makeTempDir(QStringLiteral("ops")) + QStringLiteral("/data.xml");
    auto store = std::make_unique<TXMLStore>();
    store->LoadFromFile(file);
    SetStore(std::move(store));
    InstallStoreLoader();
    for (int i = 0; i < 2; ++i)
      Store().AddNewItem(QString());
    ReloadReminders();
    first = Reminders().At(0);
    second = Reminders().At(1);
  }
  ~ReminderOperations() override {
    Reminders().Clear();
    SetStore(nullptr);
  }

  QString file;
  TDataObject *first = nullptr;
  TDataObject *second = nullptr;
};

} // namespace

TEST_F(ReminderOperations, StickerPositionIsWrittenAndSaved) {
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
