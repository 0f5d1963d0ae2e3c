// The player's state machine, over an engine that plays nothing.
#include "services/SoundPlayer.h"

#include "platform/Errors.h"
#include "tests/services/SoundTestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

using soundtest::FakeSoundEngine;
using soundtest::NoticeRecorder;

namespace {

const QString kNoDevice = QStringLiteral("Can not open audio device!");

template <typename F> QString errorOf(F &&f) {
  try {
    f();
  } catch (const EMCIDeviceError &e) {
    return e.message();
  }
  return QStringLiteral("<no error>");
}

class SoundPlayerTest : public ::testing::Test {
protected:
  FakeSoundEngine engine;
  ScopedSoundEngine scoped{engine};
};

} // namespace

TEST_F(SoundPlayerTest, EverythingButOpenAndCloseNeedsAnOpenDevice) {
  TSoundPlayer p;
  EXPECT_FALSE(p.Opened());
  EXPECT_EQ(p.DeviceId(), 0);
  EXPECT_EQ(p.LastError(), 0);
  EXPECT_EQ(errorOf([&] { p.Play(); }), kNoDevice);
  EXPECT_EQ(errorOf([&] { p.Stop(); }), kNoDevice);
  EXPECT_EQ(errorOf([&] { p.Rewind(); }), kNoDevice);
  EXPECT_EQ(errorOf([&] { p.SetVolume(10); }), kNoDevice);
  EXPECT_EQ(errorOf([&] { (void)p.GetVolume(); }), kNoDevice);
  p.Close(); // nothing open: nothing to do
  EXPECT_TRUE(engine.calls.empty());
}

TEST_F(SoundPlayerTest, PlayFileOpensSetsTheVolumeAndPlaysInThatOrder) {
  NoticeRecorder window;
  TSoundPlayer p;
  p.PlayFile(QStringLiteral("/sounds/bell.wav"), 700, window.handle);
  EXPECT_TRUE(p.Opened());
  EXPECT_NE(p.DeviceId(), 0);
  EXPECT_EQ(p.FileName(), QStringLiteral("/sounds/bell.wav"));
  EXPECT_EQ(engine.calls,
            (std::vector<QString>{QStringLiteral("open"), QStringLiteral("volume 700"),
                                  QStringLiteral("play")}));
  const auto &device = engine.devices.at(p.DeviceId());
  EXPECT_EQ(device.file, QStringLiteral("/sounds/bell.wav"));
  EXPECT_EQ(device.notify, window.handle);
  EXPECT_EQ(p.GetVolume(), 700);
  EXPECT_EQ(p.SetVolume(500), 0);
  EXPECT_EQ(p.GetVolume(), 500);
}

TEST_F(SoundPlayerTest, AFailedOpenRaisesTheEnginesTextAndSendsNothingElse) {
  engine.openResult = {soundError::CannotLoad, QStringLiteral("Unrecognized audio format")};
  TSoundPlayer p;
  EXPECT_EQ(errorOf([&] { p.PlayFile(QStringLiteral("x.wav"), 1000); }),
            QStringLiteral("Unrecognized audio format"));
  EXPECT_FALSE(p.Opened());
  EXPECT_EQ(p.DeviceId(), 0);
  EXPECT_EQ(p.LastError(), soundError::CannotLoad);
  EXPECT_EQ(p.GetErrorText(), QStringLiteral("Unrecognized audio format"));
  EXPECT_EQ(engine.calls, std::vector<QString>{QStringLiteral("open")});

  // An engine with no words for its failure.
  engine.openResult = {soundError::CannotLoad, {}};
  EXPECT_EQ(errorOf([&] { p.Open(); }), QStringLiteral("Unknown error code"));
}

