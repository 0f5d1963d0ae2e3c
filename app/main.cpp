#include "model/ModelStartUp.h"
#include "platform/Version.h"
#include "runtime/ModelBinding.h"
#include "runtime/ProgramEntry.h"
#include "runtime/ProgramReminderRuntime.h"
#include "runtime/UiHooks.h"

#include <cstdio>
#include <cstring>

namespace {

// The main window and the reminder editor belong to the layer above, which is not built yet.
void installUi() {
  UiHooks().ShowMainWindowPage = [](const QString &, int page) {
    std::fprintf(stderr,
                 "Tolvane: main window page %d asked for; the main window is not built "
                 "yet.\n",
                 page);
  };
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Version: %s (%s)\n", version::Text, version::InternalName);
    return 0;
  }
  TProgramWiring wiring;
  wiring.InitializeModel = InitializeModel;
  wiring.FinalizeModel = FinalizeModel;
  wiring.MasterModel = [] { return std::make_unique<TModelBinding>(); };
  wiring.ReminderRuntime = MakeReminderRuntime;
  wiring.InstallUi = installUi;
  return RunProgram(argc, argv, wiring);
}
