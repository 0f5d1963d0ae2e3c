#pragma once

#include "model/DataObject.h"

// Operations on a firing reminder's live outputs that the master window and the sticker window
// run through the model.

// Writes the sticker's window position (left, top, width, height, autoSize) into the reminder's
// item and saves the store (errors are ignored). Nothing when the store has no item for it.
void SaveStickerPosition(const TDataObject &reminder);
