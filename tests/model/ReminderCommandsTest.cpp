#include "model/ReminderCommands.h"

#include "BlockedFolder.h"
#include "RecordingListener.h"
#include "StoreTestUtil.h"
#include "model/DataObjectStore.h"
#include "model/Paths.h"
#include "model/ReminderList.h"
#include "model/SettingsKeys.h"
#include "model/StoreChange.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "tests/support/TestModel.h"

#include <QFileInfo>

#include <map>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

namespace {

namespace keys = settings_keys;

// A model with its store on a data.xml of its own (which a reload reads back), a listener that
// records what the commands tell, the notices shown, and a fixed clock.
class ReminderCommands : public ::testing::Test {
protected:
  ReminderCommands() {
    model.MainSettings().writeString(keys::Main, keys::StoreFileName, test.file);
  }

  // An enabled reminder in the list and in the file; gives its id.
  QString add(const QString &subject, TReminderState state = TReminderState::Active) {
    auto r = TDataObject::Create(NewReminderId);
    r->subject = subject;
    r->state = state;
    r->enable = true;
    SaveToStore(*r);
    const QString id = r->Id;
    model.Reminders().Append(std::move(r));
    return id;
  }
  TDataObject &reminder(const QString &id) {
    TDataObject *r = model.Reminders().FindById(id);
    EXPECT_NE(r, nullptr) << id.toStdString();
    return r ? *r : *none;
  }
  [[nodiscard]] int writes() { return model.Store().OwnFileWrites(); }
  [[nodiscard]] QByteArray onDisk() const { return storetest::readFile(test.file); }

  ManualClock clock{EncodeDateTime(2026, 3, 1, 9, 0, 0, 0)};
  ScopedClock scopedClock{clock};
  TestModel test{QStringLiteral("commands")};
  TModel &model = test.model;
  RecordingListener listener{model};
  BlockedFolder folder{QFileInfo(test.file).absolutePath()};
  QStringList shown;
  errors::ScopedInfoReporter reporter{[this](const QString &text) { shown << text; }};
  std::unique_ptr<TDataObject> none = TDataObject::CreateEmpty(QStringLiteral("none"));
};

} // namespace

// --- Move ---------------------------------------------------------------------------------------

TEST_F(ReminderCommands, AMoveWritesTheStatesInOneSaveAndReadsTheStoreBack) {
  const QString a = add("A"), b = add("B"), c = add("C");
  const int32_t before = reminder(a).Number;
  const int saves = writes();
  EXPECT_TRUE(MoveReminders(model, {a, QStringLiteral("unknown"), c}, TReminderState::Archive));
  EXPECT_EQ(writes(), saves + 1);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  // Read back from the file: new objects, the states as moved.
  EXPECT_NE(reminder(a).Number, before);
  EXPECT_EQ(reminder(a).state, TReminderState::Archive);
  EXPECT_EQ(reminder(b).state, TReminderState::Active);
  EXPECT_EQ(reminder(c).state, TReminderState::Archive);
  EXPECT_EQ(onDisk().count("<state>1</state>"), 2);

  EXPECT_FALSE(MoveReminders(model, {QStringLiteral("unknown")}, TReminderState::Active));
  EXPECT_FALSE(MoveReminders(model, {}, TReminderState::Active));
  EXPECT_EQ(writes(), saves + 1);
  EXPECT_EQ(listener.calls.size(), 1);
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ReminderCommands, AMoveWhoseSaveFailsKeepsTheChangeInMemoryUntilTheNextSave) {
  const QString a = add("A"), b = add("B");
  folder.Block();
  EXPECT_TRUE(MoveReminders(model, {a}, TReminderState::Archive));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!\r\n" + test.file));
  // Reading the file back would undo the move: the list shows what memory holds.
  EXPECT_EQ(listener.calls, QStringList{"changed"});
  EXPECT_EQ(reminder(a).state, TReminderState::Archive);

  folder.Unblock();
  EXPECT_TRUE(MoveReminders(model, {b}, TReminderState::Trash));
  EXPECT_EQ(listener.calls, (QStringList{"changed", "reloaded"}));
  // Read back from the file: the move whose save failed reached it with this one.
  ASSERT_EQ(model.Reminders().Count(), 2);
  EXPECT_EQ(reminder(a).state, TReminderState::Archive);
  EXPECT_EQ(reminder(b).state, TReminderState::Trash);
}

