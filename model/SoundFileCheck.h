#pragma once

#include <QString>

// Why a reminder's sound file cannot be played, as the user reads it (translated, with the file's
// name): no file chosen, no such file, or a file that cannot be read. Empty when the file is there
// to be read; whether its contents play only the sound player can tell.
[[nodiscard]] QString SoundFileProblem(const QString &fileName);
