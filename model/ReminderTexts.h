#pragma once

#include "model/DataObject.h"

#include <QString>

// Texts about one reminder, built from the schedule texts and the language table.

// "Run reminder: <repeat>", then, joined by ", ": the duration (when on), the start bound, the
// stop bound (when on) and the warning ahead of time (when on). The reminder list's column.
[[nodiscard]] QString GetScheduleSummary(const TDataObject &reminder);

// The hint of a firing reminder's tray icon and sticker: the fire time as date and time; for a
// warning, "( <REMIND BEFORE TEXT> )"; the subject and the text when the sticker shows them as
// hint. One item per line, CR LF between lines.
[[nodiscard]] QString GetHintText(const TDataObject &reminder, const TFiringState &firing);