namespace {

// The document as markup, every node as it is in memory (no line break changed on the way).
std::string markup(const pugi::xml_document &document) {
  std::ostringstream out;
  document.save(out, "", pugi::format_raw);
  return out.str();
}

// What the reminders hold in their texts, in list order.
QStringList texts(const TReminderList &list) {
  QStringList all;
  for (const TDataObject *r : list.Objects())
    all << r->Id + u'|' + r->subject + u'|' + r->text + u'|' + r->mail.to + u'|' + r->mail.files +
               u'|' + r->shellExec.params + u'|' + QString::number(int(r->state));
  return all;
}

// The font names of the reminders' sticker texts and subjects, in list order.
QStringList fonts(const TReminderList &list) {
  QStringList all;
  for (const TDataObject *r : list.Objects())
    all << r->sticker.text.font.name + u'|' + r->sticker.subject.font.name;
  return all;
}

} // namespace

// After a save that worked the store is read back from its document, which then is the file as a
// fresh load reads it: the same reminders, texts with every form of line break included.
TEST_F(ReminderCommands, TheReadBackAfterASaveGivesWhatAFreshLoadOfTheFileGives) {
  const QString a = add("A"), b = add("B");
  for (const QString &id : {a, b}) {
    TDataObject &r = reminder(id);
    r.subject = QStringLiteral("first\r\nsecond\rthird");
    r.text = QStringLiteral("one\ntwo\r\nthree\rfour\r\r\n");
    r.mail.to = QStringLiteral("x@example.org\r\ny@example.org");
    r.mail.files = QStringLiteral("/tmp/a\r/tmp/b\n");
    r.shellExec.params = QStringLiteral("-v\r\n-q");
    SaveToStore(r);
  }
  const uint64_t revision = model.Store().Revision();
  EXPECT_TRUE(MoveReminders(model, {a}, TReminderState::Archive));
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
  // The file was not read again: a load would have made the document new.
  EXPECT_EQ(model.Store().Revision(), revision + 1);
  EXPECT_TRUE(model.Store().Saved());
  const QStringList readBack = texts(model.Reminders());
  ASSERT_EQ(readBack.size(), 2);
  EXPECT_TRUE(readBack[0].contains(u"|first\nsecond\nthird|one\r\ntwo\r\nthree\r\nfour\r\n\r\n|"))
      << readBack[0].toStdString();

  const TXMLStore fresh(test.file);
  EXPECT_EQ(markup(model.Store().Document()), markup(fresh.Document()));
  ReloadStore(model); // reads the file
  EXPECT_EQ(texts(model.Reminders()), readBack);
}

