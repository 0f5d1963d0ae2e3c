// The program entry across real processes: a running instance, second starts that hand over to
// it, "stop", signals, a crashed instance's socket, and the program itself.

#include "app/ProgramEntry.h"
#include "app/CommandLine.h"
#include "runtime/InstanceHandover.h"
#include "services/SingleInstance.h"
#include "tests/support/Sandbox.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <memory>

#include <gtest/gtest.h>

namespace {

bool waitFor(const std::function<bool()> &condition, int ms = 10000) {
  QDeadlineTimer deadline(ms);
  while (!condition()) {
    if (deadline.hasExpired())
      return false;
    QTest::qWait(10);
  }
  return true;
}

struct ProgramEntry : ::testing::Test {
  QString root = sandbox::makeTempDir(QStringLiteral("entry"));
  QString home = root + QStringLiteral("/home");
  QString run = root + QStringLiteral("/run");
  QString marker = root + QStringLiteral("/marker");
  QString socketPath = run + QLatin1Char('/') + InstanceName() + QStringLiteral(".socket");
  QString logFile = home + QStringLiteral("/Documents/Tolvane/tolvane.log");
  QString runtimeOverride; // the runtime folder the programs get instead of `run`
  std::vector<std::unique_ptr<QProcess>> processes;

  void SetUp() override {
    QDir().mkpath(home);
    QDir().mkpath(root + QStringLiteral("/program"));
    QDir().mkpath(run);
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  void TearDown() override {
    for (auto &p : processes) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
  }

  QProcessEnvironment environment(const QStringList &extra = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("TOLVANE_RUNTIME_DIR"),
               runtimeOverride.isEmpty() ? run : runtimeOverride);
    env.insert(QStringLiteral("TOLVANE_PROGRAM_DIR"), root + QStringLiteral("/program"));
    env.insert(QStringLiteral("TOLVANE_TEST_MARKER"), marker);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString &variable : extra)
      env.insert(variable, QStringLiteral("1"));
    return env;
  }

  QProcess *start(const QString &program, const QStringList &args = {},
                  const QStringList &extra = {}) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(environment(extra));
    p->start(program, args);
    EXPECT_TRUE(p->waitForStarted(5000));
    processes.push_back(std::move(p));
    return processes.back().get();
  }
  QProcess *helper(const QStringList &args = {}, const QStringList &extra = {}) {
    return start(QStringLiteral(TOLVANE_ENTRY_HELPER), args, extra);
  }

  // Starts a running instance and waits until it listens.
  QProcess *running(const QStringList &extra = {}) {
    QProcess *a = helper({}, extra);
    EXPECT_TRUE(waitFor([this] { return listening(); }))
        << "no socket at " << socketPath.toStdString();
    return a;
  }

  bool listening() const {
    QLocalSocket s;
    s.connectToServer(socketPath);
    return s.waitForConnected(200);
  }

  static bool finished(QProcess *p, int ms = 10000) {
    return p->state() == QProcess::NotRunning || p->waitForFinished(ms);
  }

  QStringList marks() const {
    QFile f(marker);
    if (!f.open(QIODevice::ReadOnly))
      return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

  QStringList logEvents() const {
    QStringList events;
    QFile f(logFile);
    if (f.open(QIODevice::ReadOnly))
      for (const QByteArray &line : f.readAll().split('\n'))
        if (const QList<QByteArray> fields = line.split('\t'); fields.size() > 3)
          events << QString::fromUtf8(fields[3]);
    return events;
  }

  QStringList filesUnder(const QString &folder) const {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
      files << it.next();
    return files;
  }
};

TEST(ProgramArguments, OnlyTheExactWordStopStops) {
  auto is = [](std::initializer_list<const char *> args) {
    std::vector<char *> argv{const_cast<char *>("tolvane")};
    for (const char *a : args)
      argv.push_back(const_cast<char *>(a));
    argv.push_back(nullptr);
    return IsStopArgument(int(argv.size()) - 1, argv.data());
  };
  EXPECT_TRUE(is({"stop"}));
  EXPECT_TRUE(is({"stop", "more"}));
  EXPECT_FALSE(is({}));
  EXPECT_FALSE(is({"Stop"}));
  EXPECT_FALSE(is({"STOP"}));
  EXPECT_FALSE(is({"stop "}));
  EXPECT_FALSE(is({"stopx"}));
  EXPECT_FALSE(is({"-platform", "stop"}));
}

