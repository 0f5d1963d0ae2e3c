#include "model/ReminderOperations.h"

#include "SettingsSandbox.h"
#include "model/DataObjectStore.h"
#include "model/ReminderList.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"

#include <QFileInfo>

namespace {

struct SoundLog {
  int rewinds = 0;
  std::vector<WindowHandle> plays;
  int destroyed = 0;
};

class FakeSound final : public ISoundPlayer, public IRepeatableSound {
public:
  FakeSound(quint16 device, SoundLog &log) : m_device(device), m_log(log) {}
  ~FakeSound() override { ++m_log.destroyed; }
  quint16 DeviceId() const override { return m_device; }
  void Rewind() override { ++m_log.rewinds; }
  void Play(WindowHandle notifyWindow) override { m_log.plays.push_back(notifyWindow); }

private:
  quint16 m_device;
  SoundLog &m_log;
};

// A player that does not offer repeating: the notice passes it by.
class PlainSound final : public ISoundPlayer {};

class ReminderOperations : public SettingsSandbox {
protected:
  ReminderOperations() {
    file = sandbox::makeTempDir(QStringLiteral("ops")) + QStringLiteral("/data.xml");
    Store().LoadFromFile(file);
    for (int i = 0; i < 2; ++i)
      Store().AddNewItem(QString());
    ReloadReminders();
    first = Reminders().At(0);
    second = Reminders().At(1);
  }
  // The reminders' players write into the logs below, which go before the model does.
  ~ReminderOperations() override { Reminders().Clear(); }

  QString file;
  // Outlive the reminders, whose players write into them until the fixture clears the list.
  SoundLog a;
  SoundLog log;
  TDataObject *first = nullptr;
  TDataObject *second = nullptr;
  ManualClock clock{EncodeDateTime(2024, 3, 5, 10, 0, 0, 0)};
  ScopedClock clockScope{clock};
};

} // namespace

TEST_F(ReminderOperations, ARepeatingSoundPlaysAgainWithItsNotifyWindow) {
  first->SoundPlayer = std::make_unique<PlainSound>();
  second->SoundPlayer = std::make_unique<FakeSound>(7, a);
  second->sound.repeat = true;
  HandleSoundNotify(7, true, 42);
  EXPECT_EQ(a.rewinds, 1);
  EXPECT_EQ(a.plays, std::vector<WindowHandle>{42});
  EXPECT_EQ(a.destroyed, 0);

  HandleSoundNotify(8, true, 42); // no player on that device
  HandleSoundNotify(8, false, 42);
  EXPECT_EQ(a.plays.size(), 1u);
  EXPECT_NE(second->SoundPlayer, nullptr);
}

TEST_F(ReminderOperations, ASoundWithoutRepeatKeepsItsPlayer) {
  second->SoundPlayer = std::make_unique<FakeSound>(3, log);
  second->sound.repeat = false;
  HandleSoundNotify(3, true, 42);
  EXPECT_EQ(log.rewinds, 0);
  EXPECT_TRUE(log.plays.empty());
  EXPECT_NE(second->SoundPlayer, nullptr);
}

TEST_F(ReminderOperations, AFailedDeviceStopsTheSound) {
  first->SoundPlayer = std::make_unique<FakeSound>(5, log);
  first->sound.repeat = true;
  clock.advanceMs(1234);
  HandleSoundNotify(5, false, 42);
  EXPECT_EQ(first->SoundPlayer, nullptr);
  EXPECT_EQ(log.destroyed, 1);
  EXPECT_TRUE(log.plays.empty());
  EXPECT_EQ(first->SoundStopTime, clock.now());
}

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

TEST_F(ReminderOperations, AWriteBatchWritesTheFileOnceAtItsEnd) {
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