// The read-back after a command reads again only the reminders whose items changed since the
// list was last read, whoever changed them (a command, a firing's write-back, a write straight
// into the document); the others keep their objects. Either way the list is what a fresh load of
// the file gives, in the file's order.
TEST_F(ReminderCommands, AReadBackReadsAgainEveryReminderWhoseItemChangedAndKeepsTheOthers) {
  const QString a = add("A"), b = add("B"), c = add("C"), d = add("D"), e = add("E");
  ASSERT_TRUE(MoveReminders(model, {a}, TReminderState::Archive)); // the list read from the file
  const auto numbers = [this] {
    std::map<QString, int32_t> all;
    for (const TDataObject *r : model.Reminders().Objects())
      all[r->Id] = r->Number;
    return all;
  };
  const std::map<QString, int32_t> before = numbers();

  // Changes that reach the document without a read-back: a firing's write-back of one reminder,
  // and writes into the items of two others (an element deep inside one, one element removed).
  reminder(b).sticker.text.font.name = QStringLiteral("Serif");
  SaveToStore(model, reminder(b));
  TXMLStore &store = model.Store();
  ASSERT_TRUE(store.SelectItem(c));
  store.WriteString(TXmlPath(QStringLiteral("sticker/subject/font/name")), QStringLiteral("Mono"));
  ASSERT_TRUE(store.SelectItem(d));
  store.RemoveNode(TXmlPath(QStringLiteral("subject")));

  const QString copy = CopyReminder(model, e);
  ASSERT_FALSE(copy.isEmpty());
  const std::map<QString, int32_t> after = numbers();
  ASSERT_EQ(after.size(), 6u);
  EXPECT_EQ(after.at(a), before.at(a));
  EXPECT_NE(after.at(b), before.at(b));
  EXPECT_NE(after.at(c), before.at(c));
  EXPECT_NE(after.at(d), before.at(d));
  EXPECT_EQ(after.at(e), before.at(e));
  EXPECT_EQ(reminder(b).sticker.text.font.name, QStringLiteral("Serif"));
  EXPECT_EQ(reminder(c).sticker.subject.font.name, QStringLiteral("Mono"));
  EXPECT_NE(reminder(d).subject, QStringLiteral("D")); // a missing element reads as the default

  const QStringList readBack = texts(model.Reminders());
  const QStringList readFonts = fonts(model.Reminders());
  ReloadStore(model); // every reminder read from the file
  EXPECT_EQ(texts(model.Reminders()), readBack);
  EXPECT_EQ(fonts(model.Reminders()), readFonts);
}

// Commands, firings' write-backs and writes straight into the document in a random order: after
// every read-back each reminder in the list holds what a fresh read of its item gives, in the
// document's order, and the document is the file.
TEST_F(ReminderCommands, AfterAnyRunOfChangesTheListIsWhatTheFileHolds) {
  for (int i = 0; i < 6; ++i)
    add(QStringLiteral("R%1").arg(i));
  // Every stored field of a reminder, as an item of a store of its own holds them.
  TModel scratch{TModelStart::Empty};
  const auto stored = [&scratch](TDataObject &r) {
    TXMLStore &into = scratch.Store();
    (void)into.DeleteItem(r.Id);
    std::ostringstream out;
    into.AddItem(r.Id, QString());
    SaveToStore(scratch, r, true);
    into.FindItem(r.Id).print(out, "", pugi::format_raw);
    return out.str();
  };
  std::mt19937 random(7);
  const auto pick = [&random](int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(random);
  };
  const auto anyId = [&] {
    const std::vector<TDataObject *> all = model.Reminders().Objects();
    return all[size_t(pick(0, int(all.size()) - 1))]->Id;
  };
  TXMLStore &store = model.Store();
  int readBacks = 0;
  for (int step = 0; step < 300 && model.Reminders().Count() > 0; ++step) {
    const QString id = anyId();
    const int before = int(listener.calls.size());
    switch (pick(0, 6)) {
    case 0:
      (void)MoveReminders(model, {id, anyId()}, TReminderState(pick(0, 2)));
      break;
    case 1:
      if (model.Reminders().Count() < 12)
        (void)CopyReminder(model, id);
      break;
    case 2:
      model.PendingDeleteIds() = {id};
      (void)DeleteReminders(model, 0);
      break;
    case 3:
      (void)ToggleReminderAction(model, id, TReminderAction(pick(0, 4)));
      break;
    case 4:
      (void)SaveEditedReminder(model, id, 0, [&](TDataObject &r) {
        r.subject = QStringLiteral("edited %1").arg(step);
        r.sticker.text.font.size = step;
      });
      break;
    case 5: // a firing's write-back
      reminder(id).LastRunDue = reminder(id).repeat.dt + OneMinute * step;
      SaveToStore(model, reminder(id), true);
      break;
    default: // another writer of the document: a text, a removed element, an empty one made
      ASSERT_TRUE(store.SelectItem(id));
      if (const int how = pick(0, 2); how == 0)
        store.WriteString(TXmlPath(QStringLiteral("sticker/date/font/name")),
                          QStringLiteral("F%1").arg(step));
      else if (how == 1)
        store.RemoveNode(TXmlPath(QStringLiteral("subject")));
      else
        store.WriteString(TXmlPath(QStringLiteral("subject")), QString());
      break;
    }
    if (listener.calls.size() == before || listener.calls.back() != QStringLiteral("reloaded"))
      continue;
    ++readBacks;
    QStringList ids;
    store.GetIds(&ids);
    QStringList listed;
    for (TDataObject *r : model.Reminders().Objects()) {
      listed << r->Id;
      const std::unique_ptr<TDataObject> read = TDataObject::Create(model, r->Id);
      ASSERT_EQ(stored(*r), stored(*read)) << "step " << step;
    }
    ASSERT_EQ(listed, ids) << "step " << step;
    ASSERT_TRUE(store.FileHoldsDocument());
  }
  EXPECT_GT(readBacks, 50);
  const TXMLStore fresh(test.file);
  EXPECT_EQ(markup(store.Document()), markup(fresh.Document()));
}

