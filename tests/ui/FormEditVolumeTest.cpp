#include "ui/FormEditVolume.h"

#include "runtime/ReminderOutputs.h"
#include "tests/support/TestModel.h"

#include <QSlider>

#include <gtest/gtest.h>

namespace {

// A playing sound that records every volume set; the record outlives the player.
class FakeSound final : public ISoundPlayer {
public:
  FakeSound(int volume, std::vector<int> &sets) : m_volume(volume), m_sets(sets) {}
  void PlayFile(const QString &, int, WindowHandle) override {}
  int Rewind() override { return 0; }
  int Play(WindowHandle) override { return 0; }
  int SetVolume(int volume) override {
    m_sets.push_back(m_volume = volume);
    return 0;
  }
  [[nodiscard]] int GetVolume() const override { return m_volume; }
  [[nodiscard]] quint16 DeviceId() const override { return 1; }

private:
  int m_volume;
  std::vector<int> &m_sets;
};

// The dialog holds the runtime's lookup of the sound, never the player: each move asks again.
TEST(FormEditVolume, TheBarShowsTheVolumeAndEachMoveSetsItWhileTheSoundLasts) {
  std::vector<int> sets;
  auto playing = std::make_unique<FakeSound>(700, sets);
  int lookups = 0;
  const TSoundLookup sound = [&]() -> ISoundPlayer * {
    ++lookups;
    return playing.get();
  };

  TestModel test;
  TFormEditVolume form(test.model);
  ASSERT_TRUE(form.Prepare(QPoint(10, 10), sound));
  auto *bar = form.findChild<QSlider *>(QStringLiteral("TrackBarSoundVolume"));
  EXPECT_EQ(bar->value(), 30); // the top is the loudest
  EXPECT_TRUE(sets.empty());   // putting the bar in place sets nothing
  EXPECT_EQ(form.width(), 58);

  bar->setValue(10);
  EXPECT_EQ(sets, std::vector<int>{900});
  EXPECT_EQ(lookups, 2);

  playing.reset(); // the sound ends while the dialog is open
  bar->setValue(50);
  EXPECT_EQ(sets.size(), 1u);
  TFormEditVolume silent(test.model);
  EXPECT_FALSE(silent.Prepare(QPoint(10, 10), sound));
  EXPECT_FALSE(silent.Prepare(QPoint(10, 10), TSoundLookup()));
}

// It opens at the pointer, over the sticker whose menu asked for it; that sticker may be kept above
// other windows.
TEST(FormEditVolume, TheDialogIsKeptAboveTheStickerItOpensOver) {
  TestModel test;
  TFormEditVolume form(test.model);
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

} // namespace
