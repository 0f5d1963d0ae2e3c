#pragma once

#include "imaging/Color.h"

class TMMemIniFile;

// The colour of every second row of the lists (the reminders and the log), as the reminder page
// stores it in the local settings; the default when the stored text names no colour.
[[nodiscard]] TColor StoredListViewColor(const TMMemIniFile &localSettings);
