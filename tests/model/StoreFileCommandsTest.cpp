#include "model/StoreFileCommands.h"

#include "BlockedFolder.h"
#include "RecordingListener.h"
#include "SettingsSandbox.h"
#include "model/DataObjectStore.h"
#include "model/Paths.h"
#include "model/ReminderCommands.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "model/XMLStore.h"
#include "platform/Errors.h"

#include <QFile>
#include <QFileInfo>

#include <random>
#include <vector>

namespace {

namespace keys = settings_keys;
const QString Id1 = QStringLiteral("11111111-1111-1111-1111-111111111111");
const QString Id2 = QStringLiteral("22222222-2222-2222-2222-222222222222");
const QString Id3 = QStringLiteral("33333333-3333-3333-3333-333333333333");

void addItem(TXMLStore &store, const QString &id, bool program = false, bool mail = false) {
  store.AddItem(id, {});
  store.SelectItem(id);
  store.WriteString(QStringLiteral("subject"), QStringLiteral("Subject ") + id.left(1));
  store.WriteBool(QStringLiteral("shellExec/enable"), program);
  store.WriteBool(QStringLiteral("mail/enable"), mail);
}

QStringList idsOf(const QString &file) {
  TXMLStore store(file);
  store.LoadFromFile(file);
  QStringList ids;
  store.GetIds(&ids);
  return ids;
}

// A reminder written into the store's document only, as a toggle or a firing leaves it.
void addUnsaved(const QString &subject) {
  auto reminder = TDataObject::Create(NewReminderId);
  reminder->subject = subject;
  AssignNewId(*reminder);
  SaveToStore(*reminder, true);
}

// Files a user may choose by mistake, and the reason the refusal gives for each.
struct TNoStoreFile {
  const char *name;
  QByteArray content;
  const char *reason;
};
std::vector<TNoStoreFile> noStoreFiles() {
  QByteArray random(4096, Qt::Uninitialized);
  std::mt19937 bytes(39);
  for (char &c : random)
    c = static_cast<char>(bytes());
  return {
      {"random.xml", random, "The file is not XML."},
      {"page.html",
       "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Notes</title></head>\n"
       "<body><p>Reminders<br>for today</p></body></html>\n",
       "The file is not XML."},
      {"empty.xml", "", "The file is empty."},
      {"blank.xml", " \r\n\t\r\n", "The file is empty."},
      {"page.xhtml", "<html><body><item id=\"{A}\"/></body></html>",
       "The file holds no reminders."},
      {"none.xml", "<?xml version=\"1.0\"?><root/>", "The file holds no reminders."},
      {"declared.xml", "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- none -->\n",
       "The file holds no reminders."},
  };
}

// Empty program, documents and settings folders; the store on the user's data.xml with two
// reminders in it and on disk; the listener and the notices recorded.
class StoreFileCommands : public SettingsSandbox {
protected:
  StoreFileCommands() {
    store.LoadFromFile(GetUserDataFileName());
    main.writeString(keys::Main, keys::StoreFileName, GetUserDataFileName());
    addItem(store, Id1);
    addItem(store, Id2);
    EXPECT_TRUE(store.Save());
    ReloadReminders();
  }

  [[nodiscard]] QStringList subjects() const {
    QStringList out;
    for (int i = 0; i < model.Reminders().Count(); ++i)
      out << model.Reminders().At(i)->subject;
    out.sort();
    return out;
  }
  [[nodiscard]] static bool localFolderSaved() {
    TMMemIniFile onDisk;
    return LoadEncipheredIni(onDisk, GetLocalSettingsFileName()) &&
           onDisk.readBool(keys::Main, keys::UseLocalFolder, false);
  }
  // A file in a folder of its own, outside the program's folders.
  [[nodiscard]] static QString elsewhere(const QString &name) {
    return sandbox::makeTempDir(QStringLiteral("elsewhere")) + u'/' + name;
  }
  // The answer to whether reminders already here are updated; the questions are counted.
  std::function<bool()> answer(bool update) {
    return [this, update] {
      ++asked;
      return update;
    };
  }

