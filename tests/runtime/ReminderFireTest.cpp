#include "RuntimeFixture.h"

#include "model/LogFile.h"
#include "model/Model.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/UserData.h"
#include "services/SmtpMailSender.h"
#include "tests/support/SilentListener.h"

#include <QElapsedTimer>

namespace runtimetest {
namespace {

using ReminderFire = RuntimeTest;

TEST_F(ReminderFire, OnceFiresInItsOwnSecondWithEveryAction) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.mail.enable = true;
  r.mail.to = QStringLiteral("bob@example.org");
  r.mail.from = QStringLiteral("anna@example.org");
  r.shellExec.enable = true;
  r.shellExec.fileName = QStringLiteral("/bin/true");
  r.shellExec.params = QStringLiteral("a b");
  const int32_t n = r.Number;

  ticker.Tick(); // 08:59:59.600
  EXPECT_FALSE(firing(r).firing);
  EXPECT_TRUE(logLines().isEmpty());

  tickAfter(1000); // 09:00:00.600
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::Main);
  EXPECT_EQ(firing(r).fireTime, at(9, 0));
  ASSERT_TRUE(runtime->WaitForMail(std::chrono::seconds(5)));
  ASSERT_EQ(mailer.messages.size(), 1u);
  EXPECT_EQ(mailer.messages[0].to, QStringLiteral("bob@example.org"));
  EXPECT_EQ(mailer.messages[0].subject, QStringLiteral("Call Bob"));
  EXPECT_EQ(mailer.servers[0].host, QStringLiteral("smtp.example.org"));
  EXPECT_EQ(mailer.servers[0].port, 25);
  // The parameters "a b" are two arguments, as a shell splits them.
  EXPECT_EQ(launcher.started, QStringList{QStringLiteral("/bin/true|a|b")});
  EXPECT_EQ(updates(n), 1);
  EXPECT_EQ(fileWrites(), 1); // the fired run reaches the file at once
  EXPECT_EQ(onFile(r)->LastRunDue, at(9, 0));
  EXPECT_EQ(outputs.liveStickers(n), 1);
  EXPECT_EQ(outputs.liveTrayIcons(n), 1);
  ASSERT_EQ(outputs.sounds.size(), 1u);
  EXPECT_EQ(outputs.sounds[0]->file, soundFile);
  EXPECT_EQ(outputs.sounds[0]->volume, 700);
  EXPECT_EQ(outputs.sounds[0]->notify, masterWindow.handle);

  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 1);
  const QStringList f = fields(lines[0]);
  ASSERT_EQ(f.size(), 12);
  EXPECT_EQ(f[0], QStringLiteral("05.03.24    09:00:00"));
  EXPECT_EQ(f[2], QStringLiteral("Anna Lee"));
  EXPECT_EQ(f[3], QStringLiteral("Start"));
  EXPECT_EQ(f[4], QStringLiteral("Call Bob"));
  EXPECT_EQ(f.mid(5, 5), (QStringList{"Sticker", "Ico", "Sound", "Mail", "ShellExec"}));
  EXPECT_EQ(f[10], QStringLiteral("Bring the papers"));
  EXPECT_EQ(f[11], r.Id);

  // Later ticks of the same firing do nothing more.
  tickAfter(1000);
  EXPECT_EQ(mailer.messages.size(), 1u);
  EXPECT_EQ(logLines().size(), 1);
  EXPECT_EQ(outputs.stickers.size(), 1u);
}