TEST_F(SoundPlayerTest, APlayThatFailsClosesThePlayerAndRaises) {
  engine.playResult = {soundError::CannotPlay, QStringLiteral("No free channels available")};
  TSoundPlayer p;
  EXPECT_EQ(errorOf([&] { p.PlayFile(QStringLiteral("x.wav"), 1000); }),
            QStringLiteral("No free channels available"));
  EXPECT_FALSE(p.Opened());
  EXPECT_EQ(p.LastError(), soundError::CannotPlay);
  EXPECT_TRUE(engine.devices.empty());
  // Play on its own reports through its result.
  engine.playResult = {};
  p.Open();
  engine.playResult = {soundError::CannotPlay, QStringLiteral("busy")};
  EXPECT_EQ(p.Play(), soundError::CannotPlay);
  EXPECT_TRUE(p.Opened());
  EXPECT_EQ(p.GetErrorText(), QStringLiteral("busy"));
}

TEST_F(SoundPlayerTest, AFailedCloseLeavesThePlayerOpenAndTheDestructorCloses) {
  {
    TSoundPlayer p;
    p.SetFileName(QStringLiteral("a.wav"));
    p.Open();
    const quint16 id = p.DeviceId();
    engine.closeResult = {soundError::NotOpen, QStringLiteral("device busy")};
    p.Close();
    EXPECT_TRUE(p.Opened());
    EXPECT_EQ(p.DeviceId(), id);
    EXPECT_EQ(p.LastError(), soundError::NotOpen);
    EXPECT_EQ(errorOf([&] { p.Open(); }), QStringLiteral("device busy")); // would lose it
    EXPECT_EQ(p.DeviceId(), id);
    engine.closeResult = {};
    p.Close();
    EXPECT_FALSE(p.Opened());
    EXPECT_EQ(p.LastError(), 0);
    EXPECT_EQ(p.GetErrorText(), QString());
    p.Open();
    EXPECT_EQ(engine.devices.size(), 1u);
  }
  EXPECT_TRUE(engine.devices.empty());
  EXPECT_EQ(engine.calls.back(), QStringLiteral("close"));
}

TEST_F(SoundPlayerTest, OpeningAgainClosesTheOldDeviceFirst) {
  TSoundPlayer p;
  p.SetFileName(QStringLiteral("a.wav"));
  p.Open();
  const quint16 first = p.DeviceId();
  p.SetFileName(QStringLiteral("b.wav"));
  p.Open();
  EXPECT_NE(p.DeviceId(), first);
  ASSERT_EQ(engine.devices.size(), 1u);
  EXPECT_EQ(engine.devices.begin()->second.file, QStringLiteral("b.wav"));
}

TEST_F(SoundPlayerTest, DeviceIdsAreNotReusedWhileOpenOrSoonAfter) {
  TSoundPlayer held;
  held.Open();
  const quint16 heldId = held.DeviceId();
  TSoundPlayer p;
  quint16 previous = 0;
  // More than the whole 16-bit range, so the numbers wrap round at least once.
  for (int i = 0; i < 70'000; ++i) {
    p.Open();
    const quint16 id = p.DeviceId();
    ASSERT_NE(id, 0);
    ASSERT_NE(id, heldId);
    ASSERT_NE(id, previous);
    previous = id;
    p.Close();
  }
  EXPECT_EQ(held.DeviceId(), heldId);
}

TEST_F(SoundPlayerTest, TheNoticeCarriesTheDeviceIdAndMissesDeletedWindows) {
  auto window = std::make_unique<NoticeRecorder>();
  TSoundPlayer p;
  p.PlayFile(QStringLiteral("a.wav"), 1000, window->handle);
  engine.finish(p.DeviceId());
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(window->got.size(), 1u);
  EXPECT_EQ(window->got[0].code, msg::MCI_NOTIFY_SUCCESSFUL);
  EXPECT_EQ(window->got[0].device, p.DeviceId());

  // The window goes while its sound plays.
  EXPECT_EQ(p.Rewind(), 0);
  EXPECT_EQ(p.Play(window->handle), 0);
  window.reset();
  engine.finish(p.DeviceId());
  EXPECT_NO_FATAL_FAILURE(QCoreApplication::sendPostedEvents());
}
