#include "model/DataObjectStore.h"
#include "imaging/Color.h"
#include "model/LanguageTable.h"
#include "model/Settings.h"
#include "model/XMLStore.h"
#include "platform/Clock.h"
#include "services/UserIdentity.h"
#include "tests/model/FakePictures.h"
#include "tests/model/StoreTestUtil.h"
#include "tests/support/TestModel.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace storetest;

namespace {

const TDateTime Now = EncodeDateTime(2024, 5, 6, 10, 20, 30, 400);
const QString GoldenId = QStringLiteral("6F1C2E3A-1B2C-4D5E-8F90-A1B2C3D4E5F6");
const QString BadId = QStringLiteral("BAD00000-0000-0000-0000-000000000000");
const QString BareId = QStringLiteral("0D0D0D0D-0000-0000-0000-000000000000");

QString goldenFile() { return QStringLiteral(QT_TESTCASE_SOURCEDIR "/data/golden-store.xml"); }

// A fixed clock, language and settings, and a store of the test's own.
class ItemTest : public ::testing::Test {
protected:
  ItemTest() {
    clock.set(Now);
    main.writeString(QStringLiteral("Mail"), QStringLiteral("DefaultFromAddress"),
                     QStringLiteral("default@example.org"));
    LoadLanguageFile(fileWith("[Messages]\r\nNew reminder=Neue Erinnerung\r\n", "de.lng"));
  }

  std::unique_ptr<TDataObject> load(const QString &id) {
    auto o = TDataObject::CreateEmpty(id);
    LoadFromStore(*o);
    return o;
  }
  void useFile(const QString &path) { Store().LoadFromFile(path); }
  // The element names of a path's children in document order.
  QStringList children(const QString &id, const char *path = nullptr) {
    pugi::xml_node n = Store().FindItem(id);
    if (path)
      n = n.first_element_by_path(path);
    QStringList names;
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element)
        names << QString::fromUtf8(c.name());
    return names;
  }

  ManualClock clock;
  ScopedClock useClock{clock};
  ScopedLanguageTable language;
  TestModel testModel;
  TMMemIniFile &main = testModel.mainSettings;
};

void expectDefaultFont(const TFontRec &f) {
  EXPECT_EQ(f.name, QStringLiteral("Default"));
  EXPECT_EQ(f.color, static_cast<int32_t>(clBlack));
  EXPECT_EQ(f.style, 0);
  EXPECT_EQ(f.size, 8);
  EXPECT_EQ(f.charset, 1);
}

void expectPosition(const TPositionRec &p, int l, int t, int w, int h, bool autoSize) {
  EXPECT_EQ(p.left, l);
  EXPECT_EQ(p.top, t);
  EXPECT_EQ(p.width, w);
  EXPECT_EQ(p.height, h);
  EXPECT_EQ(p.autoSize, autoSize);
}

void expectValue(const TValueRec &v, int value, TMeasure measure) {
  EXPECT_EQ(v.value, value);
  EXPECT_EQ(v.measure, measure);
}

} // namespace

