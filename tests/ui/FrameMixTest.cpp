#include "ui/FrameMix.h"

#include "model/DataObjectStore.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "model/StartUpEntry.h"
#include "tests/model/RecordingListener.h"
#include "tests/model/SettingsSandbox.h"
#include "tests/ui/FakePrompts.h"
#include "tests/ui/RecordingWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace keys = settings_keys;

namespace {

// The master as far as the page needs it: it records the messages.
struct FakeMaster : RecordingWindow {
  FakeMaster() { setObjectName(QLatin1String(MasterWindowName)); }
  int count(uint message) const {
    return int(std::count_if(received.begin(), received.end(),
                             [message](const Received &r) { return r.message == message; }));
  }
};

class FrameMixTest : public SettingsSandbox {
protected:
  template <class T> T *child(const char *name) { return frame.findChild<T *>(name); }
  QLineEdit *edit(const char *name) { return child<QLineEdit>(name); }
  QCheckBox *box(const char *name) { return child<QCheckBox>(name); }

  // A reminder written into the store's document only, as a toggle or a firing leaves it.
  static void addUnsaved(const QString &subject) {
    auto reminder = TDataObject::Create(NewReminderId);
    reminder->subject = subject;
    AssignNewId(*reminder);
    SaveToStore(*reminder, true);
  }
  static QStringList subjects() {
    QStringList out;
    for (int i = 0; i < Reminders().Count(); ++i)
      out << Reminders().At(i)->subject;
    out.sort();
    return out;
  }
  static bool localFolderSaved() {
    TMMemIniFile onDisk;
    return LoadEncipheredIni(onDisk, GetLocalSettingsFileName()) &&
           onDisk.readBool(keys::Main, keys::UseLocalFolder, false);
  }

  FakePrompts prompts;
  ScopedUiPrompts scopedPrompts{prompts};
  FakeMaster master;
  RecordingListener listener{testModel.model};
  TFrameMix frame{testModel.model};
};

} // namespace

TEST_F(FrameMixTest, ApplyWritesTheAutostartEntryAndRemovesItAgain) {
  (void)SetStartUpEntry(false);
  frame.LoadOptions();
  box("CheckBoxStartup")->setChecked(true);
  frame.Apply();
  EXPECT_TRUE(GetStartUpEntry());
  EXPECT_TRUE(main.readBool(keys::Main, keys::RunAtStartUp, false));
  EXPECT_EQ(master.count(msg::WM_SETTINGS_CHANGED), 1);

  box("CheckBoxStartup")->setChecked(false);
  frame.Apply();
  EXPECT_FALSE(QFile::exists(StartUpEntryFileName()));
  EXPECT_FALSE(main.readBool(keys::Main, keys::RunAtStartUp, true));
}

// The period is stored as the purge counts it: never one that would empty the log at the next
// start.
TEST_F(FrameMixTest, LogPeriodCountsAs30WhenNegativeOrNotANumber) {
  for (const auto &[entered, stored] : {std::pair{" 7 ", "7"}, {"-5", "30"}, {"abc", "30"}}) {
    edit("EditLogClearPeriod")->setText(entered);
    frame.Apply();
    EXPECT_EQ(local.readString(keys::Config, keys::LogClearPeriod, {}), stored) << entered;
  }
}

TEST_F(FrameMixTest, PasswordReadsBackAfterApplyThroughTheSettingsFile) {
  // The long one scrambles to bytes a line of the settings file cannot hold.
  for (const QString &password :
       {QStringLiteral("  s3cret \t"), QString(100, u'x') + QStringLiteral("\x01 é\tü")}) {
    frame.LoadOptions();
    edit("EditPassword")->setText(password);
    frame.Apply();
    ASSERT_TRUE(SaveMainSettings());
    ASSERT_TRUE(LoadMainSettings());
    TFrameMix reopened(testModel.model);
    reopened.LoadOptions();
    EXPECT_EQ(reopened.findChild<QLineEdit *>("EditPassword")->text(),
              TMMemIniFile::trimText(password));
  }
}

// What the switch does is the model's SwitchDataFolder; the page runs it once per change.
TEST_F(FrameMixTest, ApplyMovesTheDataOnlyWhenTheFolderSwitchChanged) {
  Store().LoadFromFile(GetUserDataFileName());
  addUnsaved("per user");
  frame.LoadOptions();
  frame.Apply();
  EXPECT_TRUE(listener.calls.isEmpty());

  box("CheckBoxLocal")->setChecked(true);
  frame.Apply();
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_EQ(Store().FileName(), GetLocalDataFileName());
  EXPECT_EQ(subjects(), QStringList{"per user"}); // taken along: no data file was there
  EXPECT_TRUE(localFolderSaved());
  frame.Apply();
  EXPECT_EQ(listener.calls.size(), 1);

  box("CheckBoxLocal")->setChecked(false);
  frame.Apply();
  EXPECT_EQ(listener.calls, (QStringList{"reloaded", "reloaded"}));
  EXPECT_EQ(Store().FileName(), GetUserDataFileName());
  EXPECT_FALSE(localFolderSaved());
  EXPECT_EQ(master.count(msg::WM_SETTINGS_CHANGED), 4);
  EXPECT_EQ(master.count(msg::WM_RELOAD_STORE), 0);
}