TEST_F(ProgramEntry, ASecondStartShowsTheMainWindowAndStopEndsTheInstance) {
  QProcess *a = running();
  EXPECT_FALSE(QFileInfo(socketPath).permissions() &
               (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));

  const QStringList homeFiles = filesUnder(home);
  QProcess *b = helper();
  ASSERT_TRUE(finished(b, 2000));
  EXPECT_EQ(b->exitCode(), 0);
  EXPECT_TRUE(waitFor([this] { return marks().contains(QStringLiteral("show main window 0")); }));
  EXPECT_EQ(filesUnder(home), homeFiles); // the second start touched nothing
  EXPECT_EQ(marks().count(QStringLiteral("initialize")), 1);

  QProcess *c = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(c));
  EXPECT_EQ(c->exitCode(), 0);
  // "stop" returns once the instance has ended: its stop is logged and the model finished.
  EXPECT_TRUE(logEvents().contains(QStringLiteral("Program stop")));
  EXPECT_TRUE(marks().contains(QStringLiteral("finalize")));
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 0);
  EXPECT_FALSE(QFile::exists(socketPath));
  TNamedLock lock;
  EXPECT_EQ(lock.tryAcquire(InstanceName(), run), TNamedLock::Result::Acquired);
}

TEST_F(ProgramEntry, StopWithNothingRunningSaysSoAndTouchesNothing) {
  QProcess *d = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(d, 2000));
  EXPECT_EQ(d->exitCode(), 0);
  EXPECT_TRUE(QString::fromLocal8Bit(d->readAllStandardOutput()).contains("nothing to stop"));
  EXPECT_TRUE(marks().isEmpty());
  EXPECT_TRUE(filesUnder(home).isEmpty());
}

// Without the lock nobody can tell whether another copy runs: such a start never runs reminders,
// and a stop cannot say that nothing ran. A regular file where the runtime folder should be makes
// the lock fail, for root too.
TEST_F(ProgramEntry, AStartThatCannotTakeTheLockTellsWhyAndNeverRuns) {
  const QString notAFolder = root + QStringLiteral("/run-file");
  QFile f(notAFolder);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  runtimeOverride = notAFolder;
  QProcess *a = helper();
  ASSERT_TRUE(finished(a, 5000));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 1);
  const QStringList m = marks();
  EXPECT_FALSE(m.contains(QStringLiteral("initialize")));
  ASSERT_FALSE(m.filter(QStringLiteral("message: Tolvane cannot make sure")).isEmpty())
      << m.join(u'|').toStdString();
  EXPECT_TRUE(m.join(u'\n').contains(notAFolder)); // the reason, on the message's next line
  EXPECT_TRUE(QString::fromLocal8Bit(a->readAllStandardError()).startsWith("tolvane: "));
  EXPECT_TRUE(filesUnder(home).isEmpty());

  QProcess *stop = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(stop, 5000));
  EXPECT_EQ(stop->exitCode(), 1);
  EXPECT_TRUE(QString::fromLocal8Bit(stop->readAllStandardError())
                  .contains(QStringLiteral("cannot tell whether Tolvane runs")));
}

TEST_F(ProgramEntry, AStartWhileTheInstanceIsStillStartingEndsSilently) {
  TNamedLock lock; // an instance that has its lock but no socket yet
  ASSERT_EQ(lock.tryAcquire(InstanceName(), run), TNamedLock::Result::Acquired);
  QProcess *e = helper();
  ASSERT_TRUE(finished(e, 5000));
  EXPECT_EQ(e->exitCode(), 0);
  EXPECT_TRUE(marks().isEmpty());
  EXPECT_TRUE(filesUnder(home).isEmpty());
}