  TModel &model = testModel.model;
  TXMLStore &store = model.Store();
  RecordingListener listener{model};
  QStringList shown;
  int asked = 0;
  errors::ScopedInfoReporter reporter{[this](const QString &text) { shown << text; }};
};

} // namespace

TEST_F(StoreFileCommands, SaveAndBackupWriteTheirFilesAndTellNobody) {
  addUnsaved("not yet written");
  const int writes = store.OwnFileWrites();
  EXPECT_TRUE(SaveStore(model));
  EXPECT_EQ(store.OwnFileWrites(), writes + 1);
  EXPECT_TRUE(readFile(GetUserDataFileName()).contains("not yet written"));
  SaveStoreBackup(model);
  ASSERT_TRUE(store.WaitForBackgroundWrites(std::chrono::seconds(10)));
  EXPECT_EQ(idsOf(GetBackupFileName()).size(), 3);
  EXPECT_EQ(store.FileName(), GetUserDataFileName());
  EXPECT_TRUE(listener.calls.isEmpty());

  BlockedFolder folder(userDir());
  folder.Block();
  EXPECT_FALSE(SaveStore(model));
  SaveStoreBackup(model);
  ASSERT_TRUE(store.WaitForBackgroundWrites(std::chrono::seconds(10)));
  ASSERT_EQ(shown.size(), 2);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!\r\n" + GetUserDataFileName()));
  EXPECT_TRUE(shown[1].startsWith("Sorry, can't save file!\r\n" + GetBackupFileName()));
}

TEST_F(StoreFileCommands, OpenSavesFirstAndOpensAnotherFileOnlyWhenThatWorked) {
  const QString other = elsewhere(QStringLiteral("other.xml"));
  {
    TXMLStore file(other);
    addItem(file, Id3);
    ASSERT_TRUE(file.SaveToFile(other));
  }
  addUnsaved("not yet written");
  {
    BlockedFolder folder(userDir());
    folder.Block();
    EXPECT_FALSE(OpenStoreFile(model, other));
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(main.readString(keys::Main, keys::StoreFileName, {}), GetUserDataFileName());
    EXPECT_EQ(model.Reminders().Count(), 2);
    EXPECT_TRUE(listener.calls.isEmpty());
  }

  EXPECT_TRUE(OpenStoreFile(model, other));
  EXPECT_TRUE(readFile(GetUserDataFileName()).contains("not yet written"));
  EXPECT_EQ(main.readString(keys::Main, keys::StoreFileName, {}), other);
  EXPECT_EQ(store.FileName(), other);
  ASSERT_EQ(model.Reminders().Count(), 1);
  EXPECT_EQ(model.Reminders().At(0)->Id, Id3);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
}

// Before, a chosen file that did not read as a store swapped in the backup: the list fell back to
// its older reminders, and every later change went into data_backup.xml only, to be lost when
// the next start opened data.xml again.
TEST_F(StoreFileCommands, OpenRefusesAFileThatIsNoReminderFileAndKeepsTheStoreAsItWas) {
  for (int i = 0; i < 7; ++i)
    addItem(store, TXMLStore::NewGuidText());
  ASSERT_TRUE(store.Save());
  ReloadReminders();
  {
    TXMLStore backup(GetBackupFileName());
    for (int i = 0; i < 6; ++i)
      addItem(backup, TXMLStore::NewGuidText());
    ASSERT_TRUE(backup.SaveToFile(GetBackupFileName()));
  }
  ASSERT_EQ(model.Reminders().Count(), 9);
  for (const TNoStoreFile &file : noStoreFiles()) {
    // A store whose reminders were all deleted is a reminder file to open (not to add from).
    if (file.content.endsWith("<root/>"))
      continue;
    const QString path = elsewhere(QLatin1String(file.name));
    writeFile(path, file.content);
    shown.clear();
    EXPECT_FALSE(OpenStoreFile(model, path)) << file.name;
    ASSERT_EQ(shown.size(), 1) << file.name;
    EXPECT_EQ(shown[0], "The file is not a reminder file!\r\n" + path + "\r\n" + file.reason +
                            "\r\nThe reminders stay in:\r\n" + GetUserDataFileName())
        << shown[0].toStdString();
    EXPECT_EQ(model.Reminders().Count(), 9) << file.name;
    EXPECT_EQ(store.FileName(), GetUserDataFileName());
    EXPECT_EQ(main.readString(keys::Main, keys::StoreFileName, {}), GetUserDataFileName());
  }
  // Nor one that cannot be read at all.
  shown.clear();
  const QString missing = elsewhere(QStringLiteral("gone.xml"));
  EXPECT_FALSE(OpenStoreFile(model, missing));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("The file is not a reminder file!\r\n" + missing +
                                  "\r\nThe file is not found."));
  EXPECT_TRUE(listener.calls.isEmpty());

  // The store goes on on its own file: a copy made now is in data.xml, not in the backup.
  const QString copy = CopyReminder(model, Id1);
  ASSERT_FALSE(copy.isEmpty());
  EXPECT_EQ(idsOf(GetUserDataFileName()).size(), 10);
  EXPECT_TRUE(idsOf(GetUserDataFileName()).contains(copy));
  EXPECT_EQ(idsOf(GetBackupFileName()).size(), 6);
}

