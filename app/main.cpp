#include "app/Program.h"
#include "platform/Version.h"
#include "runtime/HeadlessUserInterface.h"

#include <QMessageBox>

#include <cstdio>
#include <cstring>

namespace {

// Until the main window and the editor exist: no windows, but notices and errors in message
// boxes, as the user must see them.
class TMessageBoxUserInterface final : public THeadlessUserInterface {
public:
  void ShowMessage(const QString &message) override {
    QMessageBox::information(nullptr, QStringLiteral("Tolvane"), message);
  }
  void ShowException(const QString &message) override {
    QMessageBox::critical(nullptr, QStringLiteral("Tolvane"), message);
  }
};

std::unique_ptr<IProgram> makeProgram() {
  return std::make_unique<TProgram>(std::make_unique<TMessageBoxUserInterface>());
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("Version: %s (%s)\n", version::Text, version::InternalName);
    return 0;
  }
  return RunProgram(argc, argv, makeProgram);
}