TEST_F(ReminderFire, ATickThatStepsOverTheSecondMissesTheReminder) {
  TDataObject &r = list.add(once(at(9, 0)));
  tickAfter(2000); // 09:00:01.600
  EXPECT_FALSE(firing(r).firing);
  EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(ReminderFire, MailAndProgramOnlyForTheMainEventAndNeverInDemoMode) {
  TDataObject &r = list.add(once(at(9, 10)));
  r.mail.enable = true;
  r.mail.to = QStringLiteral("bob@example.org");
  r.shellExec.enable = true;
  r.shellExec.fileName = QStringLiteral("/bin/true");
  r.remindBefore.enable = true;
  r.remindBefore.value = {5, TMeasure::Minute};

  clock.set(at(9, 5, 0, 100));
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindBefore);
  EXPECT_TRUE(mailer.messages.empty());
  EXPECT_TRUE(launcher.started.isEmpty());
  EXPECT_EQ(logLines().size(), 1); // the warning is logged all the same

  TDataObject &demo = list.add(once(at(11, 0)));
  demo.mail = r.mail;
  demo.shellExec = r.shellExec;
  SetDemoMode(true);
  ticker.Tick();
  EXPECT_TRUE(firing(demo).firing);
  EXPECT_TRUE(firing(demo).firedInDemo);
  EXPECT_TRUE(mailer.messages.empty());
  EXPECT_TRUE(launcher.started.isEmpty());
  EXPECT_EQ(logLines().size(), 2);
}

// Before, a demonstration was logged at the reminder's next run, a moment still to come.
TEST_F(ReminderFire, ADemonstrationIsLoggedAtTheMomentItShowed) {
  TDataObject &r = list.add(once(at(11, 0)));
  clock.set(at(9, 5, 0, 100));
  SetDemoMode(true);
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  ASSERT_TRUE(firing(r).firedInDemo);
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 1);
  const QStringList f = fields(lines[0]);
  EXPECT_EQ(f.value(0), QStringLiteral("05.03.24    09:05:00"));
  EXPECT_EQ(FromDays(f.value(1).toDouble()), at(9, 5, 0, 100));
  EXPECT_EQ(f.value(11), r.Id);
}

TEST_F(ReminderFire, PlaceholderOrEmptyAddressesSendNothingAndTheLogKeepsTheText) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.mail.enable = true;
  r.mail.to = QString(PlaceholderMailFrom);
  TFiringState byHand; // a main-event firing, so each case can be checked alone
  byHand.firing = true;
  EXPECT_FALSE(runtime->SendReminderMail(r, byHand));
  r.mail.to.clear();
  EXPECT_FALSE(runtime->SendReminderMail(r, byHand));
  r.mail.to = QStringLiteral("bob@example.org");
  mainSettings.writeString(QStringLiteral("Mail"), QStringLiteral("Host"),
                           QString(PlaceholderMailHost));
  EXPECT_FALSE(runtime->SendReminderMail(r, byHand));
  mainSettings.writeString(QStringLiteral("Mail"), QStringLiteral("Host"), QString());
  EXPECT_FALSE(runtime->SendReminderMail(r, byHand));
  EXPECT_TRUE(mailer.messages.empty());

  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  EXPECT_EQ(fields(logLines().value(0)).value(10), QStringLiteral("Bring the papers"));
}

TEST_F(ReminderFire, AFailedMailGoesIntoTheLogLineAndTheFiringGoesOn) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.mail.enable = true;
  r.mail.to = QStringLiteral("bob@example.org");
  mainSettings.writeString(QStringLiteral("Mail"), QStringLiteral("Port"), QStringLiteral("587"));
  mailer.failWith = QStringLiteral("550 mailbox unavailable");
  tickAfter(1000);
  EXPECT_TRUE(firing(r).firing);
  ASSERT_TRUE(runtime->WaitForMail(std::chrono::seconds(5)));
  ASSERT_EQ(mailer.servers.size(), 1u);
  EXPECT_EQ(mailer.servers[0].port, 587);
  EXPECT_EQ(fields(logLines().value(0)).value(10),
            QStringLiteral("Sorry, email was not sent! Error: 550 mailbox unavailable"));
  EXPECT_EQ(outputs.liveStickers(r.Number), 1);
}

