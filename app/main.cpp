#include "platform/Version.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Version: %s (%s)\n", version::Text, version::InternalName);
    return 0;
  }
  std::printf("Tolvane %s: the reminder runtime is not built yet.\n", version::Text);
  return 0;
}
