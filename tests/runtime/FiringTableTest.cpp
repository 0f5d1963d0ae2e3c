#include "runtime/FiringTable.h"

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

TFiring &withOutputs(TFiringTable &table, const QString &id, Journal &j) {
  TFiring &f = table.Get(id);
  f.state.firing = true;
  f.trayIcon = std::make_unique<FakeTrayIcon>(j);
  f.sticker = std::make_unique<FakeSticker>(j);
  f.sound = std::make_unique<FakeSound>(j);
  return f;
}

const std::vector<std::string> inOrder = {"tray deactivated", "tray freed", "sticker closed",
                                          "sticker freed", "sound freed"};

} // namespace

TEST(FiringTable, AReminderWithoutAnEntryHasTheIdleState) {
  TFiringTable table;
  EXPECT_EQ(table.Find(QStringLiteral("A")), nullptr);
  EXPECT_FALSE(table.StateOf(QStringLiteral("A")).firing);
  EXPECT_EQ(table.StateOf(QStringLiteral("A")).fireTime, TDateTime());
  table.Get(QStringLiteral("A")).state.fireTime = TDateTime(5);
  EXPECT_EQ(&table.Get(QStringLiteral("A")), table.Find(QStringLiteral("A")));
  EXPECT_EQ(table.StateOf(QStringLiteral("A")).fireTime, TDateTime(5));
  EXPECT_FALSE(table.StateOf(QStringLiteral("a")).fireTime.isSet()) << "ids compare exactly";
  EXPECT_EQ(table.Count(), 1);
}

TEST(FiringTable, OutputsAreReleasedTrayIconThenStickerThenSound) {
  Journal j;
  TFiringTable table;
  withOutputs(table, QStringLiteral("A"), j);
  table.ReleaseOutputs(QStringLiteral("A"));
  EXPECT_EQ(j.events, inOrder);
  EXPECT_TRUE(table.StateOf(QStringLiteral("A")).firing) << "the state is not the outputs'";

  // Left to the table's end, they go in the same order, without the sticker's close.
  Journal k;
  {
    TFiringTable ending;
    withOutputs(ending, QStringLiteral("B"), k);
  }
  EXPECT_EQ(k.events, (std::vector<std::string>{"tray freed", "sticker freed", "sound freed"}));
}

TEST(FiringTable, EachReleaseClearsItsOutputAndStopSoundNotesBothClocks) {
  ManualClock clock;
  clock.set(2024, 3, 5, 10, 0, 0, 250);
  clock.setTickCount(7'000);
  ScopedClock scope(clock);
  Journal j;
  TFiringTable table;
  const QString id = QStringLiteral("A");
  TFiring &f = withOutputs(table, id, j);

  table.CloseSticker(id);
  EXPECT_FALSE(f.sticker);
  EXPECT_TRUE(f.trayIcon && f.sound);
  table.HideTrayIcon(id);
  EXPECT_FALSE(f.trayIcon);
  EXPECT_EQ(f.soundStopTime, TDateTime());
  table.StopSound(id);
  EXPECT_FALSE(f.sound);
  EXPECT_EQ(f.soundStopTime, EncodeDateTime(2024, 3, 5, 10, 0, 0, 250));
  EXPECT_EQ(f.soundStopTick, 7'000u);

  // Without a player, nothing is released and the stop stays as it was.
  clock.advanceMs(5000);
  table.StopSound(id);
  table.StopSound(QStringLiteral("unknown"));
  EXPECT_EQ(f.soundStopTime, EncodeDateTime(2024, 3, 5, 10, 0, 0, 250));
  EXPECT_EQ(j.events.size(), 5u);
}

TEST(FiringTable, AnOutputThatCallsBackWhileClosingFindsItsEntryWithoutIt) {
  // A closing window may run code that closes the firing's sticker again; that must neither see
  // the window still in place nor release it twice.
  struct Reentrant final : IStickerView {
    TFiringTable *table = nullptr;
    int *closes = nullptr;
    bool *sawItself = nullptr;
    void close() override {
      ++*closes;
      *sawItself = table->Find(QStringLiteral("A"))->sticker != nullptr;
      table->CloseSticker(QStringLiteral("A"));
    }
  };
  int closes = 0;
  bool sawItself = true;
  TFiringTable table;
  auto sticker = std::make_unique<Reentrant>();
  sticker->table = &table;
  sticker->closes = &closes;
  sticker->sawItself = &sawItself;
  table.Get(QStringLiteral("A")).sticker = std::move(sticker);
  table.CloseSticker(QStringLiteral("A"));
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(sawItself);
  EXPECT_FALSE(table.Find(QStringLiteral("A"))->sticker);
}

TEST(FiringTable, DroppingAnUnknownIdReleasesItsOutputsFirstAndKeepsTheOthers) {
  Journal gone;
  Journal kept;
  TFiringTable table;
  withOutputs(table, QStringLiteral("gone"), gone);
  withOutputs(table, QStringLiteral("kept"), kept);
  EXPECT_EQ(table.DropUnknown([](const QString &id) { return id == QStringLiteral("kept"); }), 1);
  EXPECT_EQ(gone.events, inOrder);
  EXPECT_TRUE(kept.events.empty());
  EXPECT_EQ(table.Find(QStringLiteral("gone")), nullptr);
  EXPECT_EQ(table.Ids(), QStringList{QStringLiteral("kept")});

  table.ReleaseAllOutputs();
  EXPECT_EQ(kept.events, inOrder);
  EXPECT_EQ(table.Count(), 1);
}
