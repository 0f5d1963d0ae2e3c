#pragma once

#include <QString>

// Every test process runs in a sandbox: a temporary folder that holds HOME, XDG_CONFIG_HOME,
// XDG_RUNTIME_DIR, the documents folder and the program folder, with TZ, LANG and the audio
// driver fixed. The test main sets it up before anything reads the environment.
namespace sandbox {

// Creates the folder and sets the environment. Called once, first thing in main().
void setUp();
// Removes the folder.
void tearDown();

[[nodiscard]] QString root();
[[nodiscard]] QString home();
[[nodiscard]] QString configDir();
[[nodiscard]] QString runtimeDir();
[[nodiscard]] QString documentsDir();
[[nodiscard]] QString programDir();
// A fresh empty folder below the sandbox, for one test.
[[nodiscard]] QString makeTempDir(const QString &name);

} // namespace sandbox