// A reminder file whose reminders were all deleted opens: it is the user's store, only empty.
TEST_F(StoreFileCommands, OpenTakesAReminderFileThatHoldsNoRemindersYet) {
  const QString path = elsewhere(QStringLiteral("none.xml"));
  writeFile(path, "<?xml version=\"1.0\"?><root/>");
  EXPECT_TRUE(OpenStoreFile(model, path));
  EXPECT_TRUE(shown.isEmpty()) << shown.join(u'|').toStdString();
  EXPECT_EQ(store.FileName(), path);
  EXPECT_EQ(model.Reminders().Count(), 0);
}

// A received file must not start programs or send mail through the user's server.
TEST_F(StoreFileCommands, AnImportArrivesWithProgramAndMailOffInOneSave) {
  const QString received = elsewhere(QStringLiteral("received.xml"));
  {
    TXMLStore file(received);
    addItem(file, Id2, false, true);
    addItem(file, Id3, true, false);
    ASSERT_TRUE(file.SaveToFile(received));
  }
  const int writes = store.OwnFileWrites();
  const TImportResult result = ImportStoreFile(model, received, answer(false));
  EXPECT_TRUE(result.read);
  EXPECT_EQ(result.count, 1); // Id2 is here already
  EXPECT_TRUE(result.saved);
  EXPECT_EQ(result.disarmed, QStringList{"Subject 3"});
  EXPECT_EQ(store.OwnFileWrites(), writes + 1);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  const TDataObject *arrived = FindReminderById(Id3);
  ASSERT_NE(arrived, nullptr);
  EXPECT_FALSE(arrived->shellExec.enable);
  TXMLStore saved(GetUserDataFileName());
  saved.LoadFromFile(GetUserDataFileName());
  ASSERT_TRUE(saved.SelectItem(Id3));
  EXPECT_FALSE(saved.ReadBool(QStringLiteral("shellExec/enable"), true));

  const TImportResult updated = ImportStoreFile(model, received, answer(true));
  EXPECT_EQ(updated.count, 2);
  EXPECT_EQ(updated.disarmed, (QStringList{"Subject 2", "Subject 3"}));
  ASSERT_NE(FindReminderById(Id2), nullptr);
  EXPECT_FALSE(FindReminderById(Id2)->mail.enable);

  // Nothing new: nothing written, nobody told.
  listener.calls.clear();
  const TImportResult none = ImportStoreFile(model, received, answer(false));
  EXPECT_TRUE(none.read);
  EXPECT_EQ(none.count, 0);
  EXPECT_EQ(store.OwnFileWrites(), writes + 2);
  EXPECT_TRUE(listener.calls.isEmpty());
  EXPECT_TRUE(shown.isEmpty());
  EXPECT_EQ(asked, 3);
}

