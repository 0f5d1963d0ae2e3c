// The player over the real SDL2_mixer, on SDL's dummy audio driver, which consumes sound in real
// time without a sound card. Each wait is bounded and ends as soon as the notice arrives.
#include "services/SdlSoundEngine.h"
#include "services/SoundPlayer.h"

#include "platform/Errors.h"
#include "tests/services/SoundTestSupport.h"
#include "tests/support/Sandbox.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

using soundtest::NoticeRecorder;

namespace {

class SdlSoundTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    shortClip =
        new QString(soundtest::writeTempFile(QStringLiteral("short.wav"), soundtest::makeWav(150)));
    longClip =
        new QString(soundtest::writeTempFile(QStringLiteral("long.wav"), soundtest::makeWav(2000)));
  }
  static void TearDownTestSuite() {
    delete shortClip;
    delete longClip;
  }

  static QString *shortClip;
  static QString *longClip;
  TSdlSoundEngine engine;
  ScopedSoundEngine scoped{engine};
};

QString *SdlSoundTest::shortClip = nullptr;
QString *SdlSoundTest::longClip = nullptr;

} // namespace

TEST_F(SdlSoundTest, PlaysOnTheDummyDriverAndNotifiesOnTheGuiThread) {
  NoticeRecorder window;
  TSoundPlayer p;
  p.PlayFile(*shortClip, 1000, window.handle);
  EXPECT_EQ(engine.driverName(), QStringLiteral("dummy"));
  ASSERT_TRUE(window.waitFor(1));
  EXPECT_EQ(window.got[0].code, msg::MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(window.got[0].device, p.DeviceId());
  EXPECT_EQ(window.got[0].thread, QCoreApplication::instance()->thread());

  // Repeat the way the callers do: rewind and play on the notice. A second notice from the first
  // playing would have arrived long before this one.
  EXPECT_EQ(p.Rewind(), 0);
  EXPECT_EQ(p.Play(window.handle), 0);
  ASSERT_TRUE(window.waitFor(2));
  EXPECT_EQ(window.got.size(), 2u);
  EXPECT_EQ(window.got[1].device, p.DeviceId());

  // Played to its end and not rewound, there is nothing left: the notice comes at once.
  EXPECT_EQ(p.Play(window.handle), 0);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(window.got.size(), 3u);

  p.Close();
  EXPECT_TRUE(engine.driverName().isEmpty()); // the device is let go with the last sound
}

TEST_F(SdlSoundTest, StopRewindAndCloseNeverLookLikeANaturalEnd) {
  NoticeRecorder window;
  TSoundPlayer stopped, rewound, closed, marker;
  stopped.PlayFile(*longClip, 1000, window.handle);
  rewound.PlayFile(*longClip, 1000, window.handle);
  closed.PlayFile(*longClip, 1000, window.handle);
  const quint16 closedId = closed.DeviceId();
  EXPECT_EQ(stopped.Stop(), 0);
  EXPECT_EQ(rewound.Rewind(), 0);
  closed.Close();
  // A short clip started after them ends before any of the long ones could have.
  marker.PlayFile(*shortClip, 1000, window.handle);
  ASSERT_TRUE(window.waitFor(1));
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(window.got.size(), 1u);
  EXPECT_EQ(window.got[0].device, marker.DeviceId());
  EXPECT_EQ(window.countFor(stopped.DeviceId()) + window.countFor(rewound.DeviceId()) +
                window.countFor(closedId),
            0u);

  // A stopped sound plays again from its start, and then reports its end.
  marker.Close();
  stopped.Close();
  rewound.Close();
  TSoundPlayer again;
  again.PlayFile(*shortClip, 1000, window.handle);
  EXPECT_EQ(again.Stop(), 0);
  EXPECT_EQ(again.Play(window.handle), 0);
  ASSERT_TRUE(window.waitFor(2));
  EXPECT_EQ(window.got[1].device, again.DeviceId());
}

TEST_F(SdlSoundTest, ManyPlayersOnOneFileAllPlayAndNotify) {
  // More than the mixer's first set of channels, all on the same file in the same instant.
  constexpr int kPlayers = 12;
  NoticeRecorder window;
  std::vector<std::unique_ptr<TSoundPlayer>> players;
  for (int i = 0; i < kPlayers; ++i) {
    players.push_back(std::make_unique<TSoundPlayer>());
    players.back()->PlayFile(*shortClip, 500, window.handle);
  }
  ASSERT_TRUE(window.waitFor(kPlayers));
  for (const auto &p : players)
    EXPECT_EQ(window.countFor(p->DeviceId()), 1u);
}

TEST_F(SdlSoundTest, VolumeIsReadBackAsSetAndKeptInRange) {
  TSoundPlayer p;
  p.SetFileName(*shortClip);
  p.Open();
  EXPECT_EQ(p.GetVolume(), 1000);
  EXPECT_EQ(p.SetVolume(500), 0);
  EXPECT_EQ(p.GetVolume(), 500);
  EXPECT_EQ(p.SetVolume(1500), 0);
  EXPECT_EQ(p.GetVolume(), 1000);
  EXPECT_EQ(p.SetVolume(-3), 0);
  EXPECT_EQ(p.GetVolume(), 0);
}

TEST_F(SdlSoundTest, FilesThatAreNotSoundRaiseWithTheDecodersText) {
  const QString fake =
      soundtest::writeTempFile(QStringLiteral("notes.wav"), "just some text, not a sound\n");
  TSoundPlayer p;
  try {
    p.PlayFile(fake, 1000);
    FAIL() << "a text file played";
  } catch (const EMCIDeviceError &e) {
    EXPECT_FALSE(e.message().isEmpty());
    EXPECT_EQ(e.message(), p.GetErrorText());
  }
  EXPECT_FALSE(p.Opened());
  EXPECT_EQ(p.LastError(), soundError::CannotLoad);
  EXPECT_THROW(p.PlayFile(QStringLiteral("/no/such/file.wav"), 1000), EMCIDeviceError);
  EXPECT_TRUE(engine.driverName().isEmpty());
}

TEST_F(SdlSoundTest, NoAudioDriverGivesTheDeviceError) {
  const QByteArray saved = qgetenv("SDL_AUDIODRIVER");
  qputenv("SDL_AUDIODRIVER", "nonexistent");
  TSoundPlayer p;
  QString message;
  try {
    p.PlayFile(*shortClip, 1000);
  } catch (const EMCIDeviceError &e) {
    message = e.message();
  }
  qputenv("SDL_AUDIODRIVER", saved);
  EXPECT_EQ(message, QStringLiteral("Can not open audio device!"));
  EXPECT_FALSE(p.Opened());
  // The next try finds the device again.
  p.PlayFile(*shortClip, 1000);
  EXPECT_TRUE(p.Opened());
}

TEST_F(SdlSoundTest, OnlyOneEngineHoldsTheMixer) {
  TSoundPlayer p;
  p.SetFileName(*shortClip);
  p.Open();
  TSdlSoundEngine second;
  const TSoundResult r = second.open(42, *shortClip);
  EXPECT_EQ(r.code, soundError::NoDevice);
  EXPECT_EQ(r.text, QStringLiteral("Can not open audio device!"));
  EXPECT_EQ(p.SetVolume(300), 0); // the first one is unharmed
  EXPECT_EQ(p.GetVolume(), 300);
}

// SDL's disk driver writes what the mixer puts out into a file, so the volume can be heard.
TEST_F(SdlSoundTest, TheVolumeReachesTheOutput) {
  const QString folder = sandbox::makeTempDir(QStringLiteral("disk-audio"));
  const QByteArray savedDriver = qgetenv("SDL_AUDIODRIVER");
  qputenv("SDL_AUDIODRIVER", "disk");
  auto outputAt = [&](int volume) {
    const QString out = folder + QStringLiteral("/out%1.raw").arg(volume);
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(out));
    NoticeRecorder window;
    {
      TSoundPlayer p;
      p.PlayFile(*shortClip, volume, window.handle);
      EXPECT_EQ(engine.driverName(), QStringLiteral("disk"));
      EXPECT_TRUE(window.waitFor(1));
    } // closing the last sound closes the device and its file
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  const QByteArray silent = outputAt(0);
  const QByteArray loud = outputAt(1000);
  qputenv("SDL_AUDIODRIVER", savedDriver);
  qunsetenv("SDL_DISKAUDIOFILE");
  ASSERT_FALSE(silent.isEmpty());
  ASSERT_FALSE(loud.isEmpty());
  EXPECT_EQ(silent.count('\0'), silent.size());
  EXPECT_LT(loud.count('\0'), loud.size());
}