// Once the document was loaded again, every reminder is read again, also those no change touched.
TEST_F(ReminderCommands, AReadBackAfterALoadOfTheDocumentReadsEveryReminder) {
  const QString a = add("A"), b = add("B");
  ASSERT_TRUE(MoveReminders(model, {a}, TReminderState::Archive));
  const int32_t before = reminder(b).Number;
  model.Store().LoadFromFile(test.file);
  ASSERT_TRUE(MoveReminders(model, {a}, TReminderState::Active));
  EXPECT_NE(reminder(b).Number, before);
}

// A file another program changed after the store's last save is read, not the document.
TEST_F(ReminderCommands, AReadBackAfterTheFileWasChangedReadsTheFile) {
  const QString a = add("A");
  ASSERT_TRUE(model.Store().FileHoldsDocument());
  QByteArray changed = onDisk();
  changed.replace("<subject>A</subject>", "<subject>Changed</subject>");
  storetest::writeFile(test.file, changed);
  EXPECT_FALSE(model.Store().FileHoldsDocument());
  ReopenSavedStore(model, [this] { ReloadReminders(model); });
  EXPECT_EQ(reminder(a).subject, QStringLiteral("Changed"));
}

// --- Copy ---------------------------------------------------------------------------------------

TEST_F(ReminderCommands, ACopyIsCreatedNowWithItsStickerBesideTheOriginals) {
  const QString placed = add("Placed");
  const QString unplaced = add("Unplaced");
  reminder(placed).sticker.position = {100, 50, 200, 80, false};
  reminder(unplaced).sticker.position = {}; // no position: placed automatically
  reminder(placed).text = QStringLiteral("line 1\r\nline 2");
  for (const QString &id : {placed, unplaced})
    SaveToStore(reminder(id));
  const TDateTime created = reminder(placed).createDt;

  for (const QString &original : {placed, unplaced}) {
    clock.advanceMs(3'600'000);
    const int saves = writes();
    listener.calls.clear();
    const QString copy = CopyReminder(model, original);
    ASSERT_FALSE(copy.isEmpty());
    ASSERT_NE(copy, original);
    EXPECT_EQ(writes(), saves + 1);
    EXPECT_EQ(listener.calls, QStringList{"reloaded"});
    const TDataObject &from = reminder(original);
    const TDataObject &to = reminder(copy);
    EXPECT_EQ(to.subject, from.subject);
    EXPECT_EQ(to.text, from.text);
    EXPECT_EQ(to.createDt, clock.now());
    const bool automatic = IsEmptyPosition(from.sticker.position);
    EXPECT_EQ(to.sticker.position.left, automatic ? 0 : from.sticker.position.left + 10);
    EXPECT_EQ(to.sticker.position.top, automatic ? 0 : from.sticker.position.top + 10);
    EXPECT_EQ(to.sticker.position.width, from.sticker.position.width);
  }
  // The originals stay as they were.
  EXPECT_EQ(reminder(placed).createDt, created);
  EXPECT_EQ(reminder(placed).sticker.position.left, 100);
  EXPECT_EQ(model.Reminders().Count(), 4);

  EXPECT_TRUE(CopyReminder(model, QStringLiteral("unknown")).isEmpty());
  EXPECT_EQ(model.Reminders().Count(), 4);
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ReminderCommands, ACopyWhoseSaveFailsIsShownAndReachesTheFileWithTheNextSave) {
  const QString original = add("A");
  folder.Block();
  const QString copy = CopyReminder(model, original);
  ASSERT_FALSE(copy.isEmpty());
  EXPECT_EQ(shown.size(), 1);
  EXPECT_EQ(listener.calls, QStringList{"changed"});
  EXPECT_EQ(reminder(copy).createDt, clock.now());

  folder.Unblock();
  ASSERT_TRUE(model.Store().Save());
  EXPECT_TRUE(onDisk().contains(copy.toUtf8()));
}

