#include "tests/ui/EditorFixture.h"

#include "imaging/Icon.h"
#include "imaging/IconList.h"
#include "services/SoundEngine.h"
#include "services/SoundPlayer.h"
#include "tests/imaging/IconSamples.h"
#include "tests/services/SoundTestSupport.h"
#include "ui/EditorIconPreview.h"
#include "ui/EditorSoundTest.h"
#include "ui/HubForm.h"
#include "ui/IconLibrary.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

using namespace editortest;
using namespace iconsamples;

namespace {

class EditorOutputs : public EditorFixture {
protected:
  template <class W> W *child(const char *name) const {
    W *w = editor->findChild<W *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void open(const QString &id) {
    editor = std::make_unique<TFormEditReminder>(model.model, ui, id, 0);
    editor->LoadReminder();
  }
  // Which of the editor's pictures the sound test button shows.
  [[nodiscard]] bool showsPicture(int index) const {
    return child<QAction>("TestSound")->icon().pixmap(16, 16).toImage() ==
           iconlibrary::icon(TImageList::Editor, index).pixmap(16, 16).toImage();
  }

  std::unique_ptr<TFormEditReminder> editor;
};

QByteArray icoOf(int size, int bits = 4) { return file(1, {squareEntry(size, bits)}); }

// An animated cursor of three icon frames.
QByteArray aniOf3() {
  return riff(anih(3, 3, 10) + list("fram", chunk("icon", icoOf(16)) + chunk("icon", icoOf(16)) +
                                                chunk("icon", icoOf(16))));
}

} // namespace

TEST_F(EditorOutputs, AnIconFileThatCannotBeReadLeavesTheEditorAsItWas) {
  const QString id = addStored(QStringLiteral("Call Bob"));
  open(id);
  child<QCheckBox>("CheckBoxTrayIconEnable")->setChecked(true);
  const QString twoSizes = soundtest::writeTempFile(
      QStringLiteral("two.ico"), file(1, {squareEntry(16, 4), squareEntry(32, 8)}));
  editor->LoadIconFile(twoSizes);
  EXPECT_TRUE(editor->Modified()); // a new icon alone is a change worth asking about
  const TEditorIconPreview &icon = editor->IconPreview();
  EXPECT_EQ(icon.Icon().images().size(), 2u); // every size is kept for the store
  EXPECT_EQ(child<QLabel>("ImageIco")->pixmap().width(), 16);
  EXPECT_TRUE(icon.Tray().Active());
  EXPECT_FALSE(icon.Tray().Animated());
  // Moving frames on top: the single icon stays beside them.
  editor->LoadIconFile(soundtest::writeTempFile(QStringLiteral("moving.ani"), aniOf3()));
  ASSERT_EQ(icon.Frames().GetCount(), 3);
  const int trayCalls = int(tray->calls.size());

  for (const auto &[name, bytes] : {std::pair{"broken.ico", QByteArray("not an icon")},
                                    std::pair{"broken.ani", riff(anih(3, 3, 10)).left(20)}}) {
    prompts.shown.clear();
    editor->LoadIconFile(soundtest::writeTempFile(QLatin1String(name), bytes));
    ASSERT_EQ(prompts.shown.size(), 1) << name;
    EXPECT_TRUE(prompts.shown[0].startsWith("error: ")) << prompts.shown[0].toStdString();
    EXPECT_EQ(icon.Icon().images().size(), 2u) << name;
    EXPECT_EQ(icon.Frames().GetCount(), 3) << name;
    EXPECT_TRUE(icon.Timer().isActive()) << name;
    EXPECT_TRUE(icon.Tray().Animated()) << name;
    EXPECT_EQ(int(tray->calls.size()), trayCalls) << name;
  }
}

TEST_F(EditorOutputs, AnAniFileGivesAMovingTrayPreviewThatOkStoresAndClearRemoves) {
  const QString id = addStored(QStringLiteral("Call Bob"));
  open(id);
  child<QCheckBox>("CheckBoxTrayIconEnable")->setChecked(true);
  editor->LoadIconFile(soundtest::writeTempFile(QStringLiteral("MOVING.ANI"), aniOf3()));
  TEditorIconPreview &icon = editor->IconPreview();
  ASSERT_EQ(icon.Frames().GetCount(), 3);
  EXPECT_TRUE(icon.Timer().isActive());
  EXPECT_EQ(icon.Timer().interval(), 150);
  EXPECT_TRUE(icon.Tray().Active());
  EXPECT_TRUE(icon.Tray().Animated());
  EXPECT_EQ(icon.Tray().Icons().GetCount(), 3);
  EXPECT_TRUE(tray->shown);
  // The picture on the page steps through the frames and starts again.
  const int first = icon.FrameIndex();
  for (int i = 0; i < 3; ++i)
    icon.Step();
  EXPECT_EQ(icon.FrameIndex(), first);

  ASSERT_TRUE(editor->ActionOkExecute());
  const TIconImages stored = LoadIcon(*FindReminderById(id), true);
  const auto *frames = dynamic_cast<const TIconList *>(stored.icons.get());
  ASSERT_NE(frames, nullptr);
  EXPECT_EQ(frames->GetCount(), 3);
  EXPECT_TRUE(FindReminderById(id)->tray);

  open(id);
  EXPECT_EQ(editor->IconPreview().Frames().GetCount(), 3);
  child<QAction>("ActionClearIco")->trigger();
  EXPECT_EQ(editor->IconPreview().Frames().GetCount(), 0);
  EXPECT_FALSE(editor->IconPreview().Timer().isActive());
  EXPECT_FALSE(child<QCheckBox>("CheckBoxTrayIconEnable")->isChecked());
  EXPECT_FALSE(editor->IconPreview().Tray().Active());
  EXPECT_FALSE(tray->shown);
}

TEST_F(EditorOutputs, TheSoundTestRepeatsUntilStoppedAndIgnoresOtherDevices) {
  soundtest::FakeSoundEngine engine;
  ScopedSoundEngine scopedEngine(engine);
  const QString wav = soundtest::writeTempFile(QStringLiteral("bell.wav"), soundtest::makeWav(50));
  open(NewReminderId);
  child<QLineEdit>("EditSoundFileName")->setText(wav);
  child<QSlider>("TrackBarSoundVolume")->setValue(60);
  child<QCheckBox>("CheckBoxSoundRepeat")->setChecked(true);
  EXPECT_TRUE(showsPicture(0));

  child<QAction>("TestSound")->trigger();
  const TEditorSoundTest &test = editor->SoundTest();
  ASSERT_TRUE(test.Playing());
  EXPECT_TRUE(showsPicture(1));
  const quint16 device = test.Player().DeviceId();
  EXPECT_EQ(engine.devices.at(device).volume, 600);
  EXPECT_EQ(engine.devices.at(device).notify, editor->Hub().handle());

  // Only a successful end of this device counts.
  const WindowHandle editorWindow = editor->Hub().handle();
  (void)hub().post(editorWindow, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_SUCCESSFUL, device + 1);
  (void)hub().post(editorWindow, msg::MM_MCINOTIFY, msg::MCI_NOTIFY_ABORTED, device);
  QCoreApplication::processEvents();
  EXPECT_EQ(engine.calls.back(), "play");
  EXPECT_EQ(engine.calls.size(), 3u); // open, volume, play

  engine.finish(device);
  QCoreApplication::processEvents();
  ASSERT_GE(engine.calls.size(), 2u);
  EXPECT_EQ(engine.calls[engine.calls.size() - 2], "rewind");
  EXPECT_EQ(engine.calls.back(), "play");
  EXPECT_TRUE(engine.devices.at(device).playing);
  EXPECT_TRUE(showsPicture(1));

  child<QCheckBox>("CheckBoxSoundRepeat")->setChecked(false);
  engine.finish(device);
  QCoreApplication::processEvents();
  EXPECT_FALSE(test.Playing());
  EXPECT_TRUE(engine.devices.empty()); // closed
  EXPECT_TRUE(showsPicture(0));
}

// SDL2_mixer with its dummy driver (set for every test process) plays in real time, headless.
TEST_F(EditorOutputs, TheSoundTestPlaysAndRepeatsThroughTheRealEngine) {
  const QString wav = soundtest::writeTempFile(QStringLiteral("tick.wav"), soundtest::makeWav(50));
  open(NewReminderId);
  child<QLineEdit>("EditSoundFileName")->setText(wav);
  child<QCheckBox>("CheckBoxSoundRepeat")->setChecked(true);
  editor->TestSoundExecute();
  ASSERT_TRUE(editor->SoundTest().Playing()) << prompts.shown.join('|').toStdString();
  // Several lengths of the sound later it still plays: every end started it again.
  QTest::qWait(250);
  EXPECT_TRUE(editor->SoundTest().Playing());
  child<QCheckBox>("CheckBoxSoundRepeat")->setChecked(false);
  EXPECT_TRUE(QTest::qWaitFor([this] { return !editor->SoundTest().Playing(); }, 5000));
  EXPECT_TRUE(showsPicture(0));
}

// A missing sound file was taken without a word and Test did nothing; a file the player refuses
// was only found out when the reminder fired. The sound group says why the sound cannot play,
// and Test tells it too.
TEST_F(EditorOutputs, TheSoundGroupAndTestSayWhyTheChosenSoundCannotPlay) {
  open(NewReminderId);
  EXPECT_EQ(editor->SoundProblem(), QString());
  auto *file = child<QLineEdit>("EditSoundFileName");
  const QString noise = soundtest::writeTempFile(QStringLiteral("noise.wav"), "no sound at all");
  const QString missing = QFileInfo(noise).absolutePath() + QStringLiteral("/gone.wav");

  file->setText(missing);
  EXPECT_EQ(editor->SoundProblem(), "The sound file is not found: " + missing);
  editor->TestSoundExecute();
  EXPECT_FALSE(editor->SoundTest().Playing());
  ASSERT_EQ(prompts.shown.size(), 1);
  EXPECT_EQ(prompts.shown[0], "error: The sound file is not found: " + missing);

  file->setText(noise);
  EXPECT_EQ(editor->SoundProblem(), QString()); // typing only looks for the file
  emit file->editingFinished();
  EXPECT_TRUE(
      editor->SoundProblem().startsWith("The sound file can't be played: " + noise + "\r\n"))
      << editor->SoundProblem().toStdString();
  editor->TestSoundExecute();
  EXPECT_FALSE(editor->SoundTest().Playing());
  ASSERT_EQ(prompts.shown.size(), 2);
  EXPECT_TRUE(prompts.shown[1].startsWith("error: ")) << prompts.shown[1].toStdString();

  const QString wav = soundtest::writeTempFile(QStringLiteral("bell.wav"), soundtest::makeWav(50));
  file->setText(wav);
  emit file->editingFinished();
  EXPECT_EQ(editor->SoundProblem(), QString());

  file->clear();
  EXPECT_EQ(editor->SoundProblem(), QString());
  child<QCheckBox>("CheckBoxSoundEnable")->setChecked(true);
  EXPECT_EQ(editor->SoundProblem(), "No sound file is chosen.");
}