// Before, garbage, an empty file and any other XML said "New reminders are not found!", as if the
// file had been a reminder file whose reminders were all here already. Nor is the user asked
// whether to update reminders from a file that holds none.
TEST_F(StoreFileCommands, AnImportOfNoReminderFileSaysWhyAndChangesNothing) {
  const QByteArray data = readFile(GetUserDataFileName());
  const int writes = store.OwnFileWrites();
  for (const TNoStoreFile &file : noStoreFiles()) {
    const QString path = elsewhere(QLatin1String(file.name));
    writeFile(path, file.content);
    shown.clear();
    const TImportResult result = ImportStoreFile(model, path, answer(true));
    EXPECT_FALSE(result.read) << file.name;
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(shown,
              QStringList{"The file is not a reminder file!\r\n" + path + "\r\n" + file.reason})
        << shown.join('|').toStdString();
  }
  EXPECT_EQ(store.OwnFileWrites(), writes);
  EXPECT_EQ(readFile(GetUserDataFileName()), data);
  EXPECT_EQ(subjects(), (QStringList{"Subject 1", "Subject 2"}));
  EXPECT_TRUE(listener.calls.isEmpty());
  EXPECT_EQ(asked, 0);
}

TEST_F(StoreFileCommands, AnImportTheFileCannotTakeIsUndoneAndAnUnreadableOneIsTold) {
  const QString received = elsewhere(QStringLiteral("received.xml"));
  {
    TXMLStore file(received);
    addItem(file, Id3);
    ASSERT_TRUE(file.SaveToFile(received));
  }
  // The store's file is named below a regular file: the save fails, the reload reads the data
  // file as it is.
  const QString blocker = elsewhere(QStringLiteral("blocker"));
  writeFile(blocker, "x");
  store.LoadFromFile(blocker + QStringLiteral("/data.xml")); // no file: the items stay
  const TImportResult result = ImportStoreFile(model, received, answer(false));
  EXPECT_EQ(result.count, 1);
  EXPECT_FALSE(result.saved);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!"));
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  EXPECT_EQ(subjects(), (QStringList{"Subject 1", "Subject 2"}));

  // A file far larger than any store (sparse, so it costs no disk) is not read.
  QFile huge(elsewhere(QStringLiteral("huge.xml")));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(600) << 20));
  huge.close();
  shown.clear();
  listener.calls.clear();
  const TImportResult unread = ImportStoreFile(model, huge.fileName(), answer(true));
  EXPECT_FALSE(unread.read);
  EXPECT_EQ(unread.count, 0);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains(huge.fileName())) << shown[0].toStdString();
  EXPECT_TRUE(listener.calls.isEmpty());
}

// A few reminders written over the data file or its backup would lose all the others.
TEST_F(StoreFileCommands, ExportingSelectedNeedsIdsAndNeverWritesOverTheOwnFileOrBackup) {
  const QByteArray data = readFile(GetUserDataFileName());
  QFile::remove(GetBackupFileName());
  const QString dotted = userDir() + QStringLiteral("/./data.xml");
  const QString linked = elsewhere(QStringLiteral("link.xml"));
  ASSERT_TRUE(QFile::link(GetUserDataFileName(), linked));
  for (const QString &target : {GetUserDataFileName(), GetBackupFileName(), dotted, linked}) {
    EXPECT_TRUE(IsOwnStoreFile(model, target)) << target.toStdString();
    shown.clear();
    EXPECT_EQ(ExportReminders(model, {Id2}, target), TExportResult::OwnFile);
    EXPECT_EQ(shown, QStringList{"Sorry, can't save to the program's own data file!"});
  }
  EXPECT_EQ(readFile(GetUserDataFileName()), data);
  EXPECT_FALSE(QFile::exists(GetBackupFileName()));

  const QString out = elsewhere(QStringLiteral("out.xml"));
  EXPECT_FALSE(IsOwnStoreFile(model, out));
  shown.clear();
  EXPECT_EQ(ExportReminders(model, {}, out), TExportResult::NothingSelected);
  EXPECT_EQ(shown, QStringList{"Nothing is selected!"});
  EXPECT_FALSE(QFile::exists(out));

  addUnsaved("not yet written");
  EXPECT_EQ(ExportReminders(model, {Id2}, out), TExportResult::Done);
  EXPECT_EQ(idsOf(out), QStringList{Id2});
  EXPECT_TRUE(readFile(GetUserDataFileName()).contains("not yet written")); // saved first
  EXPECT_TRUE(listener.calls.isEmpty());
}