TEST_F(ItemTest, AnItemWithOnlyAnIdHasEveryDefault) {
  useFile(goldenFile());
  const auto o = load(BareId);
  const auto fresh = load(QStringLiteral("new")); // no item at all: the same defaults
  for (const TDataObject *r : {o.get(), fresh.get()}) {
    EXPECT_EQ(r->parentId, QString());
    EXPECT_EQ(r->type, 0);
    EXPECT_EQ(r->state, TReminderState::Active);
    EXPECT_EQ(r->createDt, Now);
    EXPECT_EQ(r->lastCloseByUserDt, TDateTime());
    EXPECT_TRUE(r->enable);
    EXPECT_FALSE(r->default_);
    EXPECT_FALSE(r->hintEnable);
    EXPECT_EQ(r->subject, QStringLiteral("Neue Erinnerung"));
    EXPECT_EQ(r->text, QString());
    EXPECT_EQ(r->repeat.type, TRepeatType::Hourly);
    expectValue(r->repeat.value1, 1, TMeasure::Minute);
    expectValue(r->repeat.value2, 0, TMeasure::Minute);
    EXPECT_EQ(r->repeat.dt, Now);
    EXPECT_EQ(r->startBound.type, TStartBoundType::AfterDefinedTime);
    EXPECT_EQ(r->startBound.dt, EncodeDateTime(2024, 5, 6, 10, 0, 0, 0));
    EXPECT_FALSE(r->stopBound.enable);
    EXPECT_EQ(r->stopBound.dt, Now);
    expectValue(r->stopBound.value, 1, TMeasure::Hour);
    EXPECT_FALSE(r->duration.enable);
    expectValue(r->duration.value1, 0, TMeasure::Hour);
    expectValue(r->duration.value2, 10, TMeasure::Minute);
    EXPECT_FALSE(r->remindBefore.enable);
    expectValue(r->remindBefore.value, 10, TMeasure::Minute);
    EXPECT_FALSE(r->remindAfter.enable);
    expectValue(r->remindAfter.value, 5, TMeasure::Minute);
    EXPECT_EQ(r->remindAfter.dtStart, TDateTime());
    EXPECT_EQ(r->remindAfter.dtStop, TDateTime());
    EXPECT_FALSE(r->tray);
    const TStickerRec &s = r->sticker;
    EXPECT_TRUE(s.enable);
    EXPECT_TRUE(s.textAsHintEnable);
    EXPECT_TRUE(s.subjectAsHintEnable);
    EXPECT_TRUE(s.onTop);
    EXPECT_EQ(s.opacity, 0);
    EXPECT_EQ(s.subject.alignment, TStickerTextAlignment::Centre);
    EXPECT_EQ(s.time.alignment, TStickerTextAlignment::Right);
    EXPECT_EQ(s.text.alignment, TStickerTextAlignment::Left);
    EXPECT_EQ(s.date.alignment, TStickerTextAlignment::Left);
    for (const TStickerTextRec *t : {&s.subject, &s.text, &s.time, &s.date}) {
      EXPECT_TRUE(t->enable);
      expectDefaultFont(t->font);
      expectPosition(t->position, 0, 0, 0, 0, true);
    }
    // No stored place: the sticker chooses one (the middle of the screen), not the top left.
    expectPosition(s.position, 0, 0, 0, 0, true);
    EXPECT_FALSE(s.background.transparent);
    EXPECT_EQ(s.background.color, static_cast<int32_t>(clInfoBk));
    EXPECT_FALSE(s.frame.enable);
    EXPECT_EQ(s.frame.color, static_cast<int32_t>(clBlack));
    EXPECT_EQ(s.frame.style, TStickerFrameStyle::Solid);
    for (const TStickerImageRec *i : {&s.image, &s.movingImage}) {
      EXPECT_FALSE(i->enable);
      EXPECT_TRUE(i->transparent);
      expectPosition(i->position, 0, 0, 0, 0, true);
    }
    EXPECT_FALSE(r->mail.enable);
    EXPECT_EQ(r->mail.from, QStringLiteral("default@example.org"));
    EXPECT_EQ(r->mail.to, QString());
    EXPECT_EQ(r->mail.files, QString());
    EXPECT_FALSE(r->sound.enable);
    EXPECT_EQ(r->sound.volume, 100);
    EXPECT_FALSE(r->sound.repeat);
    EXPECT_FALSE(r->shellExec.enable);
    EXPECT_EQ(r->shellExec.flag, TShowFlag::Normal);
  }
}