// The mail goes out on a worker: a server that never answers holds up neither the tick nor the
// next reminder, and its time-out still ends in the firing's log line.
TEST_F(ReminderFire, ASilentMailServerHoldsUpNeitherTheTickNorTheNextReminder) {
  SilentListener silent;
  ASSERT_NE(silent.port(), 0);
  TSmtpMailSender smtp(
      TSmtpTimeouts{std::chrono::milliseconds(1000), std::chrono::milliseconds(1500)});
  ScopedMailSender smtpScope(smtp);
  mainSettings.writeString(QStringLiteral("Mail"), QStringLiteral("Host"),
                           QStringLiteral("127.0.0.1"));
  mainSettings.writeInteger(QStringLiteral("Mail"), QStringLiteral("Port"), silent.port());
  TDataObject &first = list.add(once(at(9, 0)));
  first.mail.enable = true;
  first.mail.to = QStringLiteral("bob@example.org");
  first.mail.from = QStringLiteral("anna@example.org");
  TDataObject &second = list.add(once(at(9, 0, 5)));
  QElapsedTimer wall;
  wall.start();
  for (int i = 0; i < 6; ++i)
    tickAfter(1000); // up to 09:00:05.600
  EXPECT_LT(wall.elapsed(), 1000);
  EXPECT_TRUE(firing(first).firing);
  ASSERT_TRUE(firing(second).firing);
  EXPECT_EQ(firing(second).fireTime, at(9, 0, 5));
  ASSERT_EQ(logLines().size(), 1);
  EXPECT_EQ(fields(logLines()[0]).value(11), second.Id);

  ASSERT_TRUE(runtime->WaitForMail(std::chrono::seconds(10)));
  ASSERT_EQ(logLines().size(), 2);
  const QStringList f = fields(logLines()[1]);
  EXPECT_EQ(f.value(11), first.Id);
  EXPECT_TRUE(f.value(10).startsWith(QStringLiteral("Sorry, email was not sent! Error: ")));
}

TEST_F(ReminderFire, TheLogLineCutsTheTextAtTwentyFiveCharactersAndKeepsOneLine) {
  TDataObject &r = list.add(once(at(9, 0)));
  r.subject = QStringLiteral("Line one\tand\ntwo");
  r.text = QString(26, QChar(0xE4)); // "ä" × 26
  tickAfter(1000);
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 1);
  const QStringList f = fields(lines[0]);
  ASSERT_EQ(f.size(), 12);
  EXPECT_EQ(f[4], QStringLiteral("Line one and two"));
  EXPECT_EQ(f[10], QString(25, QChar(0xE4)) + QStringLiteral("..."));
}

// The warning runs from its start until one second before the event; closing it moves the fire
// time back one second; the main event then fires on its own tick.
TEST_F(ReminderFire, RemindBeforeFiresAheadAndGivesWayToTheMainEvent) {
  TDataObject &r = list.add(once(at(9, 10)));
  r.remindBefore.enable = true;
  r.remindBefore.value = {5, TMeasure::Minute};

  clock.set(at(9, 5, 0, 100));
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindBefore);
  EXPECT_EQ(firing(r).fireTime, at(9, 5));

  clock.set(at(9, 9, 58, 100));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  clock.set(at(9, 9, 59, 100));
  ticker.Tick();
  EXPECT_FALSE(firing(r).firing);
  EXPECT_EQ(firing(r).fireTime, at(9, 4, 59));
  EXPECT_TRUE(r.enable); // a warning never disables
  EXPECT_EQ(firing(r).lastKind, TFireKind::RemindBefore);
  EXPECT_EQ(outputs.liveStickers(r.Number), 0);

  clock.set(at(9, 10, 0, 100));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::Main);
  EXPECT_EQ(firing(r).fireTime, at(9, 10));
}