TEST_F(StoreFileCommands, ExportsWriteTheDocumentEvenWhenTheOwnFileFailsAndTellTheirFailure) {
  const QString out = elsewhere(QStringLiteral("all.xml"));
  EXPECT_TRUE(ExportAllReminders(model, out));
  EXPECT_EQ(idsOf(out).size(), 2);
  EXPECT_EQ(store.FileName(), GetUserDataFileName());

  const QString blocker = elsewhere(QStringLiteral("blocker"));
  writeFile(blocker, "x");
  const QString bad = blocker + QStringLiteral("/out.xml");
  EXPECT_FALSE(ExportAllReminders(model, bad));
  EXPECT_EQ(ExportReminders(model, {Id1}, bad), TExportResult::NotSaved);
  ASSERT_EQ(shown.size(), 2);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!\r\n" + bad + "\r\n"));
  EXPECT_TRUE(shown[1].startsWith("Sorry, can't save file!\r\n" + bad + "\r\n"));

  // The store's own file cannot be written (told by the store); the copies are written.
  BlockedFolder folder(userDir());
  folder.Block();
  shown.clear();
  EXPECT_TRUE(ExportAllReminders(model, out));
  EXPECT_EQ(ExportReminders(model, {Id1}, elsewhere(QStringLiteral("one.xml"))),
            TExportResult::Done);
  EXPECT_EQ(shown.size(), 2);
  EXPECT_TRUE(listener.calls.isEmpty());
}

TEST_F(StoreFileCommands, TheFolderSwitchSavesFirstThenOpensTheOtherFoldersReminders) {
  {
    TestModel other; // current while it lives
    Store().LoadFromFile(GetLocalDataFileName());
    addUnsaved("in program folder");
    ASSERT_TRUE(Store().Save());
  }
  writeFile(GetUserMainSettingsFileName(), "user settings");
  addUnsaved("not yet written");
  SwitchDataFolder(model, true);
  EXPECT_EQ(readFile(GetLocalMainSettingsFileName()), "user settings");
  EXPECT_TRUE(readFile(GetUserDataFileName()).contains("not yet written"));
  EXPECT_EQ(subjects(), QStringList({"in program folder"}));
  EXPECT_EQ(main.readString(keys::Main, keys::StoreFileName, {}), GetLocalDataFileName());
  EXPECT_TRUE(localFolderSaved());
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});

  addUnsaved("also not written");
  SwitchDataFolder(model, false);
  EXPECT_TRUE(readFile(GetLocalDataFileName()).contains("also not written"));
  EXPECT_EQ(subjects(), QStringList({"Subject 1", "Subject 2", "not yet written"}));
  EXPECT_FALSE(localFolderSaved());
  EXPECT_EQ(listener.calls, (QStringList{"reloaded", "reloaded"}));
  EXPECT_TRUE(shown.isEmpty());
}

// Before, the failed copy went to standard error only.
TEST_F(StoreFileCommands, AFolderSwitchWhoseSettingsCopyFailsTellsItAndGoesOn) {
  SwitchDataFolder(model, true);
  writeFile(GetLocalMainSettingsFileName(), "local settings");
  listener.calls.clear();
  BlockedFolder folder(userDir());
  folder.Block();
  const QString target = userDir() + QStringLiteral("/control1.dat");
  SwitchDataFolder(model, false);
  // The copy, then the folder that takes no reminder file either.
  ASSERT_EQ(shown.size(), 2) << shown.join('|').toStdString();
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't copy file!\r\n" + GetLocalMainSettingsFileName() +
                                  "\r\n" + target + "\r\n"))
      << shown[0].toStdString();
  EXPECT_TRUE(shown[1].startsWith("Sorry, can't save file!\r\n" + target.chopped(12) + "data.xml"))
      << shown[1].toStdString();
  EXPECT_FALSE(localFolderSaved());
  EXPECT_EQ(main.readString(keys::Main, keys::StoreFileName, {}), target.chopped(12) + "data.xml");
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
}
