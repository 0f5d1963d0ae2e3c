#include "app/Program.h"

namespace {

std::unique_ptr<IProgram> makeProgram() { return std::make_unique<TProgram>(); }

} // namespace

int main(int argc, char **argv) { return RunProgram(argc, argv, makeProgram); }
