#pragma once

#include <functional>
#include <memory>

class IMasterModel;
class IReminderRuntime;
class TFormMaster;

// What the program's main() plugs into the start-up: the model's start and end, the model as the
// master window sees it, the reminder runtime, and the windows of the layer above.
struct TProgramWiring {
  std::function<void()> InitializeModel;
  // Runs after the message loop, however it ended.
  std::function<void()> FinalizeModel;
  std::function<std::unique_ptr<IMasterModel>()> MasterModel;
  // Null: an idle runtime.
  std::function<std::unique_ptr<IReminderRuntime>(TFormMaster &master)> ReminderRuntime;
  // Fills the UiHooks table; runs once the application object exists.
  std::function<void()> InstallUi;
};

// The argument "stop": the first argument, exactly and case-sensitively.
[[nodiscard]] bool IsStopArgument(int argc, char **argv);

// The program: decides whether this start becomes the running instance of the user or hands over
// to the one that runs (showing its main window, or with "stop" ending it), and runs the hidden
// master window until the program ends. The model is started before the master window and ended
// after the message loop, before the master window goes (it owns the language table the end may
// still use); the instance lock is released last. Gives the exit code.
int RunProgram(int argc, char **argv, const TProgramWiring &wiring);
