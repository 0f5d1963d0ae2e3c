#include "runtime/HeadlessUserInterface.h"

#include <cstdio>

void THeadlessUserInterface::ShowMainWindowPage(const QString &, int page) {
  std::fprintf(stderr,
               "Tolvane: main window page %d asked for; the main window is not built yet.\n", page);
}

void THeadlessUserInterface::ShowMessage(const QString &message) {
  std::fprintf(stderr, "Tolvane: %s\n", qPrintable(message));
}

void THeadlessUserInterface::ShowException(const QString &message) {
  std::fprintf(stderr, "Tolvane: %s\n", qPrintable(message));
}
