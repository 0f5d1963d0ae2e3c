#include "RuntimeFixture.h"

#include "runtime/ReminderSoundPlayer.h"
#include "tests/support/Sandbox.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <map>

// Firing reminders' sounds through the real player and SDL2_mixer on the dummy audio driver.
namespace runtimetest {
namespace {

// 16-bit mono PCM, a quiet tone of the given length.
QByteArray wav(int milliseconds) {
  const int rate = 22050;
  const int samples = rate * milliseconds / 1000;
  QByteArray pcm(samples * 2, Qt::Uninitialized);
  for (int i = 0; i < samples; ++i)
    qToLittleEndian<qint16>(static_cast<qint16>((i / 25) % 2 ? 4000 : -4000), pcm.data() + 2 * i);
  QByteArray out("RIFF");
  auto u32 = [&](quint32 v) { out.append(reinterpret_cast<const char *>(&v), 4); };
  auto u16 = [&](quint16 v) { out.append(reinterpret_cast<const char *>(&v), 2); };
  u32(36 + static_cast<quint32>(pcm.size()));
  out.append("WAVEfmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.append("data");
  u32(static_cast<quint32>(pcm.size()));
  return out + pcm;
}

class RealSound final : public IReminderOutputFactory {
public:
  std::unique_ptr<IStickerView> CreateSticker(const TReminderLookup &,
                                              const TFiringState &) override {
    return nullptr;
  }
  std::unique_ptr<ITrayIconView> CreateTrayIcon(const TReminderLookup &,
                                                const TFiringState &) override {
    return nullptr;
  }
  std::unique_ptr<ISoundPlayer> CreateSoundPlayer() override {
    return std::make_unique<TReminderSoundPlayer>();
  }
  void RaiseSticker(IStickerView &) override {}
};

using ReminderSound = RuntimeTest;

// Two reminders with the same sound in the same second both play; the repeating one plays again
// at its end; a close stops it without anything that looks like an end.
TEST_F(ReminderSound, SameFileTwiceInOneSecondBothPlayAndOnlyTheRepeatingOneReplays) {
  const QString file = sandbox::root() + QStringLiteral("/chime.wav");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav(150));
  }
  RealSound sound;
  TReminderScheduler real(testModel.model, sound, ui);
  // The master window's part: the completion notices go to the runtime.
  std::map<quint16, int> notices;
  int total = 0;
  masterWindow.onMessage = [&](const RecordingWindow::Message &m) {
    if (m.message != msg::MM_MCINOTIFY)
      return;
    ++notices[static_cast<quint16>(m.lParam & 0xFFFF)];
    ++total;
    if (m.wParam == msg::MCI_NOTIFY_SUCCESSFUL)
      real.HandleSoundNotify(static_cast<quint16>(m.lParam & 0xFFFF));
  };

  TDataObject &looping = list.add(once(at(9, 0)));
  looping.sound.fileName = file;
  looping.sound.repeat = true;
  TDataObject &single = list.add(once(at(9, 0)));
  single.sound.fileName = file;
  clock.set(at(9, 0, 0, 200));
  real.CheckAllReminders();

  const ISoundPlayer *a = real.SoundLookup(looping.Number)();
  const ISoundPlayer *b = real.SoundLookup(single.Number)();
  ASSERT_TRUE(a && b);
  ASSERT_NE(a->DeviceId(), 0);
  ASSERT_NE(b->DeviceId(), 0);
  EXPECT_NE(a->DeviceId(), b->DeviceId());
  EXPECT_EQ(a->GetVolume(), 700);
  const quint16 loopingDevice = a->DeviceId();
  const quint16 singleDevice = b->DeviceId();

  ASSERT_TRUE(QTest::qWaitFor([&] { return notices[loopingDevice] >= 3; }, 10'000));
  EXPECT_EQ(notices[singleDevice], 1);
  EXPECT_TRUE(real.SoundLookup(single.Number)()); // ended, not repeated, kept until the close

  real.CloseReminder(looping.Number, true);
  EXPECT_FALSE(real.SoundLookup(looping.Number)());
  const int afterClose = total;
  QTest::qWait(400);
  EXPECT_EQ(total, afterClose);
}

TEST_F(ReminderSound, AFileThatIsNoSoundLeavesTheFiringSilent) {
  const QString file = sandbox::root() + QStringLiteral("/notes.wav");
  {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("these are words, not sound");
  }
  RealSound sound;
  TReminderScheduler real(testModel.model, sound, ui);
  TDataObject &r = list.add(once(at(9, 0)));
  r.sound.fileName = file;
  clock.set(at(9, 0, 0, 200));
  real.CheckAllReminders();
  EXPECT_TRUE(real.FiringOf(r.Number).firing);
  const TFiring *f = std::as_const(real).Firings().Find(r.Id);
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->sound);
  EXPECT_EQ(f->soundStopTime, clock.now());
}

} // namespace
} // namespace runtimetest
