#include "app/Program.h"
#include "ui/UserInterface.h"

namespace {

std::unique_ptr<IProgram> makeProgram() {
  return std::make_unique<TProgram>(std::make_unique<TUserInterface>());
}

} // namespace

int main(int argc, char **argv) { return RunProgram(argc, argv, makeProgram); }