// --- Delete -------------------------------------------------------------------------------------

TEST_F(ReminderCommands, DeletingMovesToTrashThenRemovesForGood) {
  const QString active = add("active");
  const QString trash = add("trash", TReminderState::Trash);
  const int saves = writes();

  EXPECT_TRUE(DeleteReminders(model, reminder(active).Number));
  EXPECT_EQ(reminder(active).state, TReminderState::Trash);
  EXPECT_EQ(onDisk().count("<state>2</state>"), 2);

  EXPECT_TRUE(DeleteReminders(model, reminder(trash).Number));
  EXPECT_EQ(model.Reminders().FindById(trash), nullptr);
  EXPECT_FALSE(model.Store().FindItem(trash));
  EXPECT_FALSE(onDisk().contains(trash.toLatin1()));
  EXPECT_EQ(writes(), saves + 2);
  EXPECT_EQ(listener.calls, (QStringList{"reloaded", "reloaded"}));

  EXPECT_FALSE(DeleteReminders(model, 987654));
  EXPECT_EQ(writes(), saves + 2);
  EXPECT_EQ(listener.calls.size(), 2);
  EXPECT_TRUE(shown.isEmpty());
}

TEST_F(ReminderCommands, PendingDeletesSkipUnknownIdsAndWriteOnlyOnChange) {
  const QString active = add("active");
  const QString trash = add("trash", TReminderState::Trash);
  const QByteArray before = onDisk();
  const int saves = writes();

  EXPECT_FALSE(DeleteReminders(model, 0));
  EXPECT_EQ(onDisk(), before);
  EXPECT_EQ(writes(), saves);
  EXPECT_TRUE(listener.calls.isEmpty());

  model.PendingDeleteIds() = {QStringLiteral("unknown"), trash};
  EXPECT_TRUE(DeleteReminders(model, 0));
  ASSERT_EQ(model.Reminders().Count(), 1);
  EXPECT_EQ(model.Reminders().At(0)->Id, active);
  EXPECT_EQ(model.Reminders().At(0)->state, TReminderState::Active);
  EXPECT_EQ(writes(), saves + 1);
  EXPECT_EQ(listener.calls, QStringList{"reloaded"});
}

