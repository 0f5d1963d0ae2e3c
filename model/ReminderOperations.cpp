#include "model/ReminderOperations.h"

#include "model/XMLStore.h"

void SaveStickerPosition(const TDataObject &reminder) {
  TXMLStore &store = Store();
  if (!store.SelectItem(reminder.Id))
    return;
  const TPositionRec &p = reminder.sticker.position;
  store.WriteInteger(QStringLiteral("sticker/position/left"), p.left);
  store.WriteInteger(QStringLiteral("sticker/position/top"), p.top);
  store.WriteInteger(QStringLiteral("sticker/position/width"), p.width);
  store.WriteInteger(QStringLiteral("sticker/position/height"), p.height);
  store.WriteBool(QStringLiteral("sticker/position/autoSize"), p.autoSize);
  store.Flush();
}