TEST_F(ReminderFire, RemindAgainWindowFiresStrictlyInsideAndClosesOutside) {
  TDataObject &r = list.add(once(at(8, 0)));
  r.duration.enable = true;
  r.duration.value2 = {1, TMeasure::Minute};
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(9, 0);
  r.remindAfter.dtStop = at(9, 1);

  clock.set(at(9, 0)); // exactly at the start: not yet
  ticker.Tick();
  EXPECT_FALSE(firing(r).firing);

  clock.set(at(9, 0, 0, 400));
  ticker.Tick();
  ASSERT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindAfter);
  EXPECT_EQ(firing(r).fireTime, at(9, 0, 0, 400));

  clock.set(at(9, 1));
  ticker.Tick();
  EXPECT_TRUE(firing(r).firing); // the window's last moment still belongs to it

  clock.set(at(9, 1, 0, 400));
  ticker.Tick();
  EXPECT_FALSE(firing(r).firing);
  EXPECT_FALSE(r.remindAfter.enable);
  EXPECT_FALSE(r.enable); // the window has passed: the one-time reminder is done
  EXPECT_EQ(outputs.liveStickers(r.Number), 0);
}

TEST_F(ReminderFire, ARemindAgainFiringIgnoresACloseFromTheMainTest) {
  TDataObject &r = list.add(once(at(8, 0)));
  r.startBound.type = TStartBoundType::AfterDefinedDateTime;
  r.startBound.dt = at(23, 0); // the main test would end any firing before this
  r.remindAfter.enable = true;
  r.remindAfter.dtStart = at(9, 0);
  r.remindAfter.dtStop = at(9, 30);

  tickAfter(1000);
  ASSERT_TRUE(firing(r).firing);
  ASSERT_TRUE(r.CheckRun(firing(r), clock.now(), false).close);
  tickAfter(60'000);
  EXPECT_TRUE(firing(r).firing);
  EXPECT_EQ(firing(r).kind, TFireKind::RemindAfter);
}

// Another model built after the scheduler's, and so the current one, is never the scheduler's:
// it checks the handed model's reminders in that model's demo mode, writes them back into that
// model's store and logs them under that model's user into that model's log.
TEST_F(ReminderFire, TheSchedulerWorksOnTheModelItWasHandedOnly) {
  TDataObject &due = list.add(once(at(9, 0)));
  TDataObject &later = list.add(once(at(11, 0)));
  TestModel other(QStringLiteral("other-runtime-model"));
  other.model.SetDemoMode(true); // would fire `later` at once
  other.model.SetCurrentUserName(QStringLiteral("Somebody Else"));
  other.localSettings.writeBool(QStringLiteral("Main"), QStringLiteral("UseLocalFolder"), true);
  auto stranger = once(at(9, 0));
  const QString strangerId = stranger->Id;
  other.model.Reminders().Append(std::move(stranger));

  tickAfter(1000);
  EXPECT_TRUE(firing(due).firing);
  EXPECT_FALSE(firing(later).firing);
  EXPECT_EQ(runtime->Firings().Find(strangerId), nullptr);
  EXPECT_EQ(fileWrites(), 1);
  EXPECT_EQ(onFile(due)->LastRunDue, at(9, 0));
  EXPECT_EQ(other.model.Store().OwnFileWrites(), 0);
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(fields(lines[0])[2], QStringLiteral("Anna Lee"));
  EXPECT_TRUE(ReadLogLines(GetLogFileName(other.model)).isEmpty());
}

// The reminder open in the editor does not fire: the editor of the scheduler's own model, not
// that of the model built last.
TEST_F(ReminderFire, TheReminderOpenInTheHandedModelsEditorWaitsAndNoOtherModelsDoes) {
  const auto named = [&](const char *id) -> TDataObject & {
    auto r = once(at(9, 0));
    r->Id = QString::fromLatin1(id);
    return list.add(std::move(r));
  };
  TDataObject &edited = named("edited");
  TDataObject &free = named("free");
  testModel.model.SetPreviewReminder(TDataObject::CreateEmpty(edited.Id));
  TestModel other;
  other.model.SetPreviewReminder(TDataObject::CreateEmpty(free.Id));

  tickAfter(1000);
  EXPECT_FALSE(firing(edited).firing);
  EXPECT_TRUE(firing(free).firing);
  testModel.model.SetPreviewReminder(nullptr);
}

} // namespace
} // namespace runtimetest