// The file still holds the reminder: reading it back would bring it back.
TEST_F(ReminderCommands, ADeleteWhoseSaveFailsIsShownAndTheListKeepsTheChange) {
  const QString trash = add("trash", TReminderState::Trash);
  const QString active = add("active");
  folder.Block();
  model.PendingDeleteIds() = {trash, active};
  EXPECT_TRUE(DeleteReminders(model, 0));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!"));
  EXPECT_EQ(listener.calls, QStringList{"changed"});
  ASSERT_EQ(model.Reminders().Count(), 1);
  EXPECT_EQ(reminder(active).state, TReminderState::Trash);
}

// --- Toggle -------------------------------------------------------------------------------------

TEST_F(ReminderCommands, AToggleSwitchesOneActionIntoTheItemAndLeavesTheFileToTheNextSave) {
  const QString id = add("A");
  const TDataObject &r = reminder(id);
  const auto item = [this, &id](const char *element) {
    EXPECT_TRUE(model.Store().SelectItem(id));
    return model.Store().ReadBool(QString::fromLatin1(element), false);
  };
  const QByteArray fileBefore = onDisk();
  const bool mail = r.mail.enable, program = r.shellExec.enable, tray = r.tray;
  EXPECT_TRUE(ToggleReminderAction(model, id, TReminderAction::Mail));
  EXPECT_TRUE(ToggleReminderAction(model, id, TReminderAction::Program));
  EXPECT_EQ(r.mail.enable, !mail);
  EXPECT_EQ(r.shellExec.enable, !program);
  EXPECT_EQ(r.tray, tray);
  EXPECT_EQ(item("mail/enable"), !mail);
  EXPECT_EQ(item("shellExec/enable"), !program);
  EXPECT_EQ(&reminder(id), &r); // the same object: nothing was read back
  EXPECT_EQ(listener.calls, QStringList(2, QStringLiteral("updated %1").arg(r.Number)));
  EXPECT_EQ(onDisk(), fileBefore);
  ASSERT_TRUE(model.Store().Save());
  EXPECT_NE(onDisk(), fileBefore);

  EXPECT_FALSE(ToggleReminderAction(model, QStringLiteral("unknown"), TReminderAction::Mail));
  EXPECT_EQ(listener.calls.size(), 2);
}

// --- The editor's save --------------------------------------------------------------------------

TEST_F(ReminderCommands, SavingAChangedReminderWritesItOnceAndTellsItsNumber) {
  const QString id = add("Call Bob");
  const TDataObject *object = &reminder(id);
  const int saves = writes();
  const TEditSaveResult result = SaveEditedReminder(
      model, id, 0, [](TDataObject &r) { r.subject = QStringLiteral("Call Alice"); });
  EXPECT_EQ(result.outcome, TEditSaveOutcome::Saved);
  EXPECT_EQ(result.id, id);
  EXPECT_EQ(&reminder(id), object); // changed in place, nothing read back
  EXPECT_EQ(object->subject, "Call Alice");
  EXPECT_TRUE(onDisk().contains("Call Alice"));
  EXPECT_EQ(writes(), saves + 1);
  EXPECT_EQ(listener.calls, QStringList{QStringLiteral("updated %1").arg(object->Number)});

  // Removed while it was edited: nothing to save into.
  bool filled = false;
  EXPECT_EQ(SaveEditedReminder(model, QStringLiteral("gone"), 0,
                               [&filled](TDataObject &) { filled = true; })
                .outcome,
            TEditSaveOutcome::Gone);
  EXPECT_FALSE(filled);
  EXPECT_EQ(writes(), saves + 1);
  EXPECT_EQ(listener.calls.size(), 1);
}

