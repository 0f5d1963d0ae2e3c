#include "model/DataObject.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Fake outputs that write what happens to them into one shared journal.
struct Journal {
  std::vector<std::string> events;
};

class FakeTrayIcon final : public ITrayIconView {
public:
  explicit FakeTrayIcon(Journal &j) : m_j(j) {}
  ~FakeTrayIcon() override { m_j.events.push_back("tray freed"); }
  void deactivate() override { m_j.events.push_back("tray deactivated"); }

private:
  Journal &m_j;
};

class FakeSticker final : public IStickerView {
public:
  explicit FakeSticker(Journal &j) : m_j(j) {}
  ~FakeSticker() override { m_j.events.push_back("sticker freed"); }
  void close() override { m_j.events.push_back("sticker closed"); }

private:
  Journal &m_j;
};

class FakeSound final : public ISoundPlayer {
public:
  explicit FakeSound(Journal &j) : m_j(j) {}
  ~FakeSound() override { m_j.events.push_back("sound freed"); }
  void PlayFile(const QString &, int, WindowHandle) override {}
  int Rewind() override { return 0; }
  int Play(WindowHandle) override { return 0; }
  int SetVolume(int) override { return 0; }
  [[nodiscard]] int GetVolume() const override { return 0; }
  [[nodiscard]] quint16 DeviceId() const override { return 0; }

private:
  Journal &m_j;
};

void giveOutputs(TDataObject &r, Journal &j) {
  r.TrayIcon = std::make_unique<FakeTrayIcon>(j);
  r.Sticker = std::make_unique<FakeSticker>(j);
  r.SoundPlayer = std::make_unique<FakeSound>(j);
}

} // namespace

TEST(DataObject, RunTimeNumbersCountUpAndAreNeverReused) {
  auto a = TDataObject::CreateEmpty(QStringLiteral("a"));
  const int32_t first = a->Number;
  EXPECT_GT(first, 0);
  a.reset();
  auto b = TDataObject::CreateEmpty(QStringLiteral("a"));
  auto c = TDataObject::Create(NewReminderId);
  EXPECT_EQ(b->Number, first + 1);
  EXPECT_EQ(c->Number, first + 2);
}

TEST(DataObject, CreateEmptyHoldsOnlyItsIdAndNumber) {
  const TDataObject r(QStringLiteral("x"));
  EXPECT_EQ(r.Id, QStringLiteral("x"));
  EXPECT_FALSE(r.Firing || r.enable || r.default_ || r.tray || r.FiredInDemo ||
               r.SoundStoppedByUser);
  EXPECT_EQ(r.FireTime, TDateTime());
  EXPECT_EQ(r.lastCloseByUserDt, TDateTime());
  EXPECT_EQ(r.repeat.type, TRepeatType::Once);
  EXPECT_EQ(r.repeat.value1.value, 0);
  EXPECT_TRUE(r.subject.isEmpty() && r.text.isEmpty() && r.parentId.isEmpty());
  EXPECT_EQ(r.shellExec.flag, TShowFlag{0});
  EXPECT_FALSE(r.TrayIcon || r.Sticker || r.SoundPlayer);
}

TEST(DataObject, CreateFillsTheObjectThroughTheInstalledLoader) {
  SetDataObjectLoader([](TDataObject &r) {
    r.subject = QStringLiteral("loaded ") + r.Id;
    r.enable = true;
  });
  auto r = TDataObject::Create(QStringLiteral("ABC"));
  SetDataObjectLoader(nullptr);
  EXPECT_EQ(r->subject, QStringLiteral("loaded ABC"));
  EXPECT_TRUE(r->enable);
  EXPECT_TRUE(TDataObject::Create(QStringLiteral("ABC"))->subject.isEmpty());
}

TEST(DataObject, DestructionReleasesTrayIconThenStickerThenSound) {
  Journal j;
  {
    TDataObject r(QStringLiteral("x"));
    r.Firing = true;
    giveOutputs(r, j);
  }
  const std::vector<std::string> expected = {"tray deactivated", "tray freed", "sticker closed",
                                             "sticker freed", "sound freed"};
  EXPECT_EQ(j.events, expected);
}

TEST(DataObject, EachReleaseClearsItsFieldAndStopSoundRecordsTheTime) {
  ManualClock clock;
  clock.set(2024, 3, 5, 10, 0, 0, 250);
  ScopedClock scope(clock);
  Journal j;
  TDataObject r(QStringLiteral("x"));
  giveOutputs(r, j);

  r.CloseSticker();
  EXPECT_FALSE(r.Sticker);
  EXPECT_TRUE(r.TrayIcon && r.SoundPlayer);
  r.HideTrayIcon();
  EXPECT_FALSE(r.TrayIcon);
  EXPECT_EQ(r.SoundStopTime, TDateTime());
  r.StopSound();
  EXPECT_FALSE(r.SoundPlayer);
  EXPECT_EQ(r.SoundStopTime, EncodeDateTime(2024, 3, 5, 10, 0, 0, 250));

  // Without a player, nothing is released and the stop time stays.
  clock.advanceMs(5000);
  r.StopSound();
  EXPECT_EQ(r.SoundStopTime, EncodeDateTime(2024, 3, 5, 10, 0, 0, 250));
  EXPECT_EQ(j.events.size(), 5u);
}

TEST(DataObject, AnOutputThatCallsBackWhileClosingFindsItsFieldEmpty) {
  // A closing window may run code that closes the reminder's sticker again; that must neither
  // see the window still installed nor release it twice.
  struct Reentrant final : IStickerView {
    TDataObject *owner = nullptr;
    int *closes = nullptr;
    bool *sawItself = nullptr;
    void close() override {
      ++*closes;
      *sawItself = owner->Sticker != nullptr;
      owner->CloseSticker();
    }
  };
  int closes = 0;
  bool sawItself = true;
  TDataObject r(QStringLiteral("x"));
  auto sticker = std::make_unique<Reentrant>();
  sticker->owner = &r;
  sticker->closes = &closes;
  sticker->sawItself = &sawItself;
  r.Sticker = std::move(sticker);
  r.CloseSticker();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(sawItself);
  EXPECT_FALSE(r.Sticker);
}

TEST(DataObject, DisablingDropsTheRemindAgainWindowEnablingLeavesIt) {
  TDataObject r(QStringLiteral("x"));
  r.remindAfter.enable = true;
  r.SetEnabled(true);
  EXPECT_TRUE(r.enable);
  EXPECT_TRUE(r.remindAfter.enable);
  r.SetEnabled(false);
  EXPECT_FALSE(r.enable);
  EXPECT_FALSE(r.remindAfter.enable);
  r.SetEnabled(true);
  EXPECT_FALSE(r.remindAfter.enable);
}

TEST(DataObject, StoredCodesOutsideTheirListsKeepTheirValueAndHaveNoName) {
  TDataObject r(QStringLiteral("x"));
  r.repeat.type = static_cast<TRepeatType>(300);
  EXPECT_EQ(static_cast<int>(r.repeat.type), 300);
  EXPECT_EQ(CodeName(RepeatTypeNames, r.repeat.type), QString());
  EXPECT_EQ(CodeName(RepeatTypeNames, TRepeatType::Annually), QStringLiteral("Annually"));
  EXPECT_EQ(CodeName(MeasureNames, static_cast<TMeasure>(-1)), QString());
  EXPECT_EQ(CodeName(StopBoundNames, TStopBoundType::UntilYearEnd),
            QStringLiteral("until year end"));
  EXPECT_EQ(CodeName(StartBoundNames, TStartBoundType::AfterWindowsStart),
            QStringLiteral("after windows start"));
}