TEST_F(ProgramEntry, StopWaitsForAStartingInstanceAndFailsWhileItStillRuns) {
  // An instance that holds its lock and listens only later, as one does while it starts: "stop"
  // waits for it, asks it to end and returns once it has ended.
  TNamedLock lock;
  ASSERT_EQ(lock.tryAcquire(InstanceName(), run), TNamedLock::Result::Acquired);
  QProcess *stop = helper({QStringLiteral("stop")});
  QTest::qWait(400);
  EXPECT_EQ(stop->state(), QProcess::Running);
  bool asked = false;
  {
    THandoverServer server(socketPath);
    server.OnStop = [&asked] { asked = true; };
    ASSERT_TRUE(server.Listen());
    ASSERT_TRUE(waitFor([&asked] { return asked; }));
    QTest::qWait(100);
    EXPECT_EQ(stop->state(), QProcess::Running); // until the instance ends
  }
  lock.release();
  ASSERT_TRUE(finished(stop, 5000));
  EXPECT_EQ(stop->exitCode(), 0);

  // Still running after the limits: starting without ever listening, or asked and not ending.
  const QString name = InstanceName();
  ASSERT_EQ(lock.tryAcquire(name), TNamedLock::Result::Acquired);
  EXPECT_EQ(StopRunningInstance(name, {.startMs = 300, .retryMs = 20}), 1);
  QThread thread;
  auto *busy = new THandoverServer(HandoverSocketPath(name));
  std::atomic<bool> busyAsked = false;
  busy->OnStop = [&busyAsked] { busyAsked = true; };
  busy->moveToThread(&thread);
  thread.start();
  bool listens = false;
  QMetaObject::invokeMethod(
      busy, [&] { listens = busy->Listen(); }, Qt::BlockingQueuedConnection);
  ASSERT_TRUE(listens);
  EXPECT_EQ(StopRunningInstance(name, {.startMs = 300, .retryMs = 20, .endMs = 300}), 1);
  EXPECT_TRUE(busyAsked);
  QMetaObject::invokeMethod(
      busy, [busy] { delete busy; }, Qt::BlockingQueuedConnection);
  thread.quit();
  thread.wait();
  // Once the lock is free nothing runs: done at once.
  lock.release();
  EXPECT_EQ(StopRunningInstance(name, {.startMs = 5000}), 0);
}

TEST_F(ProgramEntry, HelpVersionAndMistakesAreAnsweredWithoutADisplayOrAnyFile) {
  // No display at all: an application object would end the process with Qt's platform error.
  QProcessEnvironment noDisplay = environment();
  for (const char *variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    noDisplay.remove(QString::fromLatin1(variable));
  struct Outcome {
    int code = -1;
    QString out, err;
  };
  auto tolvane = [&noDisplay](const QStringList &args) {
    QProcess p;
    p.setProcessEnvironment(noDisplay);
    p.start(QStringLiteral(TOLVANE_PROGRAM), args);
    Outcome o;
    if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit)
      o.code = p.exitCode();
    o.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    o.err = QString::fromLocal8Bit(p.readAllStandardError());
    return o;
  };
  for (const QString &help : {QStringLiteral("--help"), QStringLiteral("-h")}) {
    const Outcome o = tolvane({help});
    EXPECT_EQ(o.code, 0) << help.toStdString();
    EXPECT_TRUE(o.out.startsWith(QStringLiteral("Usage: tolvane"))) << o.out.toStdString();
  }
  EXPECT_TRUE(tolvane({QStringLiteral("--version")}).out.startsWith(QStringLiteral("Version: ")));
  for (const QStringList &wrong : {QStringList{QStringLiteral("--bogus")},
                                   QStringList{QStringLiteral("stop"), QStringLiteral("-x")},
                                   QStringList{QStringLiteral("-platform")}}) {
    const Outcome o = tolvane(wrong);
    EXPECT_EQ(o.code, 2) << wrong.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(o.err.startsWith(QStringLiteral("tolvane: "))) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("Usage: tolvane")));
  }
  EXPECT_TRUE(filesUnder(root).filter(QStringLiteral(".lock")).isEmpty());
  EXPECT_TRUE(filesUnder(home).isEmpty());
  // With a display, help does not start the program either.
  QProcess *h = helper({QStringLiteral("--help")});
  ASSERT_TRUE(finished(h, 5000));
  EXPECT_EQ(h->exitCode(), 0);
  EXPECT_TRUE(marks().isEmpty());
  // Qt's own options, with their values, stay Qt's; words start the program.
  auto action = [](std::vector<const char *> args) {
    args.insert(args.begin(), "tolvane");
    return ParseCommandLine(int(args.size()), const_cast<char **>(args.data())).action;
  };
  EXPECT_EQ(action({"-platform", "xcb", "--session", "id", "-style=fusion", "-reverse"}),
            TCommandLine::Action::Start);
  EXPECT_EQ(action({"stop", "-display", ":3"}), TCommandLine::Action::Stop);
  EXPECT_EQ(action({"Stop"}), TCommandLine::Action::Start);
  EXPECT_EQ(action({"-reverse=1"}), TCommandLine::Action::Mistake);
}