TEST_F(ReminderCommands, SavingANewReminderGivesItAnIdTheTemplatesScheduleAndAPlaceInTheList) {
  auto templ = TDataObject::Create(NewReminderId);
  templ->SetDefaultSchedule(TRepeatType::Daily);
  templ->repeat.dt = clock.now() + OneHour;
  templ->subject = QStringLiteral("not taken"); // only the bounds and schedule are
  model.SetNewReminderTemplate(std::move(templ));
  const TEditSaveResult result = SaveEditedReminder(model, NewReminderId, 2, [](TDataObject &r) {
    r.SetEnabled(true);
    r.subject = QStringLiteral("Water the plants");
  });
  ASSERT_EQ(result.outcome, TEditSaveOutcome::Saved);
  EXPECT_NE(result.id, NewReminderId);
  const TDataObject &saved = reminder(result.id);
  EXPECT_EQ(saved.subject, "Water the plants");
  EXPECT_EQ(saved.repeat.type, TRepeatType::Daily);
  EXPECT_EQ(saved.repeat.dt, clock.now() + OneHour);
  EXPECT_EQ(saved.createDt, clock.now());
  EXPECT_TRUE(onDisk().contains(result.id.toUtf8()));
  EXPECT_EQ(listener.calls, QStringList{QStringLiteral("updated %1").arg(saved.Number)});
}

TEST_F(ReminderCommands, ANewOnceReminderWhoseMomentPassedFiresNowOnlyWhenOpenedAsOnce) {
  const TDateTime past = clock.now() - OneHour;
  const auto saveNew = [&](int defaultRepeatType, bool enabled) {
    auto templ = TDataObject::Create(NewReminderId);
    templ->SetDefaultSchedule(TRepeatType::Once);
    templ->repeat.dt = past;
    model.SetNewReminderTemplate(std::move(templ));
    const TEditSaveResult result =
        SaveEditedReminder(model, NewReminderId, defaultRepeatType,
                           [enabled](TDataObject &r) { r.SetEnabled(enabled); });
    EXPECT_EQ(result.outcome, TEditSaveOutcome::Saved);
    return reminder(result.id).repeat.dt;
  };
  EXPECT_EQ(saveNew(int(TRepeatType::Once), true), clock.now());
  // Opened as Hourly, as every caller opens new reminders, or disabled: the moment stays.
  EXPECT_EQ(saveNew(int(TRepeatType::Hourly), true), past);
  EXPECT_EQ(saveNew(int(TRepeatType::Once), false), past);

  // A stored reminder keeps its past moment whatever it was opened with.
  const QString stored = add("stored");
  reminder(stored).repeat = {};
  reminder(stored).repeat.type = TRepeatType::Once;
  reminder(stored).repeat.dt = past;
  EXPECT_EQ(SaveEditedReminder(model, stored, int(TRepeatType::Once), {}).outcome,
            TEditSaveOutcome::Saved);
  EXPECT_EQ(reminder(stored).repeat.dt, past);
}

TEST_F(ReminderCommands, ANewReminderWhoseSaveFailsLeavesNoTraceAndAChangedOneKeepsItsChange) {
  model.SetNewReminderTemplate(TDataObject::Create(NewReminderId));
  const QString stored = add("Call Bob");
  const int32_t number = reminder(stored).Number;
  folder.Block();
  EXPECT_EQ(SaveEditedReminder(model, NewReminderId, 2, {}).outcome, TEditSaveOutcome::NotSaved);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("Sorry, can't save file!"));
  QStringList ids;
  model.Store().GetIds(&ids);
  EXPECT_EQ(ids, QStringList{stored}); // no half-made item for a second Ok to twin
  EXPECT_EQ(model.Reminders().Count(), 1);
  EXPECT_TRUE(listener.calls.isEmpty());

  const TEditSaveResult changed = SaveEditedReminder(
      model, stored, 0, [](TDataObject &r) { r.subject = QStringLiteral("Call Alice"); });
  EXPECT_EQ(changed.outcome, TEditSaveOutcome::NotSaved);
  EXPECT_EQ(reminder(stored).subject, "Call Alice");
  EXPECT_EQ(listener.calls, QStringList{QStringLiteral("updated %1").arg(number)});
}