TEST_F(FrameMixTest, LanguageListMatchesLngFilesWithoutCase) {
  for (const char *name : {"tolvane_default.lng", "french.Lng", "notes.txt"})
    writeFile(programDir() + "/" + name, "");
  writeFile(programDir() + "/Deutsch.LNG", "[FrameMix]\nActionApply=Anwenden\n");
  frame.LoadOptions();
  auto *list = child<QComboBox>("ComboBoxLng");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->itemText(0), "Deutsch.LNG");
  EXPECT_EQ(list->itemText(1), "french.Lng");
  EXPECT_EQ(list->currentText(), "tolvane_default.lng"); // Config/Lng is empty

  frame.SelectLanguage(0);
  EXPECT_EQ(GetLanguageFileName(), programDir() + "/Deutsch.LNG");
  EXPECT_EQ(child<QPushButton>("Button1")->text(), "Anwenden");
  EXPECT_EQ(master.count(msg::WM_LANGUAGE_CHANGED), 1);
}

// Before, such a file was taken without a word: Config/Lng named it and the captions stayed.
TEST_F(FrameMixTest, AFileThatIsNoLanguageFileIsToldAndTheLanguageStays) {
  const QString deutsch = programDir() + "/Deutsch.lng";
  writeFile(deutsch, "[FrameMix]\nActionApply=Anwenden\n");
  QByteArray random(2048, Qt::Uninitialized);
  for (int i = 0; i < random.size(); ++i)
    random[i] = char((i * 7919 + 13) % 251);
  writeFile(programDir() + "/broken.lng", random);
  writeFile(programDir() + "/empty.lng", "");
  writeFile(programDir() + "/notes.lng", "[Notes]\nActionApply=Hello\n");
  writeFile(programDir() + "/words.lng", "[Messages]\nDone!=Fertig!\n");
  main.writeString(keys::Config, keys::Lng, deutsch);
  frame.LoadOptions();
  auto *list = child<QComboBox>("ComboBoxLng");
  auto *apply = child<QPushButton>("Button1");
  ASSERT_EQ(list->currentText(), "Deutsch.lng");
  ASSERT_EQ(apply->text(), "Anwenden");
  for (const char *name : {"broken.lng", "empty.lng", "notes.lng"}) {
    prompts.shown.clear();
    frame.SelectLanguage(list->findText(QLatin1String(name)));
    EXPECT_EQ(prompts.shown, QStringList{"notice: The file is not a language file!\r\n" +
                                         programDir() + "/" + name});
    EXPECT_EQ(GetLanguageFileName(), deutsch);
    EXPECT_EQ(list->currentText(), "Deutsch.lng");
    EXPECT_EQ(apply->text(), "Anwenden");
  }
  EXPECT_EQ(master.count(msg::WM_LANGUAGE_CHANGED), 0);

  // A file with the message texts only is one.
  prompts.shown.clear();
  frame.SelectLanguage(list->findText(QStringLiteral("words.lng")));
  EXPECT_TRUE(prompts.shown.isEmpty());
  EXPECT_EQ(GetLanguageFileName(), programDir() + "/words.lng");
  EXPECT_EQ(master.count(msg::WM_LANGUAGE_CHANGED), 1);
}

TEST_F(FrameMixTest, MailParametersFillTheLoginFromTheMsmtpUser) {
  frame.LoadOptions();
  edit("EditUserName")->setText("kept");
  edit("SpinEditPort")->setText("2525");
  frame.GetMailParamsFromSystem();
  EXPECT_EQ(prompts.shown, QStringList({"notice: Sorry, can't find parameters!"}));
  EXPECT_EQ(edit("EditUserName")->text(), "kept");

  QDir().mkpath(sandbox::configDir() + "/msmtp");
  writeFile(sandbox::configDir() + "/msmtp/config",
            "account default\nhost mail.example.org\nport 587\nfrom me@example.org\nuser jo\n");
  frame.GetMailParamsFromSystem();
  QFile::remove(sandbox::configDir() + "/msmtp/config");
  EXPECT_EQ(edit("EditHost")->text(), "mail.example.org");
  EXPECT_EQ(edit("EditFromAddress")->text(), "me@example.org");
  EXPECT_EQ(edit("EditUserName")->text(), "jo");
  EXPECT_EQ(edit("SpinEditPort")->text(), "2525");
}

TEST_F(FrameMixTest, ClearingTheLogAsksAndReportsALogItCannotRead) {
  writeFile(GetLogFileName(), "line\t1\t\r\n");
  prompts.script = {false, true};
  frame.ClearLogFile();
  EXPECT_EQ(QFileInfo(GetLogFileName()).size(), 9);
  frame.ClearLogFile();
  EXPECT_EQ(QFileInfo(GetLogFileName()).size(), 0);

  QFile::remove(GetLogFileName());
  QDir().mkpath(GetLogFileName()); // a folder where the log should be
  prompts.script = {true};
  frame.ClearLogFile();
  EXPECT_TRUE(prompts.shown.last().startsWith("error: Sorry, can't save file!"));
}

TEST_F(FrameMixTest, SwitchSaysWhereTheDataGoesWhenTheProgramFolderIsReadOnly) {
  frame.LoadOptions();
  EXPECT_EQ(box("CheckBoxLocal")->text(), "Save all data in programs folder");
  EXPECT_EQ(box("CheckBoxLocal")->toolTip(), programDir() + "/");

  qputenv("TOLVANE_PROGRAM_DIR", QFile::encodeName(sandbox::root() + "/no-such-folder"));
  frame.LoadOptions();
  EXPECT_EQ(box("CheckBoxLocal")->text(), "Save all data in settings folder");
  EXPECT_EQ(box("CheckBoxLocal")->toolTip(), sandbox::configDir() + "/tolvane/");
}
