#include "app/ProgramEntry.h"

#include "app/CommandLine.h"
#include "app/DefaultLanguageFile.h"
#include "model/DataObjectStore.h"
#include "model/LanguageTable.h"
#include "model/Settings.h"
#include "platform/Errors.h"
#include "platform/MessageHub.h"
#include "platform/Version.h"
#include "runtime/Application.h"
#include "runtime/DisplayPlatform.h"
#include "runtime/FormMaster.h"
#include "runtime/InstanceHandover.h"
#include "runtime/SignalBridge.h"
#include "services/DelayWithMessages.h"
#include "services/SingleInstance.h"
#include "services/TextHelpers.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

bool IsStopArgument(int argc, char **argv) {
  return ParseCommandLine(argc, argv).action == TCommandLine::Action::Stop;
}

namespace {

// The running instance, from the model's start to the release of the instance lock.
int runInstance(int argc, char **argv, std::unique_ptr<IProgram> (*makeProgram)(),
                const QString &name) {
  // Stickers need positions and keep-on-top: under a Wayland desktop with XWayland, X11.
  const QString platformChoice = ApplyDisplayPlatformChoice(argc, argv);
  // The application object comes first: without a display Qt ends the process here, before any
  // data or settings file is touched.
  TApplication app(argc, argv);
  // The choice was for this process only: the programs reminders start keep the desktop's own.
  if (!platformChoice.isEmpty())
    qunsetenv("QT_QPA_PLATFORM");
  // Windows keep responding while a settings file is retried.
  ScopedRetryPause retryPause(&DelayWithMessages);
  TSignalBridge signalBridge;
  auto server = std::make_unique<THandoverServer>(HandoverSocketPath(name));
  std::unique_ptr<IProgram> program = makeProgram();
  int code = 0;
  std::optional<int> ended; // the exit code of the end asked for
  // Notices (a failed save at the very end among them) are queued by the program, shown by the
  // message loop after the step that raised them, and the last ones after the loop.
  IProgram *shown = program.get();
  errors::setInfoReporter([shown](const QString &text) { shown->ShowMessage(text); });
  try {
    TFormMaster &master = program->Start();
    // An end asked for before the loop runs (an error in a pump during start-up) cannot leave a
    // loop: it is kept, and the loop is not entered.
    QObject::connect(&master, &TFormMaster::Closed, &app, [&ended](int exitCode) {
      ended = exitCode;
      QCoreApplication::exit(exitCode);
    });
    TFormMaster *m = &master;
    // Logout and kill end the program as "Exit" does, so nothing held in memory is lost.
    signalBridge.OnSignal = [m](int) { m->ActionShutDownExecute(); };
    server->OnShow = [m] { (void)hub().post(m->Handle(), msg::WM_SHOW_MAIN_WINDOW); };
    server->OnStop = [m] { (void)hub().send(m->Handle(), msg::WM_CLOSE); };
    master.FormCreate();
    if (!server->Listen())
      std::fprintf(stderr, "Tolvane: a second start cannot reach this one (%s).\n",
                   qPrintable(server->SocketPath()));
    // Up: the notices of the start (a broken data.xml, damaged settings) show now.
    program->Started();
    if (ended)
      code = *ended;
    else
      code = app.exec();
  } catch (...) {
    std::fprintf(stderr, "%s\n", qPrintable(errors::describeCurrentException()));
    code = 1;
  }
  signalBridge.OnSignal = nullptr;
  server->OnShow = nullptr;
  server->OnStop = nullptr;
  try {
    program->Finish();
  } catch (...) {
    std::fprintf(stderr, "%s\n", qPrintable(errors::describeCurrentException()));
    code = code ? code : 1;
  }
  // Stickers and tray icons closed during shut-down were released with deleteLater(); the loop
  // that would delete them has ended, so delete them now, before their owners go.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // The program has ended: the lock goes, then the handover socket, so a stopping start sees the
  // end now and a new start may run, whatever notices still wait for the user.
  ReleaseInstanceMutex();
  server.reset();
  // The notices of the end (a failed last save) and those still queued: the loop that would show
  // them has ended. Nothing runs any more while they wait; a signal (a logout) ends the wait.
  signalBridge.OnSignal = [](int) { QCoreApplication::exit(0); };
  try {
    program->ShowWaitingNotices();
  } catch (...) {
    std::fprintf(stderr, "%s\n", qPrintable(errors::describeCurrentException()));
  }
  signalBridge.OnSignal = nullptr;
  program.reset();
  errors::setInfoReporter({});
  return code;
}

// A start that cannot take the instance lock cannot know whether another instance runs, so it
// never runs reminders: without the lock every start ran as if alone, and a one-time program
// action ran once per copy. The user hears why, in a box when there is a display.
int refuseStart(int argc, char **argv, std::unique_ptr<IProgram> (*makeProgram)(),
                const QString &failure) {
  const QString text =
      TranslateText(QStringLiteral("Tolvane cannot make sure that it runs only once for you, so it "
                                   "does not start.")) +
      QStringLiteral("\r\n") + failure;
  std::fprintf(stderr, "tolvane: %s\n", qPrintable(FlattenLineBreaks(text).simplified()));
  (void)ApplyDisplayPlatformChoice(argc, argv);
  TApplication app(argc, argv); // without a display Qt ends the process here, also non-zero
  std::unique_ptr<IProgram> program = makeProgram();
  try {
    program->ShowMessage(text);
    program->ShowWaitingNotices();
  } catch (...) {
    std::fprintf(stderr, "%s\n", qPrintable(errors::describeCurrentException()));
  }
  return 1;
}

} // namespace

