#pragma once

#include "model/CurrentModel.h"
#include "model/DataObject.h"
#include "model/MSXMLObject.h"

#include <memory>

class TModel;

// A reminder's item in the model's store: the element paths of every field, their encodings and
// the defaults that apply when an element is missing, and the item's pictures.
//
// Reading never fails: a missing item or element, or an element whose text does not convert (a
// malformed number, an unknown colour, a broken picture), gives that field's default, so one bad
// reminder never stops the others from loading. "Now" comes from the process clock.
//
// Each operation takes the model whose store holds the item; the forms without a model work on the
// current model (model/Model.h), for the model's own start-up and older callers.

// Fills the stored fields from the item with the reminder's Id.
void LoadFromStore(TModel &model, TDataObject &reminder);
TOLVANE_CURRENT_MODEL void LoadFromStore(TDataObject &reminder);
// For a reminder whose Id is "new": adds an item with a fresh GUID and the login name as its
// user, takes the new id and sets createDt to now. Nothing for any other reminder.
void AssignNewId(TModel &model, TDataObject &reminder);
TOLVANE_CURRENT_MODEL void AssignNewId(TDataObject &reminder);
// AssignNewId, then writes every field into the item when it exists, and unless noFlush saves the
// store to its file. Nothing is written, and nothing saved, when no item has the id.
void SaveToStore(TModel &model, TDataObject &reminder, bool noFlush = false);
TOLVANE_CURRENT_MODEL void SaveToStore(TDataObject &reminder, bool noFlush = false);

// Makes what a firing changes in the reminder durable at once, whatever the store holds: writes
// the item into the document (as SaveToStore without saving), then appends the fields a firing
// or its close changes (enable, the close times, the run that fired, the run warned of, the run
// that closed, the remind-again window) to the store's journal, synced to disk. Gives whether the
// journal took them; the next save of the store's file holds them either way.
bool RecordFiring(TModel &model, TDataObject &reminder);

// Writes the sticker's window position (left, top, width, height, autoSize) into the reminder's
// item and saves the store (errors are ignored). Nothing when the store has no item for it.
void SaveStickerPosition(TModel &model, const TDataObject &reminder);
TOLVANE_CURRENT_MODEL void SaveStickerPosition(const TDataObject &reminder);

// Makes the selected item of a received store file harmless: its program and mail actions
// switched off. True when one of them was on.
bool DisarmItem(TMSXMLObject &store);

// Installs LoadFromStore as the loader TDataObject::Create uses in the current model.
TOLVANE_CURRENT_MODEL void InstallStoreLoader();

// --- Pictures, written and read by their own operations ----------------------------------------

struct TStickerImages {
  std::unique_ptr<TGraphic> movingImage; // a GIF picture, or none
  std::unique_ptr<TGraphic> image;
};

// The sticker's moving picture (only a GIF picture counts) and picture; none for what is missing
// or cannot be read.
[[nodiscard]] TStickerImages LoadStickerImages(TModel &model, const TDataObject &reminder);
TOLVANE_CURRENT_MODEL [[nodiscard]] TStickerImages LoadStickerImages(const TDataObject &reminder);
// Writes both pictures; none, or an empty picture, removes the element.
void SaveStickerImages(TModel &model, const TDataObject &reminder, const TGraphic *movingImage,
                       const TGraphic *image);
TOLVANE_CURRENT_MODEL void SaveStickerImages(const TDataObject &reminder,
                                             const TGraphic *movingImage, const TGraphic *image);

struct TIconImages {
  std::unique_ptr<TGraphic> icons; // the frames of a moving icon (an icon list), or none
  std::unique_ptr<TGraphic> icon;  // a single icon, or none
};

// Writes the frames when there are any, else the single icon (none or empty removes "icon").
void SaveIcon(TModel &model, const TDataObject &reminder, const TGraphic *iconFrames,
              const TGraphic *icon);
TOLVANE_CURRENT_MODEL void SaveIcon(const TDataObject &reminder, const TGraphic *iconFrames,
                                    const TGraphic *icon);
// The stored icon; a single icon is reduced to its 16-pixel image (SelectSmallIconImage) unless
// keepAllSizes.
[[nodiscard]] TIconImages LoadIcon(TModel &model, const TDataObject &reminder, bool keepAllSizes);
TOLVANE_CURRENT_MODEL [[nodiscard]] TIconImages LoadIcon(const TDataObject &reminder,
                                                         bool keepAllSizes);
// The stored icon for the reminder's tray icon: frames make it step through them, a single icon is
// reduced to its 16-pixel image. Gives whether an icon was loaded (false without an item).
bool LoadTrayIcon(TModel &model, const TDataObject &reminder, TTrayIconImage &trayIcon);
TOLVANE_CURRENT_MODEL bool LoadTrayIcon(const TDataObject &reminder, TTrayIconImage &trayIcon);