TEST_F(ItemTest, AHandWrittenItemLoadsEveryElement) {
  useFile(goldenFile());
  const auto o = load(GoldenId);
  EXPECT_EQ(o->parentId, QStringLiteral("{PARENT}"));
  EXPECT_EQ(o->type, 7);
  EXPECT_EQ(o->state, TReminderState::Archive);
  EXPECT_EQ(o->createDt, EncodeDateTime(2023, 1, 2, 3, 4, 5, 6));
  EXPECT_EQ(o->lastCloseByUserDt, EncodeDateTime(2024, 5, 1, 8, 0, 0, 0));
  EXPECT_EQ(o->lastCloseByUserRemindBeforeDt, EncodeDateTime(2024, 5, 1, 7, 50, 0, 0));
  EXPECT_FALSE(o->enable);
  EXPECT_TRUE(o->default_);
  EXPECT_TRUE(o->hintEnable);
  EXPECT_EQ(o->subject, QStringLiteral("Zahnarzt ü 中文 😀"));
  EXPECT_EQ(o->text, QStringLiteral("first line\r\nsecond line"));
  EXPECT_EQ(o->repeat.type, TRepeatType::Weekly);
  expectValue(o->repeat.value1, 2, TMeasure::Week);
  expectValue(o->repeat.value2, 15, TMeasure::Minute);
  EXPECT_EQ(o->repeat.dt, EncodeDateTime(2024, 5, 6, 9, 30, 0, 0));
  EXPECT_EQ(o->repeat.days, QStringLiteral("(1)(3)(5)"));
  EXPECT_EQ(o->startBound.type, TStartBoundType::AfterDefinedDateTime);
  EXPECT_EQ(o->startBound.dt, EncodeDate(2024, 1, 1));
  EXPECT_TRUE(o->stopBound.enable);
  EXPECT_EQ(o->stopBound.type, TStopBoundType::WithinDailyLimits);
  EXPECT_EQ(o->stopBound.dt, EncodeDateTime(2025, 12, 31, 23, 59, 59, 999));
  expectValue(o->stopBound.value, 4, TMeasure::Hour);
  EXPECT_TRUE(o->duration.enable);
  expectValue(o->duration.value1, 1, TMeasure::Hour);
  expectValue(o->duration.value2, 30, TMeasure::Minute);
  EXPECT_TRUE(o->remindBefore.enable);
  expectValue(o->remindBefore.value, 2, TMeasure::Day);
  EXPECT_TRUE(o->remindAfter.enable);
  expectValue(o->remindAfter.value, 7, TMeasure::Minute);
  EXPECT_EQ(o->remindAfter.dtStart, EncodeDateTime(2024, 5, 6, 11, 0, 0, 0));
  EXPECT_EQ(o->remindAfter.dtStop, EncodeDateTime(2024, 5, 6, 12, 0, 0, 0));
  EXPECT_TRUE(o->tray);

  const TStickerRec &s = o->sticker;
  EXPECT_FALSE(s.enable);
  EXPECT_FALSE(s.textAsHintEnable);
  EXPECT_FALSE(s.subjectAsHintEnable);
  EXPECT_FALSE(s.onTop);
  EXPECT_EQ(s.opacity, 35);
  EXPECT_FALSE(s.text.enable);
  EXPECT_EQ(s.text.alignment, TStickerTextAlignment::Centre);
  EXPECT_EQ(s.text.font.name, QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(s.text.font.color, static_cast<int32_t>(clRed));
  EXPECT_EQ(s.text.font.style, FontStyleBold | FontStyleUnderline);
  EXPECT_EQ(s.text.font.size, 12);
  EXPECT_EQ(s.text.font.charset, 204);
  expectPosition(s.text.position, 1, 2, 3, 4, false);
  EXPECT_EQ(s.subject.alignment, TStickerTextAlignment::Left);
  EXPECT_EQ(s.subject.font.color, 0x00FF8000);
  EXPECT_EQ(s.subject.font.style, FontStyleItalic | FontStyleStrikeout);
  expectPosition(s.subject.position, 5, 6, 7, 8, true);
  EXPECT_FALSE(s.time.enable);
  EXPECT_EQ(s.time.font.color, static_cast<int32_t>(clWindowText));
  EXPECT_EQ(s.date.alignment, TStickerTextAlignment::Right);
  EXPECT_EQ(s.date.font.style, 15);
  EXPECT_EQ(s.date.font.charset, 238);
  expectPosition(s.date.position, -5, -6, 70, 80, false);
  expectPosition(s.position, 100, 200, 300, 150, false);
  EXPECT_TRUE(s.background.transparent);
  EXPECT_EQ(s.background.color, static_cast<int32_t>(clMoneyGreen));
  EXPECT_TRUE(s.frame.enable);
  EXPECT_EQ(s.frame.color, static_cast<int32_t>(clNavy));
  EXPECT_EQ(s.frame.style, TStickerFrameStyle::None);
  EXPECT_TRUE(s.image.enable);
  EXPECT_FALSE(s.image.transparent);
  expectPosition(s.image.position, 10, 20, 30, 40, false);
  EXPECT_TRUE(s.movingImage.enable);
  expectPosition(s.movingImage.position, 50, 60, 70, 80, true);

  EXPECT_TRUE(o->mail.enable);
  EXPECT_EQ(o->mail.to, QStringLiteral("a@example.org"));
  EXPECT_EQ(o->mail.from, QStringLiteral("me@example.org"));
  EXPECT_EQ(o->mail.cc, QStringLiteral("c@example.org"));
  EXPECT_EQ(o->mail.bcc, QStringLiteral("b@example.org"));
  EXPECT_EQ(o->mail.files, QStringLiteral("\"/tmp/a b.txt\",/tmp/c.txt"));
  EXPECT_TRUE(o->sound.enable);
  EXPECT_EQ(o->sound.fileName, QStringLiteral("/usr/share/sounds/bell.wav"));
  EXPECT_EQ(o->sound.volume, 40);
  EXPECT_TRUE(o->sound.repeat);
  EXPECT_TRUE(o->shellExec.enable);
  EXPECT_EQ(o->shellExec.fileName, QStringLiteral("/usr/bin/xterm"));
  EXPECT_EQ(o->shellExec.params, QStringLiteral("-e top"));
  EXPECT_EQ(o->shellExec.folder, QStringLiteral("/tmp"));
  EXPECT_EQ(o->shellExec.flag, TShowFlag::Maximized);
}

TEST_F(ItemTest, BadValuesGiveTheirDefaultsAndTheRestStillLoads) {
  useFile(goldenFile());
  const auto o = load(BadId);
  EXPECT_EQ(o->type, 0);
  EXPECT_EQ(o->state, TReminderState::Active);
  EXPECT_FALSE(o->enable); // "yes" is not "true"
  EXPECT_FALSE(o->tray);   // an empty element is false
  EXPECT_EQ(o->subject, QStringLiteral("still loads"));
  EXPECT_EQ(o->repeat.type, TRepeatType::Hourly);
  expectValue(o->repeat.value1, 1, TMeasure::Minute);
  EXPECT_EQ(o->repeat.dt, Now);
  EXPECT_EQ(o->sticker.opacity, 12);
  EXPECT_EQ(o->sticker.background.color, static_cast<int32_t>(clInfoBk));
  EXPECT_EQ(o->sticker.frame.color, static_cast<int32_t>(clBlack));
  EXPECT_EQ(o->sticker.text.font.color, static_cast<int32_t>(clBlack));
  EXPECT_EQ(o->sticker.text.font.size, 8);
  EXPECT_EQ(o->sound.volume, 100);
  const TStickerImages images = LoadStickerImages(*o);
  EXPECT_FALSE(images.image);
  EXPECT_FALSE(images.movingImage);
  // The item after the bad one loads as well.
  EXPECT_EQ(load(GoldenId)->type, 7);
}

TEST_F(ItemTest, RemindAfterSurvivesALoadOnlyWhileItsWindowLiesAhead) {
  const auto o = TDataObject::CreateEmpty(QStringLiteral("new"));
  LoadFromStore(*o);
  auto reload = [&](TDateTime start, TDateTime stop) {
    o->remindAfter.enable = true;
    o->remindAfter.dtStart = start;
    o->remindAfter.dtStop = stop;
    SaveToStore(*o, true);
    auto back = load(o->Id);
    return back->remindAfter;
  };
  TRemindAfterRec r = reload(Now - OneMillisecond, Now + OneHour);
  EXPECT_FALSE(r.enable);
  EXPECT_EQ(r.dtStart, TDateTime());
  EXPECT_EQ(r.dtStop, TDateTime());
  r = reload(Now, Now + OneHour);
  EXPECT_FALSE(r.enable);
  r = reload(Now + OneMinute, TDateTime());
  EXPECT_FALSE(r.enable);
  r = reload(Now + OneMillisecond, Now + OneHour);
  EXPECT_TRUE(r.enable);
  EXPECT_EQ(r.dtStart, Now + OneMillisecond);
  EXPECT_EQ(r.dtStop, Now + OneHour);
}

// A firing is remembered in the file: a restart inside its window does not fire the run again,
// while an item without the element (an older file) fires as before.
TEST_F(ItemTest, ARunThatFiredDoesNotFireAgainAfterAReload) {
  const auto o = TDataObject::CreateEmpty(QStringLiteral("new"));
  LoadFromStore(*o);
  o->repeat.type = TRepeatType::Once;
  o->repeat.dt = Now - OneSecond;
  o->duration.enable = true;
  o->duration.value2.value = 10; // minutes
  SaveToStore(*o, true);
  // After a restart, the runtime has no firing of the reminder: the empty state.
  const TFiringState restarted;
  EXPECT_TRUE(load(o->Id)->CheckDue(restarted, Now, false).fire);
  TFiringState firing;
  o->BeginFiring(firing, TFireKind::Main, o->repeat.dt, Now, false);
  SaveToStore(*o, true);
  const auto back = load(o->Id);
  EXPECT_EQ(back->LastRunDue, o->repeat.dt);
  EXPECT_FALSE(back->CheckDue(restarted, Now + OneMinute, false).fire);
}

// The warned run and the close of the last firing reach the file; older items lack both: no
// warning was given, and the firing they name is taken as closed (nothing comes back).
TEST_F(ItemTest, TheWarnedRunAndTheLastCloseAreStoredAndOlderItemsReadWithout) {
  const auto o = TDataObject::CreateEmpty(QStringLiteral("new"));
  LoadFromStore(*o);
  SaveToStore(*o, true);
  ASSERT_TRUE(Store().SelectItem(o->Id));
  EXPECT_FALSE(Store().ReadString(QStringLiteral("warnedRunDt"), {}).size());
  EXPECT_FALSE(Store().ReadString(QStringLiteral("lastRunClosedDt"), {}).size());
  o->LastRunDue = Now - OneMinute;
  o->WarnedRun = Now + OneHour;
  SaveToStore(*o, true);
  auto back = load(o->Id);
  EXPECT_EQ(back->WarnedRun, Now + OneHour);
  EXPECT_EQ(back->LastRunClosed, TDateTime()); // under way
  EXPECT_NE(back->UnclosedRunAt(Now), TDataObject::TUnclosed::None);

  ASSERT_TRUE(Store().SelectItem(o->Id));
  Store().RemoveNode(QStringLiteral("lastRunClosedDt"));
  Store().RemoveNode(QStringLiteral("warnedRunDt"));
  back = load(o->Id);
  EXPECT_EQ(back->WarnedRun, TDateTime());
  EXPECT_EQ(back->LastRunClosed, Now - OneMinute);
  EXPECT_EQ(back->UnclosedRunAt(Now), TDataObject::TUnclosed::None);
}

TEST_F(ItemTest, ColoursAreWrittenByNameOrAsEightHexDigits) {
  auto o = load(QStringLiteral("new"));
  o->sticker.background.color = static_cast<int32_t>(clInfoBk);
  o->sticker.frame.color = 0x00FF8000;
  o->sticker.text.font.color = 0x00ABCDEF;
  SaveToStore(*o, true);
  ASSERT_TRUE(Store().SelectItem(o->Id));
  EXPECT_EQ(Store().ReadString("sticker/background/color", {}), QStringLiteral("clInfoBk"));
  EXPECT_EQ(Store().ReadString("sticker/frame/color", {}), QStringLiteral("$00FF8000"));
  EXPECT_EQ(Store().ReadString("sticker/text/font/color", {}), QStringLiteral("$00ABCDEF"));
  EXPECT_EQ(Store().ReadString("sticker/subject/font/color", {}), QStringLiteral("clBlack"));
  const auto back = load(o->Id);
  EXPECT_EQ(back->sticker.background.color, static_cast<int32_t>(clInfoBk));
  EXPECT_EQ(back->sticker.frame.color, 0x00FF8000);
}

TEST_F(ItemTest, SavingANewReminderCreatesItsItemWithAllElementsInOrder) {
  auto o = load(QStringLiteral("new"));
  clock.advanceMs(5000);
  SaveToStore(*o, true);
  ASSERT_EQ(o->Id.size(), 36);
  EXPECT_EQ(o->Id, o->Id.toUpper());
  EXPECT_EQ(o->createDt, Now + 5 * OneSecond);
  const pugi::xml_node item = Store().FindItem(o->Id);
  ASSERT_TRUE(item);
  EXPECT_STREQ(item.first_attribute().name(), "id");
  EXPECT_EQ(QString::fromUtf8(item.attribute("user").value()), GetLoginUserName());
  const QStringList top = {"parentId",
                           "type",
                           "state",
                           "createDt",
                           "lastCloseByUserDt",
                           "lastCloseByUserRemindBeforeDt",
                           "enable",
                           "default",
                           "hintEnable",
                           "subject",
                           "text",
                           "repeat",
                           "startBound",
                           "stopBound",
                           "duration",
                           "remindBefore",
                           "remindAfter",
                           "tray",
                           "sticker",
                           "mail",
                           "sound",
                           "shellExec"};
  EXPECT_EQ(children(o->Id), top);
  EXPECT_EQ(children(o->Id, "sticker"),
            (QStringList{"enable", "textAsHintEnable", "subjectAsHintEnable", "onTop", "opacity",
                         "text", "subject", "time", "date", "position", "background", "frame",
                         "image", "movingImage"}));
  EXPECT_EQ(children(o->Id, "sticker/time"),
            (QStringList{"enable", "alignment", "font", "position"}));
  EXPECT_EQ(children(o->Id, "sticker/time/font"),
            (QStringList{"name", "color", "styleBold", "styleItalic", "styleUnderline",
                         "styleStrikeout", "size", "charset"}));
  EXPECT_EQ(children(o->Id, "sticker/image"), (QStringList{"enable", "transparent", "position"}));
  EXPECT_EQ(children(o->Id, "sticker/position"),
            (QStringList{"left", "top", "width", "height", "autoSize"}));
  EXPECT_EQ(children(o->Id, "repeat"), (QStringList{"type", "value1", "value2", "dt", "days"}));
  EXPECT_EQ(children(o->Id, "mail"), (QStringList{"enable", "to", "from", "cc", "bcc", "files"}));
  EXPECT_EQ(children(o->Id, "shellExec"),
            (QStringList{"enable", "fileName", "params", "folder", "flag"}));
  EXPECT_EQ(Store().ReadString("createDt", {}), QStringLiteral("2024-05-06T10:20:35.400"));
  EXPECT_EQ(Store().ReadString("lastCloseByUserDt", {}), QStringLiteral("1899-12-30T00:00:00.000"));

  // A second save rewrites the texts in place.
  const size_t elements = item.select_nodes(".//*").size();
  o->subject = QStringLiteral("changed");
  o->sticker.position.left = 77;
  SaveToStore(*o, true);
  EXPECT_EQ(children(o->Id), top);
  EXPECT_EQ(item.select_nodes(".//*").size(), elements);
  EXPECT_STREQ(item.child_value("subject"), "changed");
}

TEST_F(ItemTest, TheEditorsSaveOrderPutsThePicturesFirst) {
  auto o = load(QStringLiteral("new"));
  AssignNewId(*o);
  const QString id = o->Id;
  AssignNewId(*o); // only once
  EXPECT_EQ(o->Id, id);
  TOpaqueGraphic icon(QStringLiteral("Icon"), QByteArray(10, 'i'));
  TOpaqueGraphic gif(QStringLiteral("GIFImage"), QByteArray("GIF89a"));
  TOpaqueGraphic picture(QStringLiteral("JPEGImage"), QByteArray(50, 'j'));
  SaveIcon(*o, nullptr, &icon);
  SaveStickerImages(*o, &gif, &picture);
  SaveToStore(*o, true);
  const QStringList top = children(id);
  ASSERT_GE(top.size(), 3);
  EXPECT_EQ(top.mid(0, 3), (QStringList{"icon", "sticker", "parentId"}));
  EXPECT_EQ(children(id, "sticker").mid(0, 3), (QStringList{"movingImage", "image", "enable"}));
  const TStickerImages images = LoadStickerImages(*o);
  ASSERT_TRUE(images.movingImage && images.image);
  EXPECT_EQ(images.movingImage->saveToBytes(), QByteArray("GIF89a"));
  EXPECT_EQ(images.image->saveToBytes(), QByteArray(50, 'j'));
  // Saving no pictures removes them.
  SaveStickerImages(*o, nullptr, nullptr);
  EXPECT_FALSE(LoadStickerImages(*o).image);
  EXPECT_FALSE(Store().FindItem(id).first_element_by_path("sticker/image/graphics"));
}

TEST_F(ItemTest, TextKeepsItsCrLfLineBreaksThroughTheFile) {
  auto o = load(QStringLiteral("new"));
  o->text = QStringLiteral("a\r\nb\nc\rd");
  SaveToStore(*o, true);
  const QString path = sandbox::makeTempDir("crlf") + "/data.xml";
  ASSERT_TRUE(Store().SaveToFile(path));
  useFile(path);
  auto back = load(o->Id);
  EXPECT_EQ(back->text, QStringLiteral("a\r\nb\r\nc\r\nd"));
  // The document holds it as the parser gives it back, and the file as CR LF.
  SaveToStore(*back, true);
  ASSERT_TRUE(Store().SelectItem(o->Id));
  EXPECT_EQ(Store().ReadString("text", {}), QStringLiteral("a\nb\nc\nd"));
  ASSERT_TRUE(Store().SaveToFile(path));
  EXPECT_TRUE(readFile(path).contains("<text>a\r\nb\r\nc\r\nd</text>"));
}

TEST_F(ItemTest, SavingAReminderWithoutItemWritesNothing) {
  const QString path = fileWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><root/>");
  useFile(path);
  auto o = load(QStringLiteral("0F0F0F0F-0000-0000-0000-000000000000"));
  SaveToStore(*o);
  EXPECT_EQ(readFile(path), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><root/>"));
  QStringList ids;
  Store().GetIds(&ids);
  EXPECT_TRUE(ids.isEmpty());
  // With an item, the save reaches the file unless told otherwise.
  auto n = load(QStringLiteral("new"));
  SaveToStore(*n, true);
  EXPECT_FALSE(readFile(path).contains("<item"));
  SaveToStore(*n);
  EXPECT_TRUE(readFile(path).contains(n->Id.toUtf8()));
}

TEST_F(ItemTest, TheStoreLoaderFillsCreatedReminders) {
  useFile(goldenFile());
  SetDataObjectLoader(nullptr);
  InstallStoreLoader();
  EXPECT_EQ(TDataObject::Create(GoldenId)->type, 7);
}

namespace {

// Every stored field away from its default.
void fillAll(TDataObject &o) {
  o.parentId = QStringLiteral("{PARENT-ID}");
  o.type = 3;
  o.state = TReminderState::Trash;
  o.createDt = EncodeDateTime(2020, 2, 29, 23, 59, 59, 999);
  o.lastCloseByUserDt = EncodeDateTime(2024, 5, 6, 9, 0, 0, 1);
  o.lastCloseByUserRemindBeforeDt = EncodeDateTime(1, 1, 1, 0, 0, 0, 0);
  o.enable = false;
  o.default_ = true;
  o.hintEnable = true;
  o.subject = QStringLiteral("ü 中文 😀 <&> \"'");
  o.text = QStringLiteral("line 1\r\n\r\n  line 3 \t");
  o.repeat = {TRepeatType::Annually,
              {3, TMeasure::Year},
              {45, TMeasure::Hour},
              EncodeDateTime(2024, 12, 24, 18, 0, 0, 0),
              QStringLiteral("(1)(366)")};
  o.startBound = {TStartBoundType::AfterWindowsStart, EncodeDate(2024, 2, 1)};
  o.stopBound = {true, TStopBoundType::UntilYearEnd, EncodeDate(2030, 1, 1), {9, TMeasure::Day}};
  o.duration = {true, {2, TMeasure::Hour}, {15, TMeasure::Minute}};
  o.remindBefore = {true, {3, TMeasure::Week}};
  o.remindAfter = {true, {20, TMeasure::Month}, Now + OneHour, Now + OneDay};
  o.tray = true;
  TStickerRec &s = o.sticker;
  s.enable = false;
  s.onTop = false;
  s.opacity = 60;
  s.subjectAsHintEnable = false;
  s.textAsHintEnable = false;
  int n = 0;
  for (TStickerTextRec *t : {&s.subject, &s.text, &s.date, &s.time}) {
    ++n;
    t->enable = n % 2 == 0;
    t->font = {QStringLiteral("Font %1").arg(n), n * 3 % 16, 0x00102030 * n, 6 + n, 200 + n};
    t->alignment = static_cast<TStickerTextAlignment>(n % 3);
    t->position = {n, -n, 10 * n, 20 * n, n % 2 == 1};
  }
  s.image = {true, false, {1, 2, 3, 4, false}};
  s.movingImage = {true, false, {5, 6, 7, 8, false}};
  s.frame = {true, TStickerFrameStyle::None, static_cast<int32_t>(clHighlight)};
  s.position = {-100, 2000, 640, 480, false};
  s.background = {true, 0x00123456};
  o.mail = {true,
            QStringLiteral("to@x"),
            QStringLiteral("from@x"),
            QStringLiteral("cc@x"),
            QStringLiteral("bcc@x"),
            QStringLiteral("a.txt,\"b c.txt\"")};
  o.sound = {true, 0, QStringLiteral("/s/b.ogg"), true};
  o.shellExec = {true, QStringLiteral("/bin/true"), QStringLiteral("--x"), QStringLiteral("/"),
                 TShowFlag::Minimized};
}

void expectSameText(const TStickerTextRec &a, const TStickerTextRec &b) {
  EXPECT_EQ(a.enable, b.enable);
  EXPECT_EQ(a.alignment, b.alignment);
  EXPECT_EQ(a.font.name, b.font.name);
  EXPECT_EQ(a.font.style, b.font.style);
  EXPECT_EQ(a.font.color, b.font.color);
  EXPECT_EQ(a.font.size, b.font.size);
  EXPECT_EQ(a.font.charset, b.font.charset);
  expectPosition(b.position, a.position.left, a.position.top, a.position.width, a.position.height,
                 a.position.autoSize);
}

void expectSameStored(const TDataObject &a, const TDataObject &b) {
  EXPECT_EQ(a.Id, b.Id);
  EXPECT_EQ(a.parentId, b.parentId);
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.state, b.state);
  EXPECT_EQ(a.createDt, b.createDt);
  EXPECT_EQ(a.lastCloseByUserDt, b.lastCloseByUserDt);
  EXPECT_EQ(a.lastCloseByUserRemindBeforeDt, b.lastCloseByUserRemindBeforeDt);
  EXPECT_EQ(a.enable, b.enable);
  EXPECT_EQ(a.default_, b.default_);
  EXPECT_EQ(a.hintEnable, b.hintEnable);
  EXPECT_EQ(a.subject, b.subject);
  EXPECT_EQ(a.text, b.text);
  EXPECT_EQ(a.repeat.type, b.repeat.type);
  expectValue(b.repeat.value1, a.repeat.value1.value, a.repeat.value1.measure);
  expectValue(b.repeat.value2, a.repeat.value2.value, a.repeat.value2.measure);
  EXPECT_EQ(a.repeat.dt, b.repeat.dt);
  EXPECT_EQ(a.repeat.days, b.repeat.days);
  EXPECT_EQ(a.startBound.type, b.startBound.type);
  EXPECT_EQ(a.startBound.dt, b.startBound.dt);
  EXPECT_EQ(a.stopBound.enable, b.stopBound.enable);
  EXPECT_EQ(a.stopBound.type, b.stopBound.type);
  EXPECT_EQ(a.stopBound.dt, b.stopBound.dt);
  expectValue(b.stopBound.value, a.stopBound.value.value, a.stopBound.value.measure);
  EXPECT_EQ(a.duration.enable, b.duration.enable);
  expectValue(b.duration.value1, a.duration.value1.value, a.duration.value1.measure);
  expectValue(b.duration.value2, a.duration.value2.value, a.duration.value2.measure);
  EXPECT_EQ(a.remindBefore.enable, b.remindBefore.enable);
  expectValue(b.remindBefore.value, a.remindBefore.value.value, a.remindBefore.value.measure);
  EXPECT_EQ(a.remindAfter.enable, b.remindAfter.enable);
  expectValue(b.remindAfter.value, a.remindAfter.value.value, a.remindAfter.value.measure);
  EXPECT_EQ(a.remindAfter.dtStart, b.remindAfter.dtStart);
  EXPECT_EQ(a.remindAfter.dtStop, b.remindAfter.dtStop);
  EXPECT_EQ(a.tray, b.tray);
  const TStickerRec &s = a.sticker, &t = b.sticker;
  EXPECT_EQ(s.enable, t.enable);
  EXPECT_EQ(s.onTop, t.onTop);
  EXPECT_EQ(s.opacity, t.opacity);
  EXPECT_EQ(s.subjectAsHintEnable, t.subjectAsHintEnable);
  EXPECT_EQ(s.textAsHintEnable, t.textAsHintEnable);
  expectSameText(s.subject, t.subject);
  expectSameText(s.text, t.text);
  expectSameText(s.date, t.date);
  expectSameText(s.time, t.time);
  for (auto [x, y] : {std::pair{&s.image, &t.image}, {&s.movingImage, &t.movingImage}}) {
    EXPECT_EQ(x->enable, y->enable);
    EXPECT_EQ(x->transparent, y->transparent);
    expectPosition(y->position, x->position.left, x->position.top, x->position.width,
                   x->position.height, x->position.autoSize);
  }
  EXPECT_EQ(s.frame.enable, t.frame.enable);
  EXPECT_EQ(s.frame.style, t.frame.style);
  EXPECT_EQ(s.frame.color, t.frame.color);
  expectPosition(t.position, s.position.left, s.position.top, s.position.width, s.position.height,
                 s.position.autoSize);
  EXPECT_EQ(s.background.transparent, t.background.transparent);
  EXPECT_EQ(s.background.color, t.background.color);
  EXPECT_EQ(a.mail.enable, b.mail.enable);
  EXPECT_EQ(a.mail.to, b.mail.to);
  EXPECT_EQ(a.mail.from, b.mail.from);
  EXPECT_EQ(a.mail.cc, b.mail.cc);
  EXPECT_EQ(a.mail.bcc, b.mail.bcc);
  EXPECT_EQ(a.mail.files, b.mail.files);
  EXPECT_EQ(a.sound.enable, b.sound.enable);
  EXPECT_EQ(a.sound.volume, b.sound.volume);
  EXPECT_EQ(a.sound.fileName, b.sound.fileName);
  EXPECT_EQ(a.sound.repeat, b.sound.repeat);
  EXPECT_EQ(a.shellExec.enable, b.shellExec.enable);
  EXPECT_EQ(a.shellExec.fileName, b.shellExec.fileName);
  EXPECT_EQ(a.shellExec.params, b.shellExec.params);
  EXPECT_EQ(a.shellExec.folder, b.shellExec.folder);
  EXPECT_EQ(a.shellExec.flag, b.shellExec.flag);
}

} // namespace

TEST_F(ItemTest, AStoreWrittenAndReadBackGivesEqualReminders) {
  std::vector<std::unique_ptr<TDataObject>> written;
  for (int i = 0; i < 3; ++i) {
    written.push_back(load(QStringLiteral("new")));
    if (i != 1)
      fillAll(*written.back()); // the middle one keeps every default
    written.back()->subject += QString::number(i);
    SaveToStore(*written.back(), true);
  }
  const QString path = sandbox::makeTempDir("roundtrip") + "/data.xml";
  ASSERT_TRUE(Store().SaveToFile(path));
  useFile(path);
  QStringList ids;
  Store().GetIds(&ids);
  ASSERT_EQ(ids.size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ids[i], written[i]->Id);
    expectSameStored(*written[i], *load(ids[i]));
  }
}