TEST_F(ProgramEntry, TheSocketOfAKilledInstanceIsClearedByTheNextStart) {
  QProcess *a = running();
  a->kill(); // SIGKILL: no clean-up at all
  ASSERT_TRUE(finished(a));
  ASSERT_TRUE(QFileInfo(socketPath).exists()); // left behind
  EXPECT_FALSE(listening());

  QProcess *a2 = running();
  EXPECT_EQ(marks().count(QStringLiteral("initialize")), 2);
  QProcess *b = helper();
  ASSERT_TRUE(finished(b, 2000));
  EXPECT_TRUE(waitFor([this] { return marks().contains(QStringLiteral("show main window 0")); }));
  a2->terminate();
  ASSERT_TRUE(finished(a2));
}

TEST_F(ProgramEntry, SigtermEndsTheInstanceAsExitDoes) {
  QProcess *a = running();
  ::kill(pid_t(a->processId()), SIGTERM);
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 0);
  EXPECT_EQ(logEvents(),
            (QStringList{QStringLiteral("Program start"), QStringLiteral("Program stop")}));
  EXPECT_EQ(marks().last(), QStringLiteral("finalize"));
}

TEST_F(ProgramEntry, ANoticeAtTheModelsEndIsStillShown) {
  QProcess *a = running({QStringLiteral("TOLVANE_TEST_REPORT")});
  ::kill(pid_t(a->processId()), SIGINT);
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitCode(), 0);
  const QStringList m = marks();
  ASSERT_GE(m.size(), 2);
  EXPECT_EQ(m[m.size() - 2], QStringLiteral("message: Sorry, can't save file!"));
}

TEST_F(ProgramEntry, StopEndsEveryLoopOfTheInstance) {
  QProcess *a = running({QStringLiteral("TOLVANE_TEST_MODAL")});
  QProcess *b = helper();
  ASSERT_TRUE(finished(b, 2000));
  ASSERT_TRUE(waitFor([this] { return marks().contains(QStringLiteral("show main window 0")); }));
  QProcess *c = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(c));
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitCode(), 0);
  EXPECT_TRUE(marks().contains(QStringLiteral("main window loop ended")));
  EXPECT_EQ(marks().last(), QStringLiteral("finalize"));
}

TEST_F(ProgramEntry, AnErrorNobodyCaughtIsShownAndTheModelStillEnds) {
  QProcess *a = running({QStringLiteral("TOLVANE_TEST_THROW")});
  QProcess *b = helper();
  ASSERT_TRUE(finished(b, 2000));
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 1);
  EXPECT_TRUE(marks().contains(QStringLiteral("exception: the main window failed")));
  EXPECT_EQ(marks().last(), QStringLiteral("finalize"));
}

// The message loop has not started yet: the error must still end the program.
TEST_F(ProgramEntry, AnErrorNobodyCaughtDuringStartUpEndsTheProgram) {
  QProcess *a = helper({}, {QStringLiteral("TOLVANE_TEST_THROW_AT_START")});
  ASSERT_TRUE(finished(a, 5000));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 1);
  EXPECT_TRUE(marks().contains(QStringLiteral("exception: the start-up failed")));
  EXPECT_EQ(marks().last(), QStringLiteral("finalize"));
}

// A silent abort is not an error that ends the program: the reminders go on being checked.
TEST_F(ProgramEntry, ATickThatAbortsDoesNotStopTheChecks) {
  QProcess *a = running({QStringLiteral("TOLVANE_TEST_ABORT_TICK")});
  EXPECT_TRUE(waitFor([this] { return marks().contains(QStringLiteral("tick 3")); }))
      << marks().join(QStringLiteral(" | ")).toStdString();
  QProcess *b = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(b));
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitCode(), 0) << a->readAllStandardError().toStdString();
}

// Under a Wayland desktop with XWayland the instance asks Qt for X11 for itself; the programs
// its reminders start must get the desktop's own choice. Needs an X server (sticker_x11).
TEST_F(ProgramEntry, X11TheInstancesPlatformChoiceDoesNotReachTheProgramsItStarts) {
  if (qEnvironmentVariableIsEmpty("DISPLAY"))
    GTEST_SKIP() << "needs an X server (the sticker_x11 test starts one)";
  auto p = std::make_unique<QProcess>();
  QProcessEnvironment env = environment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-none"));
  p->setProcessEnvironment(env);
  p->start(QStringLiteral(TOLVANE_ENTRY_HELPER));
  ASSERT_TRUE(p->waitForStarted(5000));
  processes.push_back(std::move(p));
  QProcess *a = processes.back().get();
  ASSERT_TRUE(waitFor([this] { return listening(); }));
  EXPECT_TRUE(marks().contains(QStringLiteral("platform variable: ")))
      << marks().join(u'|').toStdString();
  QProcess *b = helper({QStringLiteral("stop")});
  ASSERT_TRUE(finished(b));
  ASSERT_TRUE(finished(a));
}

