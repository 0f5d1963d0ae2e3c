#include "app/Program.h"
#include "platform/Version.h"
#include "ui/UserInterface.h"

#include <cstdio>
#include <cstring>

namespace {

std::unique_ptr<IProgram> makeProgram() {
  return std::make_unique<TProgram>(std::make_unique<TUserInterface>());
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Version: %s (%s)\n", version::Text, version::InternalName);
    return 0;
  }
  return RunProgram(argc, argv, makeProgram);
}
