#pragma once

#include <memory>

class QString;
class TFormMaster;

// The running program as main() builds it once the application object exists: the model, its
// user interface, the master window and the master's reminder scheduler.
class IProgram {
public:
  virtual ~IProgram() = default;
  // A notice in a box, also before Start (a start that is refused) and after Finish. It never
  // waits: the message loop shows it once the step that raised it has returned.
  virtual void ShowMessage(const QString &message) = 0;
  // The program is up: its tray icon, its hand-over socket and its reminders. The notices of
  // the start, held back so far, show from now on.
  virtual void Started() = 0;
  // After the message loop (or a start that never ran one): shows the notices no loop will show
  // any more, each waited for.
  virtual void ShowWaitingNotices() = 0;
  // Starts the model, then makes the user interface and the master window with its reminder
  // scheduler over it.
  [[nodiscard]] virtual TFormMaster &Start() = 0;
  // Ends the model. Runs after the message loop however it ended, while the master window still
  // exists (it owns the language table the end may still use).
  virtual void Finish() = 0;
};

// The argument "stop": the first argument, exactly and case-sensitively (see CommandLine.h).
[[nodiscard]] bool IsStopArgument(int argc, char **argv);

// The program: answers --help, --version and mistaken options at once (see CommandLine.h), else
// decides whether this start becomes the running instance of the user or hands over to the one
// that runs (showing its main window, or with "stop" ending it and waiting for its end: 1 when it
// is still running), and runs the hidden master window until the program ends. `makeProgram` runs
// once the application object exists; the program is destroyed after Finish and before the instance
// lock is released. Gives the exit code.
int RunProgram(int argc, char **argv, std::unique_ptr<IProgram> (*makeProgram)());