int RunProgram(int argc, char **argv, std::unique_ptr<IProgram> (*makeProgram)()) {
  // Answered before any application object exists, which would need a display (and takes Qt's
  // own options out of argv): help, the version and mistakes touch no file either. Making the
  // default language file needs no display and runs beside a running instance.
  const TCommandLine commandLine = ParseCommandLine(argc, argv);
  switch (commandLine.action) {
  case TCommandLine::Action::Help:
    std::fputs(UsageText().toLocal8Bit().constData(), stdout);
    return 0;
  case TCommandLine::Action::Version:
    std::printf("Version: %s (%s)\n", version::Text, version::InternalName);
    return 0;
  case TCommandLine::Action::MakeLanguageFile:
    return MakeDefaultLanguageFile(argc, argv, commandLine.file);
  case TCommandLine::Action::Mistake:
    std::fprintf(stderr, "tolvane: %s\n\n%s", qPrintable(commandLine.mistake),
                 UsageText().toLocal8Bit().constData());
    return UsageErrorExitCode;
  case TCommandLine::Action::Start:
  case TCommandLine::Action::Stop:
    break;
  }
  const bool stop = commandLine.action == TCommandLine::Action::Stop;
  const QString name = InstanceName();
  QString failure;
  switch (CheckSingleInstance(name, &failure)) {
  case TNamedLock::Result::HeldElsewhere: {
    QCoreApplication app(argc, argv); // no display needed
    if (stop)
      return StopRunningInstance(name);
    (void)HandOver(HandoverSocketPath(name), THandoverCommand::Show);
    return 0;
  }
  case TNamedLock::Result::Failed:
    if (stop) {
      std::fprintf(stderr, "tolvane: cannot tell whether Tolvane runs: %s\n", qPrintable(failure));
      return 1;
    }
    return refuseStart(argc, argv, makeProgram, failure);
  case TNamedLock::Result::Acquired:
    break;
  }
  if (stop) {
    std::fputs("tolvane: Tolvane is not running; there is nothing to stop.\n", stdout);
    return 0;
  }
  return runInstance(argc, argv, makeProgram, name);
}