namespace {

// Every level of the item turned about: its elements in reverse order behind an unknown element
// and a comment, and after them a second element of each name whose values all differ.
void scramble(pugi::xml_node node) {
  std::vector<pugi::xml_node> elements;
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element)
      elements.push_back(c);
  if (elements.empty())
    return; // a value: its text stays as it is
  for (pugi::xml_node e : elements) {
    scramble(e);
    node.prepend_move(e);
  }
  for (pugi::xml_node e : elements) {
    pugi::xml_node second = node.append_copy(e);
    for (const pugi::xpath_node &t : second.select_nodes(".//text()")) {
      const std::string v = t.node().value();
      t.node().set_value(v == "true" ? "false" : v == "false" ? "true" : ("1" + v).c_str());
    }
  }
  node.prepend_child(pugi::node_comment).set_value("note");
  node.prepend_child("unknown").text().set("1");
}

} // namespace

TEST_F(ItemTest, AnItemReadsTheSameInAnyOrderWithUnknownAndRepeatedElements) {
  useFile(goldenFile());
  const auto golden = load(GoldenId);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(goldenFile().toUtf8().constData(),
                            pugi::parse_default | pugi::parse_ws_pcdata));
  pugi::xml_node item = doc.document_element().find_child_by_attribute(
      "item", "id", ('{' + GoldenId + '}').toUtf8().constData());
  ASSERT_TRUE(item);
  scramble(item);
  std::ostringstream text;
  doc.save(text, "", pugi::format_raw);
  useFile(fileWith(QByteArray::fromStdString(text.str())));
  expectSameStored(*golden, *load(GoldenId));
}

TEST_F(ItemTest, OnlyTheFirstElementOfANameCountsEvenWhenALaterOneHasMore) {
  useFile(fileWith("<root><item id=\"{A}\"><?enable false?><sticker><onTop>false</onTop></sticker>"
                   "<sticker><opacity>50</opacity><onTop>true</onTop></sticker>"
                   "<repeat><value1><measure>3</measure></value1><value1><value>9</value>"
                   "</value1></repeat><subject>x</subject><subject>y</subject></item></root>"));
  const auto o = load(QStringLiteral("A"));
  EXPECT_TRUE(o->enable); // a processing instruction is no element
  EXPECT_FALSE(o->sticker.onTop);
  EXPECT_EQ(o->sticker.opacity, 0);
  expectValue(o->repeat.value1, 1, TMeasure::Week);
  EXPECT_EQ(o->subject, QStringLiteral("x"));
}