// A data.xml that cannot be read and a damaged control1.dat at start: the program starts first
// from the backup (socket, reminders) and only then tells the user, one box at a time, waiting for
// nobody. A stop while the first box is open ends the program at once and nothing runs after its
// stop; the notice still waiting is shown after the end, until a signal (a logout) ends it too.
TEST_F(ProgramEntry, BrokenFilesAreToldOnceTheProgramRunsAndAStopStillEndsIt) {
  const QString folder = home + QStringLiteral("/Documents/Tolvane");
  ASSERT_TRUE(QDir().mkpath(folder));
  auto write = [](const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  write(folder + QStringLiteral("/data.xml"), "<?xml version=\"1.0\"?><root><item id=\"{");
  write(folder + QStringLiteral("/control1.dat"), QByteArray(64, '\x01'));
  // Due a few seconds after the start: it fires while the notice is open.
  const QByteArray due = QDateTime::currentDateTime()
                             .addSecs(6)
                             .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.000"))
                             .toUtf8();
  write(folder + QStringLiteral("/data_backup.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><item id=\"{0000000A-1111-2222-3333-"
        "444455556666}\"><type>0</type><enable>true</enable><subject>From the backup</subject>"
        "<repeat><type>0</type><dt>" +
            due +
            "</dt></repeat><startBound><type>1</type><dt>2000-01-01T00:00:00.000</dt>"
            "</startBound><sticker><enable>false</enable></sticker><tray>false</tray></item>"
            "</root>");
  QProcess *a = start(QStringLiteral(TOLVANE_PROGRAM));
  ASSERT_TRUE(waitFor([this] { return listening(); })) << "the notice held up the start";
  ASSERT_TRUE(waitFor([this] { return logEvents().contains(QStringLiteral("Start")); }, 20000));
  EXPECT_EQ(logEvents().filter(QStringLiteral("Reminder file not read")).size(), 1);

  EXPECT_EQ(QDir(folder).entryList({QStringLiteral("control1_damaged-*.dat")}).size(), 1);

  QProcess *stop = start(QStringLiteral(TOLVANE_PROGRAM), {QStringLiteral("stop")});
  ASSERT_TRUE(finished(stop));
  EXPECT_EQ(stop->exitCode(), 0);
  TNamedLock lock; // the program has ended; the second notice may still wait
  EXPECT_EQ(lock.tryAcquire(InstanceName(), run), TNamedLock::Result::Acquired);
  lock.release();
  if (a->state() != QProcess::NotRunning)
    ::kill(pid_t(a->processId()), SIGTERM);
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(a->exitCode(), 0);
  const QStringList events = logEvents();
  ASSERT_FALSE(events.isEmpty());
  EXPECT_EQ(events.last(), QStringLiteral("Program stop")) << events.join(u'|').toStdString();
}

TEST_F(ProgramEntry, TheProgramRunsAndStopsWithoutADisplayForTheStop) {
  QProcess *a = start(QStringLiteral(TOLVANE_PROGRAM));
  ASSERT_TRUE(waitFor([this] { return listening(); }));
  QProcess *b = start(QStringLiteral(TOLVANE_PROGRAM));
  ASSERT_TRUE(finished(b, 2000));
  EXPECT_EQ(b->exitCode(), 0);
  // The second start opened the running one's main window; the stop below closes it with the
  // program.

  QProcessEnvironment noDisplay = environment();
  noDisplay.remove(QStringLiteral("QT_QPA_PLATFORM"));
  noDisplay.remove(QStringLiteral("DISPLAY"));
  noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
  auto stop = std::make_unique<QProcess>();
  stop->setProcessEnvironment(noDisplay);
  stop->start(QStringLiteral(TOLVANE_PROGRAM), {QStringLiteral("stop")});
  ASSERT_TRUE(stop->waitForFinished(10000));
  EXPECT_EQ(stop->exitCode(), 0);
  ASSERT_TRUE(finished(a));
  EXPECT_EQ(a->exitCode(), 0);
  EXPECT_EQ(logEvents(),
            (QStringList{QStringLiteral("Program start"), QStringLiteral("Program stop")}));
  EXPECT_TRUE(QFile::exists(home + QStringLiteral("/Documents/Tolvane/control1.dat")));
}

} // namespace
